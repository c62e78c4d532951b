#include "dialogs/quit_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "dialogs/product_panel.h"

namespace tarvo {

QuitDialog::QuitDialog(QWidget* parent) : TarvoDialog(QStringLiteral("DLG_QUIT"), tr("Exit Program"), parent) {
  auto* question = new QLabel(tr("Do you really want to quit?"), this);
  question->setObjectName(QStringLiteral("510"));
  QPushButton* yes = MakeButton(128, tr("Yes"));
  QPushButton* no = MakeButton(129, tr("No"));
  yes->setDefault(true);
  connect(yes, &QPushButton::clicked, this, [this] { done(1); });
  connect(no, &QPushButton::clicked, this, [this] { done(0); });
  auto* controls = new QVBoxLayout;
  controls->addWidget(MakeProductPanel(this));
  controls->addWidget(question);
  Arrange(controls, ButtonRow({yes, no}));
}

}  // namespace tarvo
