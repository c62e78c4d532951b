#include "dialogs/message_dialog.h"

#include <QFrame>
#include <QLabel>

#include "app_icon.h"

namespace tarvo {

namespace {

// Dialog units of the template to pixels, for the usual 8-point face.
QRect Units(int x, int y, int width, int height) {
  return QRect(x * 3 / 2, y * 13 / 8, width * 3 / 2, height * 13 / 8);
}

}  // namespace

MessageDialogBox::MessageDialogBox(const QString& text, const QString& caption, int timeoutMs, QWidget* parent)
    : TarvoDialog(QStringLiteral("DLGMESS"), caption, parent) {
  setFixedSize(Units(0, 0, 207, 98).size());
  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  frame->setGeometry(Units(23, 10, 161, 56));
  auto* message = new QLabel(text, this);
  message->setObjectName(QStringLiteral("1128"));
  message->setAlignment(Qt::AlignCenter);
  message->setWordWrap(true);
  message->setGeometry(Units(28, 14, 152, 48));
  QPushButton* ok = MakeButton(1, tr("OK"));
  ok->setDefault(true);
  ok->setGeometry(Units(58, 78, 90, 14));
  connect(ok, &QPushButton::clicked, this, [this] { done(0); });
  auto* icon = new QLabel(this);
  icon->setPixmap(AppIconPixmap());
  icon->move(Units(184, 72, 0, 0).topLeft());
  icon->adjustSize();

  timer_.setSingleShot(true);
  timer_.setInterval(timeoutMs);
  connect(&timer_, &QTimer::timeout, this, [this] { done(-1); });
}

// The timer runs from the moment the message is on the screen.
void MessageDialogBox::showEvent(QShowEvent* event) {
  TarvoDialog::showEvent(event);
  if (timer_.interval() > 0 && !timer_.isActive()) timer_.start();
}

}  // namespace tarvo
