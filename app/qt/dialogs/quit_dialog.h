// DLG_QUIT, "Exit Program": the product text (508), "Do you really want to
// quit?" (510), "Yes" (128) and "No" (129). Yes, or Enter, ends it with 1;
// No, Esc and the close box with 0.
#pragma once

#include "dialogs/tarvo_dialog.h"

namespace tarvo {

class QuitDialog : public TarvoDialog {
  Q_OBJECT
 public:
  explicit QuitDialog(QWidget* parent);
};

}  // namespace tarvo
