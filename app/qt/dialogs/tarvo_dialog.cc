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

std::pair<QPushButton*, QPushButton*> TarvoDialog::MakeOkCancel(std::function<void()> ok,
                                                                std::function<void()> cancel) {
  QPushButton* okButton = MakeButton(101, tr("OK"));
  QPushButton* cancelButton = MakeButton(100, tr("Cancel"));
  okButton->setDefault(true);
  connect(okButton, &QPushButton::clicked, this, std::move(ok));
  connect(cancelButton, &QPushButton::clicked, this, std::move(cancel));
  return {okButton, cancelButton};
}

QBoxLayout* TarvoDialog::ButtonColumn(std::initializer_list<QPushButton*> buttons) {
  auto* column = new QVBoxLayout;
  for (QPushButton* button : buttons) column->addWidget(button);
  column->addStretch();
  column->addWidget(MakeHelpButton());
  return column;
}

QBoxLayout* TarvoDialog::ButtonRow(std::initializer_list<QPushButton*> buttons,
                                   std::initializer_list<QPushButton*> leading) {
  auto* row = new QHBoxLayout;
  for (QPushButton* button : leading) row->addWidget(button);
  row->addStretch();
  for (QPushButton* button : buttons) row->addWidget(button);
  row->addWidget(MakeHelpButton());
  return row;
}

void TarvoDialog::Arrange(QLayout* controls, QBoxLayout* buttons) {
  QBoxLayout* layout = buttons->direction() == QBoxLayout::TopToBottom ? static_cast<QBoxLayout*>(new QHBoxLayout(this))
                                                                        : new QVBoxLayout(this);
  layout->addLayout(controls, 1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TarvoDialog::Arrange(QWidget* controls, QBoxLayout* buttons) {
  auto* wrapper = new QVBoxLayout;
  wrapper->setContentsMargins(0, 0, 0, 0);
  wrapper->addWidget(controls);
  Arrange(wrapper, buttons);
}

void TarvoDialog::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  if (isVisible() && event->spontaneous()) emit userMoved();
}

}  // namespace tarvo
