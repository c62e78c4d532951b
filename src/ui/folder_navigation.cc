#include "ui/folder_navigation.h"

#include <optional>

#include "hfs/navigation.h"
#include "ui/context.h"
#include "ui/listing.h"

namespace tarvo {

namespace {

bool Relist(Context& ctx, std::optional<std::uint16_t> valence);

}  // namespace

bool EnterFolder(Context& ctx, std::string_view macName) {
  return VolumeOpen(ctx) && Relist(ctx, ChangeDirectory(ctx, macName));
}

bool GoToParentFolder(Context& ctx) { return VolumeOpen(ctx) && Relist(ctx, ParentDirectory(ctx)); }

bool GoToRootFolder(Context& ctx) { return VolumeOpen(ctx) && Relist(ctx, RootDirectory(ctx)); }

void EnterSelectedFolder(Context& ctx) {
  ListingView& view = ctx.listing;
  const std::uint16_t row = FindSelectedFolder(view, kNoRow);
  if (row == kNoRow) {
    SetStatus(ctx, ctx.messages[kMsgNoSelection]);
    return;
  }
  const std::string name = view.rows[row].name;
  DeselectAll(view);
  EnterFolder(ctx, name);
}

namespace {

// A failed move leaves the folder as it was; it is listed again all the same
// (a refresh after a command always reloads).
bool Relist(Context& ctx, std::optional<std::uint16_t> valence) {
  if (valence) ResizeListing(ctx.listing, *valence);
  LoadListing(ctx);
  return valence.has_value();
}

}  // namespace

}  // namespace tarvo
