// The main window's client area drawn from the core's state (the status band
// apart, see status_painter.h). W and H are the client's size, S = H - 20
// the status line's top, half = W / 2, L the listing font's line height.
//
//   - three raised bands: buttons y 0-34, header 34-70, listing 70-S;
//   - the application icon at (W - 35, 36);
//   - with a volume open: header line 1 at y 36 (free space at x 10, used
//     space at half + 9), line 2 at y 51 (volume at x 10, folder at
//     half + 9); then the page shown from row `first`, line k at
//     y 72 + k x L, or "[No file]" at (200, 100) for an empty folder;
//   - short listing: two rows a line, names at x 2 and half + 5, data
//     lengths right-aligned at half - 4 and W - 6; extended listing and
//     listing with signature: one row a line, the name at x 2, then
//     right-aligned the data length at half + 50, the resource length at
//     half + 110, the creation date at half + 211 and the modification
//     date at W - 8 or the signature at W - 16;
//   - selected rows inverted: x 2 to W - 4 in the one-column modes, the
//     cell x 2 to half - 4 or from half + 2, half - 5 wide, in the short one.
// A name never runs into the figures to its right: it is cut 4 pixels
// before them.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRect>

namespace tarvo {

struct Context;

struct ClientGeometry {
  int width = 640;
  int height = 425;
  int lineHeight = 16;
  int statusTop() const { return height - 20; }
  int half() const { return width / 2; }
};

// Painting settles the page shown (the listing's `next`), as it always has.
void PaintClient(QPainter& painter, Context& ctx, const ClientGeometry& geometry, const QPixmap& icon);

// The inverted area of screen line `line`: the whole line, or in the short
// listing its left or right cell.
QRect SelectionRect(const ClientGeometry& geometry, bool shortListing, int line, bool rightCell);

}  // namespace tarvo
