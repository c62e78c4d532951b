#include "dialogs/extents_dialog.h"

#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>

#include "qt_text.h"

namespace tarvo {

namespace {

QLabel* Value(int id, const std::string& text, QWidget* parent) {
  auto* label = new QLabel(FromAnsi(text), parent);
  label->setObjectName(QString::number(id));
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setMinimumWidth(220);
  return label;
}

}  // namespace

ExtentsDialog::ExtentsDialog(const ExtentsInfo& info, QWidget* parent)
    : TarvoDialog(QStringLiteral("DLG_ATT2"), tr("For spelunking fans..."), parent) {
  auto* form = new QFormLayout;
  form->addRow(tr("Filename"), Value(516, info.name, this));
  form->addRow(tr("File #"), Value(547, info.fileNumber, this));
  form->addRow(tr("Data extents"), Value(548, info.dataExtents, this));
  form->addRow(tr("Ressource extents"), Value(549, info.resourceExtents, this));
  QPushButton* ok = MakeButton(101, tr("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { done(1); });
  Arrange(form, ButtonRow({ok}));
}

void ExtentsDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) return done(1);
  TarvoDialog::keyPressEvent(event);
}

}  // namespace tarvo
