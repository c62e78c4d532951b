#include "command/run_command.h"

#include <filesystem>

#include "base/charset.h"
#include "base/utf8.h"
#include "command/keywords.h"
#include "device/write_claim.h"
#include "maintenance/drive_control.h"
#include "maintenance/verify_medium.h"
#include "transfer/copy_to_mac.h"
#include "transfer/copy_to_pc.h"
#include "transfer/file_attributes.h"
#include "ui/context.h"
#include "ui/copy_option_dialogs.h"
#include "ui/dispatcher.h"
#include "ui/drive_commands.h"
#include "ui/edit_commands.h"
#include "ui/folder_navigation.h"
#include "ui/listing.h"
#include "ui/listing_text.h"
#include "ui/mac_copy_dialog.h"
#include "ui/name_dialog.h"
#include "ui/open_volume.h"
#include "ui/selection_commands.h"
#include "ui/volume_info.h"
#include "ui/write_guard.h"

namespace tarvo {

namespace {

std::string TrimRight(std::string text);
void SetResetMode(Context& ctx, const std::string& argument);
void CopyCommand(Context& ctx, const ParsedCommand& command);
void ReportNoMatch(Context& ctx, const std::string& typedName);
CommandReport VerifyReport(Context& ctx);
bool WritesToMedium(std::uint16_t code);
unsigned TypedCommandChanges(std::uint16_t code);
void RenameCommand(Context& ctx, const ParsedCommand& command);
void McopyCommand(Context& ctx, const std::string& argument);
bool PcEntryMatches(std::string_view pattern);
void SwapCommand(Context& ctx, const std::string& name);

}  // namespace

CommandReport RunCommand(Context& ctx, const ParsedCommand& command) {
  const ClaimSpan span(ctx);
  const bool withArgument = !command.first.empty();
  if (WritesToMedium(command.code) &&
      !MediumAcceptsWrites(ctx, TypedCommandChanges(command.code), RefusalNotice::kMessageDialog)) {
    return {};
  }
  CommandReport report;
  switch (command.code) {
    case kCmdCopy:
      CopyCommand(ctx, command);
      break;
    case kCmdCd:
      if (!withArgument) EnterSelectedFolder(ctx);
      else if (!VolumeOpen(ctx)) MessageDialog(ctx, kMsgSelectDriveInMenu);
      else if (!EnterFolder(ctx, ConvertString(TrimRight(command.first), AnsiToMac))) ReportNoMatch(ctx, command.first);
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
      if (!VolumeOpen(ctx)) {
        MessageDialog(ctx, kMsgSelectDriveInMenu);
        break;
      }
      LoadListing(ctx, command.first);
      ctx.ui->ShowListing(ListingLines(ctx));
      if (ctx.listing.count == 0 && !TrimRight(command.first).empty()) ReportNoMatch(ctx, command.first);
      break;
    case kCmdHelp:
      ctx.ui->ShowHelp("");
      break;
    case kCmdQuit:
      ctx.settings.closeRequested = true;
      break;
    case kCmdLog:
      SelectDriveCommand(ctx);
      break;
    case kCmdFormat:
      // The menu's format runs after the volume on the drive was opened
      // anew; a drive without a volume is dropped, so the format asks for
      // one.
      if (ctx.volume.targetId != kNoDevice && OpenVolume(ctx) == VolumeOpening::kNoMacVolume)
        ctx.volume.targetId = kNoDevice;
      if (MediumAcceptsWrites(ctx, kChangesNothingChecked, RefusalNotice::kMessageBox)) FormatCommand(ctx);
      break;
    case kCmdVerify:
      if (ctx.volume.targetId != kNoDevice) report = VerifyReport(ctx);
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
      if (DeleteMatching(ctx, command.first) == DeleteStatus::kNotFound) ReportNoMatch(ctx, command.first);
      break;
    case kCmdMcopy:
      McopyCommand(ctx, command.first);
      break;
    case kCmdMd:
      MakeFolder(ctx, command.first);
      break;
    case kCmdInfo:
      VolumeInfoCommand(ctx);
      break;
    case kCmdAttrib:  // the medium was checked above
      EditSelectedAttributes(ctx, DriveWriteProtection(ctx));
      break;
    case kCmdSwap:
      if (withArgument) SwapCommand(ctx, ConvertString(TrimRight(command.first), AnsiToMac));
      break;
    default:
      // TYPE, CLS, NEXT and REP do nothing; the others need operations this
      // program does not have.
      return report;
  }
  ApplyMenuState(ctx);
  ctx.ui->Repaint();
  return report;
}

CommandReport ExecuteCommandLine(Context& ctx, std::string_view line) {
  if (line.empty()) return {};
  const ParsedCommand command = ParseCommand(line, ctx.settings.modeFlags);
  if (command.code == kCmdNone) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    const std::string_view rest = line.substr(start);
    MessageDialog(ctx, kTextUnknownCommand + std::string(rest.substr(0, rest.find_first_of(" \t"))));
    return {};
  }
  CommandReport report = RunCommand(ctx, command);
  SetStatus(ctx, std::nullopt);
  return report;
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
    CopySelectionToPc(ctx);
  } else if (VolumeOpen(ctx)) {
    if (CopyMatchingItems(ctx, ConvertString(TrimRight(command.first), AnsiToMac), AskPcFileName) == ItemCopy::kNoMatch)
      ReportNoMatch(ctx, command.first);
  } else {
    MessageDialog(ctx, kMsgSelectDriveInMenu);
  }
}

void ReportNoMatch(Context& ctx, const std::string& typedName) {
  MessageDialog(ctx, kTextNoSuchItem + TrimRight(typedName));
}

// The verdict names the blocks in the drive's own block size.
CommandReport VerifyReport(Context& ctx) {
  const VerifyResult result = VerifyMedium(ctx, ctx.device.hostAdapterId, ctx.volume.targetId);
  CommandReport report;
  report.failed = result.failedGroups > 0 || result.stopped;
  report.verdict = (result.stopped ? "Verification stopped after " : "Verification complete: ") +
                   std::to_string(result.blocks) + " blocks, " +
                   (result.failedGroups == 0 ? std::string("no errors.")
                                             : std::to_string(result.failedGroups) + " groups with errors.");
  return report;
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
    if (RenameMatching(ctx, command.first, command.second) == RenameStatus::kNotFound)
      ReportNoMatch(ctx, command.first);
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
  } else if (!PcEntryMatches(AnsiToUtf8(pattern))) {
    ReportNoMatch(ctx, pattern);
  } else {
    CopyPcMatches(ctx, AnsiToUtf8(pattern));
    LoadListing(ctx);
  }
}

// Whether an entry of the PC current directory matches the pattern
// (UTF-8); a directory that cannot be read is left for the copy to report.
bool PcEntryMatches(std::string_view pattern) {
  std::error_code error;
  std::filesystem::directory_iterator it(".", error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    if (MatchesPcPattern(it->path().filename().string(), pattern)) return true;
  }
  return static_cast<bool>(error);
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
