// DLG_NOMD (a title given by the caller; "Old name" 511 with the old name
// 516, "New name" 512 with the edit 502), DLG_NOUV ("New Directory";
// "Directory Name:" 515 with the edit 503) and DLG_FORM ("Formatting"; the
// model's notice above "Name:" with the edit 516; any dialog with a notice
// is drawn so), drawn over the core's NameDialog model. OK (101) hands the
// edit's text to the model; Cancel (100), Esc and the close box cancel.
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
