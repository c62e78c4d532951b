// DLG_EXIST, "File already exists": the question of a copy to the PC whose
// name a file holds already. "Replace" (330), "Skip" (331) and "Keep both"
// (332, the default) end it; Esc and the close box keep both, which loses
// nothing. The check box "Apply to all" (333) gives the same answer to the
// rest of the command's clashes.
#pragma once

#include <QCheckBox>

#include "base/user_interface.h"
#include "dialogs/tarvo_dialog.h"

namespace tarvo {

class ExistingFileDialog : public TarvoDialog {
  Q_OBJECT
 public:
  ExistingFileDialog(const QString& text, QWidget* parent);
  // The answer after the dialog has ended.
  ExistingFileAnswer answer() const;

 private:
  QCheckBox* forAll_;
};

}  // namespace tarvo
