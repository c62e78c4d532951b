// The product text (static 508) beside the application icon, as "About
// Tarvo" and "Exit Program" show it.
#pragma once

#include <QWidget>

namespace tarvo {

QWidget* MakeProductPanel(QWidget* parent);

}  // namespace tarvo
