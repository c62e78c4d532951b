// While a long operation runs, the keyboard belongs to the abort poll: the
// trap takes every key and mouse event of the application, keeps the news
// of an Esc key and drops everything else, so no command can start in the
// middle of another. Paint and system events pass.
#pragma once

#include <QObject>

namespace tarvo {

class InputTrap : public QObject {
  Q_OBJECT
 public:
  // Starts or stops taking input (installs itself on the application).
  void SetActive(bool active);
  bool active() const { return active_; }
  // Whether Esc was pressed since the last call.
  bool TakeEscape();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool active_ = false;
  bool escape_ = false;
};

}  // namespace tarvo
