// DLG_PORT, "Output Ports", drawn over the core's PortDialog model: 500
// "File" (group " MS-DOS File: "), 504-507 "COM1".."COM4" (group "Serial
// ports"), 501-503 "LPT1".."LPT3" (group "Parallel ports"); a click takes
// effect at once. OK (101) and Cancel (100); Esc and the close box cancel,
// which does not undo a click.
#pragma once

#include <QButtonGroup>

#include "dialogs/model_dialog.h"
#include "ui/copy_option_dialogs.h"

namespace tarvo {

class PortDialogBox : public ModelDialog<PortDialog> {
  Q_OBJECT
 public:
  PortDialogBox(PortDialog& model, QWidget* parent);

 private:
  void Sync() override;

  QButtonGroup group_;
};

}  // namespace tarvo
