#include "tarvo_dialog.h"

#include <QMoveEvent>

#include "app_icon.h"

namespace tarvo {

TarvoDialog::TarvoDialog(const QString& templateName, const QString& title, QWidget* parent) : QDialog(parent) {
  setObjectName(templateName);
  setWindowTitle(title);
  setWindowIcon(AppIcon());
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

int TarvoDialog::RunModal() {
  const int result = exec();
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  return result;
}

QString TarvoDialog::helpTopic() const { return QStringLiteral("dlg_") + objectName().section(QLatin1Char('_'), 1); }

QPushButton* TarvoDialog::MakeButton(int id, const QString& text) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(false);
  return button;
}

QPushButton* TarvoDialog::MakeHelpButton() {
  QPushButton* button = MakeButton(149, QString());
  button->setIcon(HelpIcon());
  button->setToolTip(tr("Help"));
  connect(button, &QPushButton::clicked, this, [this] { emit helpRequested(helpTopic()); });
  return button;
}

void TarvoDialog::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  if (isVisible() && event->spontaneous()) emit userMoved();
}

}  // namespace tarvo
