#include "dialogs/about_dialog.h"


#include "dialogs/product_panel.h"

namespace tarvo {

AboutDialog::AboutDialog(QWidget* parent) : TarvoDialog(QStringLiteral("DLG_APROP"), tr("About Tarvo"), parent) {
  QPushButton* ok = MakeButton(1, tr("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { done(0); });
  Arrange(MakeProductPanel(this), ButtonRow({ok}));
}

}  // namespace tarvo
