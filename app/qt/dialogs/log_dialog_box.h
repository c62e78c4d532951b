// DLG_FLOG, "Log File Management", drawn over the core's LogDialog model:
// "File:" with the name edit (147, at most 11 characters), "Create" (144),
// "Open" (145) and "Close" (146), enabled as the model says, OK (101),
// Cancel (100) and help. Enter in the field is the dialog's OK key (id 1):
// it stores the name and keeps the dialog open, so no button is the
// default. "Create" and "Open" hand the field to the model first.
#pragma once

#include <QLineEdit>

#include "dialogs/model_dialog.h"
#include "ui/log_dialog.h"

namespace tarvo {

class LogDialogBox : public ModelDialog<LogDialog> {
  Q_OBJECT
 public:
  LogDialogBox(LogDialog& model, QWidget* parent);

 private:
  void Sync() override;
  void TakeField();

  QLineEdit* field_ = nullptr;
  QPushButton* create_ = nullptr;
  QPushButton* open_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace tarvo
