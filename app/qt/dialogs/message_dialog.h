// DLGMESS, the self-closing message: the caption in the title bar, the text
// centred in field 1128 inside an etched frame, an OK button (1) and the
// application icon, placed as the template places them (207 x 98 dialog
// units). OK and the close box end it with 0; when its timer fires first
// (5000 ms, shorter in tests) it ends itself with -1. A timeout of 0 or
// less starts no timer.
#pragma once

#include <QTimer>

#include "dialogs/tarvo_dialog.h"

namespace tarvo {

class MessageDialogBox : public TarvoDialog {
  Q_OBJECT
 public:
  static constexpr int kTimeoutMs = 5000;

  MessageDialogBox(const QString& text, const QString& caption, int timeoutMs, QWidget* parent);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QTimer timer_;
};

}  // namespace tarvo
