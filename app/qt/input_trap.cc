#include "input_trap.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace tarvo {

void InputTrap::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (active) QCoreApplication::instance()->installEventFilter(this);
  else QCoreApplication::instance()->removeEventFilter(this);
}

bool InputTrap::TakeEscape() {
  const bool escape = escape_;
  escape_ = false;
  return escape;
}

bool InputTrap::eventFilter(QObject*, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) escape_ = true;
      return true;
    case QEvent::ShortcutOverride:
      event->accept();  // no shortcut either
      return true;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
      return true;
    default:
      return false;
  }
}

}  // namespace tarvo
