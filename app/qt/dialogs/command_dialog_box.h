// DLG_COMM, "Command line", drawn over the core's CommandDialog model: the
// command field (150, at most 79 characters), "Execute" (153, the default
// button, also Enter), "Cancel" (100) and help. The typed command runs
// after the dialog has closed.
#pragma once

#include <QLineEdit>

#include "dialogs/model_dialog.h"
#include "ui/command_dialog.h"

namespace tarvo {

class CommandDialogBox : public ModelDialog<CommandDialog> {
  Q_OBJECT
 public:
  CommandDialogBox(CommandDialog& model, QWidget* parent);

 private:
  void Sync() override {}

  QLineEdit* field_ = nullptr;
};

}  // namespace tarvo
