#include "dialogs/info_dialog.h"

#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>

namespace tarvo {

InfoDialog::InfoDialog(const VolumeInfo& info, QWidget* parent)
    : TarvoDialog(QStringLiteral("DLG_INFO"), tr("Informations about the Macintosh volume"), parent) {
  auto* form = new QFormLayout;
  for (const VolumeInfoField& field : VolumeInfoFields(info)) {
    auto* value = new QLabel(QString::number(field.value), this);
    value->setObjectName(QString::number(field.id));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    value->setMinimumWidth(110);
    form->addRow(QString::fromLatin1(field.label), value);
  }
  QPushButton* ok = MakeButton(101, tr("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { done(1); });
  Arrange(form, ButtonRow({ok}));
}

void InfoDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return;
  TarvoDialog::keyPressEvent(event);
}

}  // namespace tarvo
