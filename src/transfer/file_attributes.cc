#include "transfer/file_attributes.h"

#include <algorithm>
#include <array>
#include <optional>

#include "base/context.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/flush_report.h"
#include "hfs/rename_entries.h"
#include "hfs/work_file.h"
#include "ui/attributes_dialog.h"
#include "ui/folder_navigation.h"
#include "ui/listing.h"
#include "ui/write_guard.h"

namespace tarvo {

namespace {

constexpr std::size_t kForkGroup = filrec::filRStBlk - filrec::filStBlk;  // first block, logical, physical length

bool WriteCurrentNode(Context& ctx);
bool FitsInRecord(const Context& ctx, ConstBytes extents, std::uint32_t physicalLength);
std::optional<std::string> FirstSelectedName(Context& ctx);

}  // namespace

std::optional<CatalogRecord> FindFileRecord(Context& ctx, std::string_view macName) {
  if (!VolumeOpen(ctx)) return std::nullopt;
  TreeWorkFile& catalog = ctx.volume.catalog;
  const KeyPosition at = LocateCatalogKey(catalog, macName, ctx.volume.current.currentDirId);
  if (at.status != SearchStatus::kFound || !at.exists) return std::nullopt;
  const std::optional<Bytes> raw = RecordAt(catalog.node, at.index);
  std::optional<CatalogRecord> record = raw ? ReadCatalogRecord(*raw) : std::nullopt;
  if (!record || record->type != kFileRecord) return std::nullopt;
  return record;
}

int EditAttributes(Context& ctx, std::string_view macName, const ProtectionProbe& probe) {
  std::optional<CatalogRecord> found = FindFileRecord(ctx, macName);
  if (!found) return 0;
  AttributesDialog dialog(ctx, macName, found->data, probe);
  ctx.ui->RunAttributesDialog(dialog);
  if (dialog.result() < 2) return 0;
  // A new name is given by deleting and inserting the record: its nodes are
  // made sure of before anything changes, or nothing does.
  if (dialog.newName() && ReserveInsertions(ctx, 1) != CatalogEditStatus::kDone) return 0;
  // The dialog may have let anything happen meanwhile: the record is found
  // again before it is changed.
  found = FindFileRecord(ctx, macName);
  if (!found) return 0;
  std::copy(dialog.record().begin(), dialog.record().end(), found->data.begin());
  if (!WriteCurrentNode(ctx)) return 0;
  if (dialog.newName()) RenameEntries(ctx, macName, *dialog.newName());
  return 1;
}

SwapResult SwapForks(Context& ctx, std::string_view macName) {
  const std::optional<CatalogRecord> found = FindFileRecord(ctx, macName);
  if (!found) return kSwapNoFile;
  const Bytes d = found->data;
  if (!FitsInRecord(ctx, ResourceExtents(*found), GetU32(d, filrec::filRPyLen))) return kSwapResourceOverflow;
  if (!FitsInRecord(ctx, DataExtents(*found), GetU32(d, filrec::filPyLen))) return kSwapDataOverflow;
  std::swap_ranges(d.begin() + filrec::filExtRec, d.begin() + filrec::filExtRec + kExtentRecordSize,
                   d.begin() + filrec::filRExtRec);
  std::swap_ranges(d.begin() + filrec::filStBlk, d.begin() + filrec::filStBlk + kForkGroup,
                   d.begin() + filrec::filRStBlk);
  if (!WriteCurrentNode(ctx) || !FlushVolumeAndReport(ctx)) return kSwapNotWritten;
  return kSwapDone;
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

namespace {

bool WriteCurrentNode(Context& ctx) {
  TreeWorkFile& catalog = ctx.volume.catalog;
  return WriteNode(catalog, catalog.nodeNumber, catalog.node);
}

// The fork's physical length is all its three extents hold: it has no
// overflow extent records.
bool FitsInRecord(const Context& ctx, ConstBytes extents, std::uint32_t physicalLength) {
  std::uint64_t blocks = 0;
  for (std::size_t i = 0; i < 3; ++i) blocks += GetU16(extents, 4 * i + 2);
  return blocks * ctx.volume.allocBlockSize == physicalLength;
}

std::optional<std::string> FirstSelectedName(Context& ctx) {
  if (!VolumeOpen(ctx)) return std::nullopt;
  const std::uint16_t row = TakeFirstSelected(ctx.listing);
  if (row == kNoRow) return std::nullopt;
  return ctx.listing.rows[row].name;
}

}  // namespace

}  // namespace tarvo
