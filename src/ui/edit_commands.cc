#include "ui/edit_commands.h"

#include <optional>
#include <string>

#include "base/charset.h"
#include "hfs/allocation.h"
#include "hfs/catalog_record.h"
#include "hfs/delete_entries.h"
#include "hfs/delete_question.h"
#include "hfs/flush_report.h"
#include "hfs/rename_entries.h"
#include "hfs/rename_volume.h"
#include "hfs/volume_header.h"
#include "transfer/mac_folder.h"
#include "ui/context.h"
#include "ui/folder_navigation.h"
#include "ui/listing.h"
#include "ui/name_dialog.h"
#include "ui/short_mount.h"

namespace tarvo {

namespace {

constexpr std::size_t kRenameLength = 30;
constexpr std::size_t kNewFolderLength = 39;
constexpr const char* kNewDirectoryTitle = "New Directory";

// A mounted volume with its bitmap loaded; tells the user when not.
bool BeginUpdate(Context& ctx);
void FinishUpdate(Context& ctx);
// DLG_REN: the name typed, or nothing when cancelled.
std::optional<std::string> AskNewName(Context& ctx, int titleEntry, const std::string& ansiName);
std::string TrimRight(std::string_view text);
void RenameMountedVolume(Context& ctx, std::string_view typedName);

}  // namespace

void RenameVolumeCommand(Context& ctx) {
  if (!VolumeOpen(ctx)) {
    MessageDialog(ctx, kMsgSelectDriveInMenu);
    return;
  }
  const std::optional<std::string> name =
      AskNewName(ctx, kMsgRenameVolume, ConvertString(VolumeName(ctx.volume), MacToAnsi));
  if (name) LabelVolume(ctx, name->substr(0, kMaxNameLength));
}

void LabelVolume(Context& ctx, std::string_view typedName) {
  if (!BeginUpdate(ctx)) return;
  RenameMountedVolume(ctx, typedName);
  LoadListing(ctx);
}

void MakeFolderCommand(Context& ctx) {
  if (!VolumeOpen(ctx)) {
    MessageDialog(ctx, kMsgSelectDriveInMenu);
    return;
  }
  NameDialog ask("DLG_NOUV", kNewDirectoryTitle, "", ctx.messages[kMsgNewFolder], kNewFolderLength);
  ctx.ui->RunNameDialog(ask);
  if (ask.result()) MakeFolder(ctx, ask.result()->substr(0, kMaxNameLength));
}

void MakeFolder(Context& ctx, std::string_view typedName) {
  if (!BeginUpdate(ctx)) return;
  const std::string macName = CapitalsToLowerCase(ConvertString(typedName, AnsiToMac));
  if (MakeMacFolder(ctx, macName).status == FolderStatus::kCreated) FlushVolumeAndReport(ctx);
  LoadListing(ctx);
}

void DeleteSelectionCommand(Context& ctx) {
  ListingView& view = ctx.listing;
  const std::uint16_t n = CountSelected(view);
  if (n == 0) return;
  if (n > 1 && ShowMessageBox(ctx, ctx.messages[kMsgDeleteSeveral], Buttons::kOkCancel, Stakes::kDestroys) !=
                   Answer::kOk)
    return;
  if (!BeginUpdate(ctx)) return;
  for (std::uint16_t row = TakeFirstSelected(view); row != kNoRow; row = TakeFirstSelected(view)) {
    AdvanceWaitCursor(ctx);
    if (DeleteItem(ctx, view.rows[row].name, AskBeforeNonEmpty(ctx)) == DeleteStatus::kFailed) break;
  }
  FinishUpdate(ctx);
}

DeleteStatus DeleteMatching(Context& ctx, std::string_view typedPattern) {
  if (!BeginUpdate(ctx)) return DeleteStatus::kFailed;
  const std::string pattern = TrimRight(typedPattern);
  const DeleteStatus status =
      pattern.empty() ? DeleteStatus::kDone
                      : DeleteEntries(ctx, ConvertString(pattern, AnsiToMac), AskBeforeNonEmpty(ctx));
  FinishUpdate(ctx);
  return status;
}

RenameQuestions AskRenameQuestions(Engine& ctx) {
  RenameQuestions ask;
  ask.oneSidedWildcard = [&ctx] {
    return ShowMessageBox(ctx, ctx.messages[kMsgWildcardOneSide], Buttons::kOkCancel) != Answer::kCancel;
  };
  ask.nameTaken = [&ctx](std::string_view newName) {
    MessageDialog(ctx, kTextNameTaken + ConvertString(newName, MacToAnsi) + ".");
  };
  return ask;
}

int RenameSelectionCommand(Context& ctx) {
  if (!BeginUpdate(ctx)) return 0;
  ListingView& view = ctx.listing;
  int renamed = 0;
  bool changed = false;
  for (std::uint16_t row = TakeFirstSelected(view); row != kNoRow; row = TakeFirstSelected(view)) {
    const std::string oldName = view.rows[row].name;
    const std::optional<std::string> typed = AskNewName(ctx, kMsgRenameItem, ConvertString(oldName, MacToAnsi));
    if (!typed) break;
    const RenameStatus status = RenameEntry(ctx, oldName, ConvertString(*typed, AnsiToMac), AskRenameQuestions(ctx));
    if (status == RenameStatus::kDone) ++renamed;
    changed = changed || status == RenameStatus::kDone || status == RenameStatus::kFailed;
    if (status == RenameStatus::kNoRoom) break;  // every other row would be refused alike
  }
  if (renamed > 0) DeselectAll(view);
  if (changed) FlushVolumeAndReport(ctx);
  LoadListing(ctx);
  return renamed;
}

RenameStatus RenameMatching(Context& ctx, std::string_view typedPattern, std::string_view typedNewName) {
  if (!BeginUpdate(ctx)) return RenameStatus::kFailed;
  const RenameStatus status =
      RenameEntries(ctx, ConvertString(typedPattern, AnsiToMac), ConvertString(typedNewName, AnsiToMac),
                    AskRenameQuestions(ctx));
  FinishUpdate(ctx);
  return status;
}

namespace {

bool BeginUpdate(Context& ctx) {
  if (!VolumeOpen(ctx)) {
    MessageDialog(ctx, kMsgSelectDriveInMenu);
    return false;
  }
  if (EnsureBitmapLoaded(ctx)) return true;
  MessageDialog(ctx, kMsgErrorReadingData);
  return false;
}

void FinishUpdate(Context& ctx) {
  FlushVolumeAndReport(ctx);
  LoadListing(ctx);
}

std::optional<std::string> AskNewName(Context& ctx, int titleEntry, const std::string& ansiName) {
  NameDialog ask("DLG_REN", ctx.messages[titleEntry], ansiName, ansiName, kRenameLength);
  ctx.ui->RunNameDialog(ask);
  return ask.result();
}

std::string TrimRight(std::string_view text) {
  std::string trimmed(text);
  trimmed.erase(trimmed.find_last_not_of(' ') + 1);
  return trimmed;
}

// Where AnsiToMac has no counterpart (a ':' for instance) the name ends; a
// name empty in Mac Roman is refused. The log line follows the catalog's
// change, before the flush.
void RenameMountedVolume(Context& ctx, std::string_view typedName) {
  const std::string typed(typedName.substr(0, mdb::kVolumeNameMax));
  const std::string macName = ConvertString(typed, AnsiToMac);
  if (macName.empty()) return;
  if (ctx.volume.catalog.handle == nullptr) ShortMount(ctx);
  if (RenameVolume(ctx, macName) != VolumeRenameStatus::kRenamed) return;
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, "*label " + typed + "\r\n");
  ctx.settings.windowTitle = ctx.messages[kMsgProductName] + " : " + ConvertString(macName, MacToAnsi);
  FlushVolumeAndReport(ctx);
}

}  // namespace

}  // namespace tarvo
