// DLG_APROP, "About Tarvo": the product text and the application icon; OK,
// Esc and the close box end it with 0.
#pragma once

#include "dialogs/tarvo_dialog.h"

namespace tarvo {

class AboutDialog : public TarvoDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent);
};

}  // namespace tarvo
