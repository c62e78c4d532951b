// DLG_INFO, "Informations about the Macintosh volume": the volume's figures,
// read-only, each in the field of its id (500..512). OK (101) ends it with
// 1, the close box with 0; Esc is ignored.
#pragma once

#include "dialogs/tarvo_dialog.h"
#include "ui/volume_info.h"

namespace tarvo {

class InfoDialog : public TarvoDialog {
  Q_OBJECT
 public:
  InfoDialog(const VolumeInfo& info, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace tarvo
