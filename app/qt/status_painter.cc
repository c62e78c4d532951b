#include "status_painter.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <algorithm>

#include "panel.h"
#include "text_out.h"

namespace tarvo {

namespace {

// Text lines start at S + 1 and must end above the shadow at S + 19: a
// face taller than that (the listing's size in some fonts) is taken
// smaller, so that descenders are not cut at the window's bottom edge.
constexpr int kTextHeight = 18;

QFont FittedFont(QFont font, int height) {
  for (int size = QFontInfo(font).pixelSize(); size > 6 && QFontMetrics(font).height() > height; --size)
    font.setPixelSize(size - 1);
  return font;
}

}  // namespace

void PaintStatusBand(QPainter& painter, const QRect& band, const QString& left, const QString& right) {
  DrawRaisedPanel(painter, band);
  painter.save();
  painter.setFont(FittedFont(painter.font(), kTextHeight));
  painter.setPen(Qt::black);
  if (!left.isEmpty()) DrawTextTopLeft(painter, band.left() + 10, band.top() + 1, left);
  if (!right.isEmpty()) DrawTextTopRight(painter, band.right() + 1 - 10, band.top() + 1, right);
  painter.restore();
}

QRect ProgressFrame(int width, int statusTop) {
  return QRect(QPoint(width - 204, statusTop + 1), QPoint(width - 2 - 1, statusTop + 19 - 1));
}

QRect ProgressDonePart(int width, int statusTop, unsigned percent) {
  const QRect inside = ProgressFrame(width, statusTop).adjusted(1, 1, -1, -1);
  return QRect(inside.left(), inside.top(), 2 * static_cast<int>(std::min(percent, 100u)), inside.height());
}

void PaintProgressBar(QPainter& painter, int width, int statusTop, unsigned percent) {
  const QRect frame = ProgressFrame(width, statusTop);
  painter.fillRect(frame, Qt::black);
  const QRect inside = frame.adjusted(1, 1, -1, -1);
  painter.fillRect(inside, kPanelFace);
  painter.save();
  painter.setFont(FittedFont(painter.font(), inside.height()));
  painter.setPen(Qt::black);
  DrawTextTopLeft(painter, inside.left() + 90, inside.top(), QString::asprintf("%02u%%", std::min(percent, 100u)));
  painter.restore();
  const QPainter::CompositionMode mode = painter.compositionMode();
  painter.setCompositionMode(QPainter::CompositionMode_Difference);
  painter.fillRect(ProgressDonePart(width, statusTop, percent), Qt::white);
  painter.setCompositionMode(mode);
}

}  // namespace tarvo
