#include "ui/menu_state.h"

#include "ui/context.h"
#include "ui/listing.h"

namespace tarvo {

namespace {

bool IsSelectionItem(int id);
int CheckedListingItem(std::uint16_t flags);
ItemState& At(MenuState& state, int id) { return state.items.at(static_cast<std::size_t>(id - kFirstMenuCommand)); }

}  // namespace

MenuInputs MenuInputsFrom(const Context& ctx) {
  MenuInputs in;
  in.driveSelected = ctx.volume.targetId != kNoDevice;
  in.volumeOpen = in.driveSelected && ctx.volume.volumeOrigin > 0;
  in.currentDirId = ctx.volume.current.currentDirId;
  in.modeFlags = ctx.settings.modeFlags;
  in.useCurrentDirectory = ctx.settings.useCurrentDirectory;
  in.logOpen = IsLogOpen(ctx.log);
  in.mediumLocked = ctx.settings.mediumLocked;
  in.resetBeforeTransfer = ctx.device.resetBeforeTransfer;
  in.selectedCount = CountSelected(ctx.listing);
  in.listingNext = ctx.listing.next;
  in.listingCount = ctx.listing.count;
  in.backPagingEnabled = ctx.listing.backPagingEnabled;
  return in;
}

MenuState UpdateMenuState(const MenuInputs& in, const MessageTable& messages) {
  MenuState state;
  for (const MenuPopup& popup : MainMenu()) {
    for (const MenuItem& item : popup.items) {
      if (item.id != 0) At(state, item.id).text = std::string(item.text);
    }
  }

  const bool volume = in.driveSelected && in.volumeOpen;
  const bool belowRoot = volume && in.currentDirId != kRootDirId;
  const bool selection = volume && in.selectedCount > 0;
  state.fileMenuEnabled = volume;
  At(state, kMenuRenameVolume).enabled = volume;
  At(state, kMenuVolumeInfo).enabled = volume;
  At(state, kMenuMediumScanning).enabled = in.driveSelected;
  At(state, kMenuRoot).enabled = belowRoot;
  At(state, kMenuParent).enabled = belowRoot;
  for (int id = kFirstMenuCommand; id <= kLastMenuCommand; ++id) {
    if (IsSelectionItem(id)) At(state, id).enabled = selection;
  }
  At(state, kMenuNextScreen).enabled = in.listingNext < in.listingCount;
  At(state, kMenuPrecedingScreen).enabled = in.backPagingEnabled;
  At(state, kMenuFirstScreen).enabled = in.backPagingEnabled;

  At(state, CheckedCopyItem(in.modeFlags)).checked = true;
  At(state, CheckedListingItem(in.modeFlags)).checked = true;
  At(state, kMenuUseCurrentDirectory).checked = in.useCurrentDirectory;
  At(state, kMenuLogFile).checked = in.logOpen;
  At(state, kMenuReset).checked = in.resetBeforeTransfer;
  At(state, kMenuLock).text = messages[in.mediumLocked ? kMsgUnlockVolume : kMsgLockVolume];

  const auto buttons = FunctionButtons();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const int group = buttons[i].group;
    state.buttonsEnabled[i] = group == 1 ? volume : group == 2 ? belowRoot : selection;
  }
  return state;
}

bool PopupItemEnabled(int id, bool rowIsFolder) {
  return !(rowIsFolder && (id == kMenuDump || id == kMenuAttributes));
}

int CheckedCopyItem(std::uint16_t flags) {
  if (flags & kCopyBinHex) return kMenuBinHexCopy;
  if (flags & kCopyText) return kMenuTextCopy;
  if (flags & kCopyAppleSingle) return kMenuAppleSingleCopy;
  if (flags & kCopyAppleDouble) return kMenuAppleDoubleCopy;
  if (flags & kCopyMacBinary) return kMenuBinaryCopy;
  if (flags & kCopyResource) return kMenuResourcesCopy;
  return kMenuNormalCopy;
}

namespace {

bool IsSelectionItem(int id) {
  switch (id) {
    case kMenuCopyToPc: case kMenuRename: case kMenuDelete:
    case kMenuChangeDirectory: case kMenuDump: case kMenuAttributes:
      return true;
    default:
      return false;
  }
}

int CheckedListingItem(std::uint16_t flags) {
  switch (CurrentListingMode(flags)) {
    case ListingMode::kWithSignature: return kMenuSignatureListing;
    case ListingMode::kExtended: return kMenuExtendedListing;
    case ListingMode::kShort: break;
  }
  return kMenuShortListing;
}

}  // namespace

}  // namespace tarvo
