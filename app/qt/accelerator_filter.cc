#include "accelerator_filter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>

#include "ui/menu_model.h"

namespace tarvo {

int AcceleratorCommand(QKeyCombination keys) {
  const Qt::KeyboardModifiers relevant = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;
  const QKeyCombination pressed(keys.keyboardModifiers() & relevant, keys.key());
  for (const Accelerator& accelerator : Accelerators()) {
    const QKeySequence sequence =
        QKeySequence::fromString(QString::fromLatin1(accelerator.keys.data(), static_cast<qsizetype>(accelerator.keys.size())),
                                 QKeySequence::PortableText);
    if (!sequence.isEmpty() && sequence[0] == pressed) return accelerator.command;
  }
  return 0;
}

AcceleratorFilter::AcceleratorFilter(QWidget& window) : QObject(&window), window_(window) {
  QCoreApplication::instance()->installEventFilter(this);
}

// A ShortcutOverride accepted here keeps Qt's shortcut map out of it; the key
// press that follows is then ours.
bool AcceleratorFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != &window_) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const int command = AcceleratorCommand(key->keyCombination());
  if (command == 0) return false;
  event->accept();
  if (event->type() == QEvent::KeyPress) emit commandChosen(command);
  return true;
}

}  // namespace tarvo
