// The status band at the bottom of the main window (from S = H - 20 to H):
// a raised panel with the left text at x 10 and the right text
// right-aligned at x W - 10, both at y S + 1, in the painter's font or, when
// its lines are taller than the 18 pixels above the band's shadow, in a
// smaller size of it; and the progress bar drawn over its right end.
//
// The progress bar: the rectangle from (W - 204, S + 1) to (W - 2, S + 19)
// framed in black; inside it the 200-pixel bar in light grey, the
// percentage ("%02d%%") at x left + 90, and the done part, 2 x percent
// pixels from the left, inverted together with the text it covers.
#pragma once

#include <QPainter>
#include <QRect>
#include <QString>

namespace tarvo {

void PaintStatusBand(QPainter& painter, const QRect& band, const QString& left, const QString& right);

// The frame of the bar in a client of that width, status line at `top`.
QRect ProgressFrame(int width, int statusTop);
// The inverted part for a percentage: the bar's inside cut to 2 x percent.
QRect ProgressDonePart(int width, int statusTop, unsigned percent);
void PaintProgressBar(QPainter& painter, int width, int statusTop, unsigned percent);

}  // namespace tarvo
