// The accelerator table "KESTREL" for the main window. The keys are caught
// before Qt's own shortcuts, so an accelerator wins over a menu mnemonic
// (Alt+D opens the drive dialog, not the "Mac &Drive" menu), and only while
// the main window has the keyboard: Esc in a dialog stays the dialog's.
#pragma once

#include <QKeyCombination>
#include <QObject>
#include <QWidget>

namespace tarvo {

// The command of a key combination, or 0.
int AcceleratorCommand(QKeyCombination keys);

class AcceleratorFilter : public QObject {
  Q_OBJECT
 public:
  // Watches the application's key events for that window.
  explicit AcceleratorFilter(QWidget& window);

 signals:
  void commandChosen(int id);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
};

}  // namespace tarvo
