#include "app_icon.h"

#include <QPainter>

namespace tarvo {

QPixmap AppIconPixmap() { return QPixmap(QStringLiteral(":/tarvo/tarvo_icon.xpm")); }

QIcon AppIcon() { return QIcon(AppIconPixmap()); }

QIcon HelpIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(47, 95, 168));
  painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
  QFont font = painter.font();
  font.setPixelSize(12);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
  painter.end();
  return QIcon(pixmap);
}

}  // namespace tarvo
