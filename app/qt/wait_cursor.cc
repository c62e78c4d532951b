#include "wait_cursor.h"

#include <QPainter>
#include <QPixmap>
#include <cmath>
#include <numbers>

namespace tarvo {

namespace {

constexpr int kSize = 32;
QCursor DrawFrame(int frame);

}  // namespace

const QCursor& WaitCursor::Frame(int frame) {
  const int index = ((frame - 1) % kWaitFrames + kWaitFrames) % kWaitFrames;
  if (!frames_[index]) frames_[index] = DrawFrame(index + 1);
  return *frames_[index];
}

namespace {

// Dot d sits at d o'clock; the dots behind the lead dot grow lighter.
QCursor DrawFrame(int frame) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, 1));
  const QPointF centre(kSize / 2.0, kSize / 2.0);
  for (int dot = 1; dot <= kWaitFrames; ++dot) {
    const int behind = (frame - dot + kWaitFrames) % kWaitFrames;
    const int shade = behind < 6 ? 30 * behind : 190;
    const double angle = dot * 2 * std::numbers::pi / kWaitFrames;
    const QPointF at = centre + QPointF(std::sin(angle), -std::cos(angle)) * 11.0;
    painter.setBrush(QColor(shade, shade, shade));
    painter.drawEllipse(at, 3.0, 3.0);
  }
  painter.end();
  return QCursor(pixmap, kSize / 2, kSize / 2);
}

}  // namespace

}  // namespace tarvo
