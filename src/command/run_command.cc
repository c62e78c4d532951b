#include "command/run_command.h"

#include "base/context.h"
#include "command/keywords.h"
#include "device/write_claim.h"
#include "base/utf8.h"
#include "maintenance/drive_control.h"
#include "maintenance/verify_medium.h"
#include "transfer/charset.h"
#include "transfer/copy_to_mac.h"
#include "transfer/copy_to_pc.h"
#include "transfer/file_attributes.h"
#include "ui/copy_option_dialogs.h"
#include "ui/dispatcher.h"
#include "ui/edit_commands.h"
#include "ui/folder_navigation.h"
#include "ui/listing.h"
#include "ui/listing_text.h"
#include "ui/mac_copy_dialog.h"
#include "ui/write_guard.h"
#include "ui/menu_model.h"
#include "ui/menu_state.h"
#include "ui/open_volume.h"

namespace tarvo {

namespace {

std::string TrimRight(std::string text);
void SetResetMode(Context& ctx, const std::string& argument);
void CopyCommand(Context& ctx, const ParsedCommand& command);
bool WritesToMedium(std::uint16_t code);
unsigned TypedCommandChanges(std::uint16_t code);
void RenameCommand(Context& ctx, const ParsedCommand& command);
void McopyCommand(Context& ctx, const std::string& argument);
void SwapCommand(Context& ctx, const std::string& name);

}  // namespace

void RunCommand(Context& ctx, const ParsedCommand& command) {
  const ClaimSpan span(ctx);
  const bool withArgument = !command.first.empty();
  if (WritesToMedium(command.code) &&
      !MediumAcceptsWrites(ctx, TypedCommandChanges(command.code), RefusalNotice::kMessageDialog)) {
    return;
  }
  switch (command.code) {
    case kCmdCopy:
      CopyCommand(ctx, command);
      break;
    case kCmdCd:
      if (withArgument) EnterFolder(ctx, ConvertString(TrimRight(command.first), AnsiToMac));
      else DispatchCommand(ctx, kMenuChangeDirectory);
      break;
    case kCmdCdParent:
      GoToParentFolder(ctx);
      break;
    case kCmdCdRoot:
      GoToRootFolder(ctx);
      break;
    case kCmdDir:
      // The options have set the listing mode already; the menu's check
      // marks follow it when the menu state is recomputed below.
      if (VolumeOpen(ctx)) LoadListing(ctx, command.first);
      ctx.ui->ShowListing(ListingLines(ctx));
      break;
    case kCmdHelp:
      DispatchCommand(ctx, kMenuHelpIndex);
      break;
    case kCmdQuit:
      ctx.settings.closeRequested = true;
      break;
    case kCmdLog:
      DispatchCommand(ctx, kMenuSelectDrive);
      break;
    case kCmdFormat:
      // The menu's format runs after the volume on the drive was opened
      // anew; a drive without a volume is dropped, so the format asks for
      // one.
      if (ctx.volume.targetId != kNoDevice && OpenVolume(ctx) == 0) ctx.volume.targetId = kNoDevice;
      DispatchCommand(ctx, kMenuFormat);
      break;
    case kCmdVerify:
      if (ctx.volume.targetId != kNoDevice) VerifyMedium(ctx, ctx.device.hostAdapterId, ctx.volume.targetId);
      break;
    case kCmdLock:
      LockMedium(ctx);
      break;
    case kCmdUnlock:
      UnlockMedium(ctx);
      break;
    case kCmdMode:
      SetResetMode(ctx, command.first);
      break;
    case kCmdOptions:
      RunNamingOptions(ctx);
      break;
    case kCmdRename:
      RenameCommand(ctx, command);
      break;
    case kCmdLabel:
      if (withArgument) LabelVolume(ctx, command.first);
      else RenameVolumeCommand(ctx);
      break;
    case kCmdDelete:
      DeleteMatching(ctx, command.first);
      break;
    case kCmdMcopy:
      McopyCommand(ctx, command.first);
      break;
    case kCmdMd:
      MakeFolder(ctx, command.first);
      break;
    case kCmdInfo:
      DispatchCommand(ctx, kMenuVolumeInfo);
      break;
    case kCmdAttrib:  // the medium was checked above
      DispatchCommand(ctx, kMenuAttributes);
      break;
    case kCmdSwap:
      if (withArgument) SwapCommand(ctx, ConvertString(TrimRight(command.first), AnsiToMac));
      break;
    default:
      // TYPE, CLS, NEXT and REP do nothing; the others need operations this
      // program does not have.
      return;
  }
  ApplyMenuState(ctx);
  ctx.ui->Repaint();
}

void ExecuteCommandLine(Context& ctx, std::string_view line) {
  if (line.empty()) return;
  const ParsedCommand command = ParseCommand(line, ctx.settings.modeFlags);
  if (command.code == kCmdNone) return;
  RunCommand(ctx, command);
  SetStatus(ctx, std::nullopt);
}

namespace {

std::string TrimRight(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// "R" or "R+" switches the reset on, "R-" off; anything else is ignored.
void SetResetMode(Context& ctx, const std::string& argument) {
  if (argument.empty() || (argument[0] != 'R' && argument[0] != 'r')) return;
  if (argument.size() == 1 || argument[1] == '+') ctx.device.resetBeforeTransfer = true;
  else if (argument[1] == '-') ctx.device.resetBeforeTransfer = false;
}

// With a pattern: the matching items of the current folder go to the PC
// current directory (or the output port). Without: the menu's copy of the
// selected rows, in the copy mode the options left.
void CopyCommand(Context& ctx, const ParsedCommand& command) {
  if (command.first.empty()) {
    const std::uint16_t flags = ctx.settings.modeFlags;
    DispatchCommand(ctx, CheckedCopyItem(flags));
    DispatchCommand(ctx, kMenuCopyToPc);
  } else if (VolumeOpen(ctx)) {
    CopyMatchingItems(ctx, ConvertString(TrimRight(command.first), AnsiToMac));
  } else {
    MessageDialog(ctx, kMsgSelectDriveInMenu);
  }
}

// RENAME, LABEL, DELETE / ERASE, MCOPY, MD and ATTRIB check the medium
// before anything else.
bool WritesToMedium(std::uint16_t code) { return code >= kCmdRename && code <= kCmdAttrib; }

// DELETE alone writes the volume back as it is: it counts as a deletion.
unsigned TypedCommandChanges(std::uint16_t code) {
  switch (code) {
    case kCmdLabel: return kChangesVolumeName;
    case kCmdDelete: case kCmdMcopy: return kChangesFiles;
    case kCmdMd: return kChangesNewFolder;
    default: return kChangesCatalogRecords;  // RENAME, ATTRIB
  }
}

// With both names: the matching items; otherwise the rename dialog for
// each selected row.
void RenameCommand(Context& ctx, const ParsedCommand& command) {
  if (!command.first.empty() && !command.second.empty()) {
    RenameMatching(ctx, command.first, command.second);
  } else if (!VolumeOpen(ctx)) {
    MessageDialog(ctx, kMsgSelectDriveInMenu);
  } else if (CountSelected(ctx.listing) == 0) {
    MessageDialog(ctx, kMsgNoSelection);
  } else {
    RenameSelectionCommand(ctx);
  }
}

// With a pattern: the matching PC files and directories of the PC current
// directory, into the current folder. Alone: "Copy from PC to Mac".
void McopyCommand(Context& ctx, const std::string& argument) {
  const std::string pattern = TrimRight(argument);
  if (pattern.empty()) {
    CopyPcToMacCommand(ctx);
  } else if (!VolumeOpen(ctx)) {
    MessageDialog(ctx, kMsgSelectDriveInMenu);
  } else {
    CopyPcMatches(ctx, AnsiToUtf8(pattern));
    LoadListing(ctx);
  }
}

// The forks of the named file; a medium with 1024-byte sectors is refused
// as for every write.
void SwapCommand(Context& ctx, const std::string& name) {
  if (!VolumeOpen(ctx) || !MediumAcceptsWrites(ctx, kChangesCatalogRecords, RefusalNotice::kMessageDialog)) return;
  if (SwapForks(ctx, name) != kSwapDone) MessageDialog(ctx, kMsgCannotSwapForks);
  else LoadListing(ctx);
}

}  // namespace

}  // namespace tarvo
