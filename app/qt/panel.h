// The look shared by every band of the main window: a raised panel, a
// 1-pixel white line on top and left, a 1-pixel dark grey line on bottom
// and right, light grey inside. `rect` spans from its top-left pixel to
// just before `rect.bottomRight() + (1, 1)`, as Qt counts.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

namespace tarvo {

inline const QColor kPanelFace(192, 192, 192);
inline const QColor kPanelShadow(128, 128, 128);

void DrawRaisedPanel(QPainter& painter, const QRect& rect);

}  // namespace tarvo
