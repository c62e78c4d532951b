#include "ui/list_mouse.h"

#include "ui/context.h"
#include "ui/dispatcher.h"
#include "ui/folder_navigation.h"
#include "ui/listing.h"

namespace tarvo {

namespace {

std::uint16_t RowAt(Context& ctx, int x, int y, int clientWidth, int lineHeight);
void Refresh(Context& ctx);

}  // namespace

void OnListClick(Context& ctx, int x, int y, int clientWidth, int lineHeight) {
  const std::uint16_t row = RowAt(ctx, x, y, clientWidth, lineHeight);
  if (row == kNoRow) return;
  if (IsSelected(ctx.listing, row)) DeselectEntry(ctx.listing, row);
  else SelectEntry(ctx.listing, row);
  Refresh(ctx);
}

void OnListDoubleClick(Context& ctx, int x, int y, int clientWidth, int lineHeight) {
  const std::uint16_t row = RowAt(ctx, x, y, clientWidth, lineHeight);
  if (row == kNoRow || !IsFolder(ctx.listing, row)) return;
  const std::string name = ctx.listing.rows[row].name;
  DeselectAll(ctx.listing);
  EnterFolder(ctx, name);
  Refresh(ctx);
}

std::optional<std::uint16_t> OnListRightClick(Context& ctx, int x, int y, int clientWidth, int lineHeight) {
  const std::uint16_t row = RowAt(ctx, x, y, clientWidth, lineHeight);
  if (row == kNoRow) return std::nullopt;
  SelectEntry(ctx.listing, row);
  Refresh(ctx);
  return row;
}

namespace {

// The listing index under the point, or kNoRow. The page shown is computed
// first, as painting does, so that a click never lands past it.
std::uint16_t RowAt(Context& ctx, int x, int y, int clientWidth, int lineHeight) {
  ListingView& view = ctx.listing;
  const ListingMode mode = CurrentListingMode(ctx.settings.modeFlags);
  ShownRows(view, mode);
  const std::uint16_t hit =
      HitTest(view, mode, ctx.volume.targetId != kNoDevice, x, y, clientWidth / 2, lineHeight);
  if (hit == kNoRow) return kNoRow;
  const std::uint32_t row = std::uint32_t{view.first} + hit;
  return row < view.count ? static_cast<std::uint16_t>(row) : kNoRow;
}

void Refresh(Context& ctx) {
  ApplyMenuState(ctx);
  ctx.ui->Repaint();
}

}  // namespace

}  // namespace tarvo
