#include "text_out.h"

#include <QFontMetrics>

namespace tarvo {

void DrawTextTopLeft(QPainter& painter, int x, int y, const QString& text) {
  painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

void DrawTextTopRight(QPainter& painter, int right, int y, const QString& text) {
  const int width = painter.fontMetrics().horizontalAdvance(text);
  painter.drawText(right - width, y + painter.fontMetrics().ascent(), text);
}

}  // namespace tarvo
