#include "panel.h"

namespace tarvo {

void DrawRaisedPanel(QPainter& painter, const QRect& rect) {
  painter.fillRect(rect, kPanelFace);
  painter.fillRect(rect.left(), rect.top(), rect.width(), 1, Qt::white);
  painter.fillRect(rect.left(), rect.top(), 1, rect.height(), Qt::white);
  painter.fillRect(rect.left(), rect.bottom(), rect.width(), 1, kPanelShadow);
  painter.fillRect(rect.right(), rect.top(), 1, rect.height(), kPanelShadow);
}

}  // namespace tarvo
