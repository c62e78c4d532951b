#include "dialogs/product_panel.h"

#include <QHBoxLayout>
#include <QLabel>

#include "app_icon.h"
#include "base/messages.h"
#include "qt_text.h"

namespace tarvo {

QWidget* MakeProductPanel(QWidget* parent) {
  auto* panel = new QWidget(parent);
  auto* icon = new QLabel(panel);
  icon->setPixmap(AppIconPixmap());
  icon->setAlignment(Qt::AlignTop);
  auto* text = new QLabel(FromAnsi(kTextProduct), panel);
  text->setObjectName(QStringLiteral("508"));
  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(icon);
  layout->addSpacing(8);
  layout->addWidget(text, 1);
  return panel;
}

}  // namespace tarvo
