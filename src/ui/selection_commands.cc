#include "ui/selection_commands.h"

#include <optional>
#include <string>

#include "hfs/catalog_insert.h"
#include "hfs/flush_report.h"
#include "hfs/rename_entries.h"
#include "transfer/copy_to_pc.h"
#include "ui/attributes_dialog.h"
#include "ui/context.h"
#include "ui/destination_dialog.h"
#include "ui/edit_commands.h"
#include "ui/folder_navigation.h"
#include "ui/listing.h"
#include "ui/menu_model.h"
#include "ui/name_dialog.h"
#include "ui/write_guard.h"

namespace tarvo {

namespace {

std::optional<std::string> FirstSelectedName(Context& ctx) {
  if (!VolumeOpen(ctx)) return std::nullopt;
  const std::uint16_t row = TakeFirstSelected(ctx.listing);
  if (row == kNoRow) return std::nullopt;
  return ctx.listing.rows[row].name;
}

}  // namespace

void CopySelectionToPc(Context& ctx) {
  if (!VolumeOpen(ctx)) {
    MessageDialog(ctx, kMsgSelectDriveInMenu);
    return;
  }
  ListingView& view = ctx.listing;
  if (CountSelected(view) == 0) {
    MessageDialog(ctx, kMsgNoSelection);
    return;
  }
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, "Mac->PC\n");
  if (ctx.settings.outputPort == 0 && !ctx.settings.useCurrentDirectory &&
      ChooseTargetDirectory(ctx, kMenuCopyToPc) != 1) {
    return;
  }
  AdvanceWaitCursor(ctx);
  CopyWalk walk(AskPcFileName);
  for (std::uint16_t row = TakeFirstSelected(view); row != kNoRow; row = TakeFirstSelected(view)) {
    if (CopyNamedItem(ctx, walk, view.rows[row].name) != ItemCopy::kDone) break;
  }
  SetStatus(ctx, "", std::nullopt);
}

int EditAttributes(Context& ctx, std::string_view macName, const ProtectionProbe& probe) {
  const std::optional<CatalogRecord> found = FindFileRecord(ctx, macName);
  if (!found) return 0;
  AttributesDialog dialog(ctx, macName, found->data, probe);
  ctx.ui->RunAttributesDialog(dialog);
  if (dialog.result() < 2) return 0;
  // A new name is given by deleting and inserting the record: its nodes are
  // made sure of before anything changes, or nothing does.
  if (dialog.newName() && ReserveInsertions(ctx, 1) != CatalogEditStatus::kDone) return 0;
  // The dialog may have let anything happen meanwhile: the record is found
  // again before it is changed.
  if (!WriteFileRecord(ctx, macName, dialog.record())) return 0;
  if (dialog.newName()) RenameEntries(ctx, macName, *dialog.newName(), AskRenameQuestions(ctx));
  return 1;
}

void EditSelectedAttributes(Context& ctx, const ProtectionProbe& probe) {
  const std::optional<std::string> name = FirstSelectedName(ctx);
  if (!name || EditAttributes(ctx, *name, probe) != 1) return;
  FlushVolumeAndReport(ctx);
  LoadListing(ctx);
}

void SwapSelectedForks(Context& ctx, const ProtectionProbe& probe) {
  const std::optional<std::string> name = FirstSelectedName(ctx);
  if (!name || !WriteGuard(ctx, probe, kChangesCatalogRecords, RefusalNotice::kMessageBox)) return;
  if (SwapForks(ctx, *name) != kSwapDone) MessageDialog(ctx, kMsgCannotSwapForks);
  LoadListing(ctx);
}

}  // namespace tarvo
