// DLG_CAPA, "Data medium to format": the radio group "SyQuest Cartridges",
// 300 "44 MB", 301 "88 MB", 302 "200 MB", 303 "105 MB", 304 "270 MB", none
// chosen at first. OK (101) answers with the choice (or none); Cancel (100),
// Esc and the close box answer "not OK".
#pragma once

#include <QButtonGroup>

#include "base/user_interface.h"
#include "dialogs/tarvo_dialog.h"

namespace tarvo {

class CapacityDialog : public TarvoDialog {
  Q_OBJECT
 public:
  explicit CapacityDialog(QWidget* parent);
  // The answer after the dialog has ended.
  CapacityAnswer answer() const;

 private:
  QButtonGroup group_;
};

}  // namespace tarvo
