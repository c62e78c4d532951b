// DLG_SAME, "Drive to be used": "Use the same drive" (309) ends it with -1,
// "Rescan the bus" (311) with 1, "Cancel" (310), Esc and the close box with 0.
#pragma once

#include "base/user_interface.h"
#include "dialogs/tarvo_dialog.h"

namespace tarvo {

class SameDriveDialog : public TarvoDialog {
  Q_OBJECT
 public:
  explicit SameDriveDialog(QWidget* parent);
};

// The choice a result of the dialog stands for.
SameDriveChoice SameDriveChoiceOf(int result);

}  // namespace tarvo
