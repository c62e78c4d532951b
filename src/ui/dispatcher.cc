#include "ui/dispatcher.h"

#include "device/write_claim.h"
#include "maintenance/drive_control.h"
#include "transfer/copy_to_pc.h"
#include "transfer/file_attributes.h"
#include "ui/command_dialog.h"
#include "ui/context.h"
#include "ui/copy_option_dialogs.h"
#include "ui/destination_dialog.h"
#include "ui/device_dialog.h"
#include "ui/drive_commands.h"
#include "ui/dump_view.h"
#include "ui/edit_commands.h"
#include "ui/folder_navigation.h"
#include "ui/listing.h"
#include "ui/log_dialog.h"
#include "ui/mac_copy_dialog.h"
#include "ui/menu_model.h"
#include "ui/open_volume.h"
#include "ui/rescue_dialog.h"
#include "ui/selection_commands.h"
#include "ui/volume_info.h"
#include "ui/write_guard.h"

namespace tarvo {

namespace {

void SetCopyMode(Context& ctx, std::uint16_t mode);
void DumpSelectedFile(Context& ctx);
bool BelowRoot(const Context& ctx);

}  // namespace

void DispatchCommand(Context& ctx, int id) {
  const ClaimSpan span(ctx);
  ListingView& view = ctx.listing;
  const ListingMode mode = CurrentListingMode(ctx.settings.modeFlags);
  if (IsGuardedCommand(id) && !MediumAcceptsWrites(ctx, GuardedCommandChanges(id), RefusalNotice::kMessageBox)) return;
  switch (id) {
    case kMenuSelectDrive:
      SelectDriveCommand(ctx);
      break;
    case kMenuFormat:
      FormatCommand(ctx);
      break;
    case kMenuVolumeInfo:
      VolumeInfoCommand(ctx);
      break;
    case kMenuExit:
      ctx.settings.closeRequested = true;
      break;
    case kMenuRenameVolume:
      RenameVolumeCommand(ctx);
      break;
    case kMenuCopyToPc:
      CopySelectionToPc(ctx);
      break;
    case kMenuCopyToMac:
      CopyPcToMacCommand(ctx);
      break;
    case kMenuMakeDirectory:
      MakeFolderCommand(ctx);
      break;
    case kMenuDelete:
      DeleteSelectionCommand(ctx);
      break;
    case kMenuRename:
      RenameSelectionCommand(ctx);
      break;
    case kMenuChangeDirectory:
      EnterSelectedFolder(ctx);
      break;
    case kMenuRoot:
    case kMenuParent:
      if (!BelowRoot(ctx)) return;
      DeselectAll(view);
      if (id == kMenuRoot) GoToRootFolder(ctx);
      else GoToParentFolder(ctx);
      break;
    case kMenuDump:
      DumpSelectedFile(ctx);
      break;
    case kMenuAttributes:
      EditSelectedAttributes(ctx, DriveWriteProtection(ctx));
      break;
    case kMenuSwapForks:
      SwapSelectedForks(ctx, DriveWriteProtection(ctx));
      break;
    case kMenuMediumScanning:
      RunRescue(ctx);
      break;
    case kMenuDeselectAll:
      DeselectAll(view);
      break;
    case kMenuSelectAll:
      SelectAll(view);
      break;
    case kMenuInvertSelection:
      InvertSelection(view);
      break;
    case kMenuNextScreen:
      // The page shown decides where the next one starts; on the last page
      // (the item grayed) there is none.
      ShownRows(view, mode);
      if (view.next >= view.count) return;
      NextScreen(view);
      break;
    case kMenuFirstScreen:
      FirstScreen(view);
      break;
    case kMenuPrecedingScreen:
      PrecedingScreen(view, mode);
      break;
    case kMenuNormalCopy:
      SetCopyMode(ctx, kCopyData);
      break;
    case kMenuResourcesCopy:
      SetCopyMode(ctx, kCopyResource);
      break;
    case kMenuBinaryCopy:
      SetCopyMode(ctx, kCopyMacBinary);
      break;
    case kMenuBinHexCopy:
      SetCopyMode(ctx, kCopyBinHex);
      break;
    case kMenuTextCopy:
      SetCopyMode(ctx, kCopyText);
      break;
    case kMenuAppleSingleCopy:
      SetCopyMode(ctx, kCopyAppleSingle);
      break;
    case kMenuAppleDoubleCopy:
      SetCopyMode(ctx, kCopyAppleDouble);
      break;
    case kMenuDestination:
      ctx.settings.useCurrentDirectory = ChooseTargetDirectory(ctx, kMenuDestination) == 1;
      break;
    case kMenuUseCurrentDirectory:
      ctx.settings.useCurrentDirectory = !ctx.settings.useCurrentDirectory;
      break;
    case kMenuFileNaming:
      RunNamingOptions(ctx);
      break;
    case kMenuOutputPorts:
      RunOutputPorts(ctx);
      break;
    // Switching to the mode already in force changes nothing and draws nothing.
    case kMenuExtendedListing:
      if (!SetListingMode(view, ctx.settings.modeFlags, ListingMode::kExtended)) return;
      break;
    case kMenuSignatureListing:
      if (!SetListingMode(view, ctx.settings.modeFlags, ListingMode::kWithSignature)) return;
      break;
    case kMenuShortListing:
      if (!SetListingMode(view, ctx.settings.modeFlags, ListingMode::kShort)) return;
      break;
    case kMenuCommandLine:
      RunCommandLineDialog(ctx);
      break;
    case kMenuLogFile:
      RunLogFileDialog(ctx);
      break;
    case kMenuHelpIndex:
      ctx.ui->ShowHelp("");
      break;
    case kMenuVerify:
      VerifyCommand(ctx);
      break;
    case kMenuLock:
      LockCommand(ctx);
      break;
    case kMenuReset:
      ToggleResetMode(ctx);
      break;
    case kMenuBruteForce:
      BruteForceCommand(ctx);
      break;
    case kMenuAbout:
      ctx.ui->ShowAbout();
      break;
    default:
      return;  // no such operation in this program
  }
  ApplyMenuState(ctx);
  ctx.ui->Repaint();
}

void ApplyMenuState(Context& ctx) {
  ShownRows(ctx.listing, CurrentListingMode(ctx.settings.modeFlags));
  ctx.menu = UpdateMenuState(MenuInputsFrom(ctx), ctx.messages);
}

namespace {

void SetCopyMode(Context& ctx, std::uint16_t mode) {
  ctx.settings.modeFlags = WithCopyMode(ctx.settings.modeFlags, mode);
}

void DumpSelectedFile(Context& ctx) {
  if (!VolumeOpen(ctx)) return;
  const std::uint16_t row = TakeFirstSelected(ctx.listing);
  if (row == kNoRow) return;
  OpenDumpWindow(ctx, ctx.listing.rows[row].name);
  SetStatus(ctx, std::nullopt);
  LoadListing(ctx);
}

bool BelowRoot(const Context& ctx) { return VolumeOpen(ctx) && ctx.volume.current.currentDirId > kRootDirId; }


}  // namespace

}  // namespace tarvo
