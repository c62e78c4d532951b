// DLG_NOMD (a title given by the caller; "Old name" 511 with the old name
// 516, "New name" 512 with the edit 502) and DLG_NOUV ("New Directory";
// "Directory Name:" 515 with the edit 503), drawn over the core's
// NameDialog model. OK (101) hands the edit's text to the model; Cancel
// (100), Esc and the close box cancel.
#pragma once

#include <QLineEdit>

#include "dialogs/model_dialog.h"
#include "ui/name_dialog.h"

namespace tarvo {

class NameDialogBox : public ModelDialog<NameDialog> {
  Q_OBJECT
 public:
  NameDialogBox(NameDialog& model, QWidget* parent);

 private:
  void Sync() override {}

  QLineEdit* edit_ = nullptr;
};

}  // namespace tarvo
