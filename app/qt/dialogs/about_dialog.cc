#include "dialogs/about_dialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "dialogs/product_panel.h"

namespace tarvo {

AboutDialog::AboutDialog(QWidget* parent) : TarvoDialog(QStringLiteral("DLG_APROP"), tr("About Tarvo"), parent) {
  QPushButton* ok = MakeButton(1, tr("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { done(0); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(MakeHelpButton());
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeProductPanel(this));
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tarvo
