// Text placed the way the window's layout counts: by the top edge of its
// line, left-aligned at x or right-aligned so that it ends at `right`.
#pragma once

#include <QPainter>
#include <QString>

namespace tarvo {

void DrawTextTopLeft(QPainter& painter, int x, int y, const QString& text);
void DrawTextTopRight(QPainter& painter, int right, int y, const QString& text);

}  // namespace tarvo
