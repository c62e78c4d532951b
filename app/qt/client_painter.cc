#include "client_painter.h"

#include <algorithm>

#include "panel.h"
#include "qt_text.h"
#include "text_out.h"
#include "ui/context.h"
#include "ui/listing.h"
#include "ui/listing_text.h"

namespace tarvo {

namespace {

constexpr int kListingTop = 72;

void PaintHeader(QPainter& painter, const Context& ctx, const ClientGeometry& g);
void PaintShortRows(QPainter& painter, const ListingView& view, int shown, const ClientGeometry& g);
void PaintWideRows(QPainter& painter, const ListingView& view, int shown, ListingMode mode, const ClientGeometry& g);
void InvertSelection(QPainter& painter, const ListingView& view, int shown, bool shortListing, const ClientGeometry& g);
void DrawName(QPainter& painter, int x, int y, int limit, const std::string& macName, int lineHeight);

}  // namespace

void PaintClient(QPainter& painter, Context& ctx, const ClientGeometry& g, const QPixmap& icon) {
  DrawRaisedPanel(painter, QRect(0, 0, g.width, 34));
  DrawRaisedPanel(painter, QRect(0, 34, g.width, 36));
  DrawRaisedPanel(painter, QRect(0, 70, g.width, g.statusTop() - 70));
  painter.drawPixmap(g.width - 35, 36, icon);
  if (ctx.volume.targetId == kNoDevice || ctx.volume.volumeOrigin <= 0) return;

  painter.setPen(Qt::black);
  PaintHeader(painter, ctx, g);
  ListingView& view = ctx.listing;
  if (view.count == 0) {
    DrawTextTopLeft(painter, 200, 100, FromAnsi(ctx.messages[kMsgNoFile]));
    return;
  }
  const ListingMode mode = CurrentListingMode(ctx.settings.modeFlags);
  const int shown = ShownRows(view, mode);
  if (mode == ListingMode::kShort) PaintShortRows(painter, view, shown, g);
  else PaintWideRows(painter, view, shown, mode, g);
  InvertSelection(painter, view, shown, mode == ListingMode::kShort, g);
}

QRect SelectionRect(const ClientGeometry& g, bool shortListing, int line, bool rightCell) {
  const int top = kListingTop + line * g.lineHeight;
  if (!shortListing) return QRect(2, top, g.width - 4 - 2, g.lineHeight);
  if (rightCell) return QRect(g.half() + 2, top, g.half() - 5, g.lineHeight);
  return QRect(2, top, g.half() - 4 - 2, g.lineHeight);
}

namespace {

void PaintHeader(QPainter& painter, const Context& ctx, const ClientGeometry& g) {
  const std::optional<HeaderTexts> header = HeaderLines(ctx);
  if (!header) return;
  DrawTextTopLeft(painter, 10, 36, FromAnsi(header->freeSpace));
  DrawTextTopLeft(painter, g.half() + 9, 36, FromAnsi(header->usedSpace));
  DrawTextTopLeft(painter, 10, 51, FromAnsi(header->volume));
  DrawTextTopLeft(painter, g.half() + 9, 51, FromAnsi(header->folder));
}

void PaintShortRows(QPainter& painter, const ListingView& view, int shown, const ClientGeometry& g) {
  const QFontMetrics metrics = painter.fontMetrics();
  for (int k = 0; 2 * k < shown; ++k) {
    const int y = kListingTop + k * g.lineHeight;
    for (int column = 0; column < 2 && 2 * k + column < shown; ++column) {
      const ListingEntry& row = view.rows[view.first + 2 * k + column];
      const int nameX = column == 0 ? 2 : g.half() + 5;
      const int dataRight = column == 0 ? g.half() - 4 : g.width - 6;
      const QString data = FromAnsi(DataText(row));
      DrawTextTopRight(painter, dataRight, y, data);
      DrawName(painter, nameX, y, dataRight - metrics.horizontalAdvance(data) - 4, row.name, g.lineHeight);
    }
  }
}

void PaintWideRows(QPainter& painter, const ListingView& view, int shown, ListingMode mode, const ClientGeometry& g) {
  const QFontMetrics metrics = painter.fontMetrics();
  for (int k = 0; k < shown; ++k) {
    const ListingEntry& row = view.rows[view.first + k];
    const int y = kListingTop + k * g.lineHeight;
    const QString data = FromAnsi(DataText(row));
    DrawTextTopRight(painter, g.half() + 50, y, data);
    DrawTextTopRight(painter, g.half() + 110, y, FromAnsi(ResourceText(row)));
    DrawTextTopRight(painter, g.half() + 211, y, FromAnsi(DateText(row.created)));
    if (mode == ListingMode::kExtended) DrawTextTopRight(painter, g.width - 8, y, FromAnsi(DateText(row.modified)));
    else DrawTextTopRight(painter, g.width - 16, y, FromAnsi(MacTextForDisplay(SignatureText(row))));
    DrawName(painter, 2, y, g.half() + 50 - metrics.horizontalAdvance(data) - 4, row.name, g.lineHeight);
  }
}

void InvertSelection(QPainter& painter, const ListingView& view, int shown, bool shortListing, const ClientGeometry& g) {
  const QPainter::CompositionMode mode = painter.compositionMode();
  painter.setCompositionMode(QPainter::CompositionMode_Difference);
  for (int k = 0; k < shown; ++k) {
    if (!view.rows[view.first + k].selected) continue;
    const QRect rect = shortListing ? SelectionRect(g, true, k / 2, k % 2 == 1) : SelectionRect(g, false, k, false);
    painter.fillRect(rect, Qt::white);
  }
  painter.setCompositionMode(mode);
}

void DrawName(QPainter& painter, int x, int y, int limit, const std::string& macName, int lineHeight) {
  painter.save();
  painter.setClipRect(QRect(x, y, std::max(0, limit - x), lineHeight));
  DrawTextTopLeft(painter, x, y, FromAnsi(MacTextForDisplay(macName)));
  painter.restore();
}

}  // namespace

}  // namespace tarvo
