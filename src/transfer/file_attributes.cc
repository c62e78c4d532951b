#include "transfer/file_attributes.h"

#include <algorithm>
#include <array>
#include <optional>

#include "base/engine.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/flush_report.h"
#include "hfs/navigation.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

constexpr std::size_t kForkGroup = filrec::filRStBlk - filrec::filStBlk;  // first block, logical, physical length

bool WriteCurrentNode(Engine& ctx);
bool FitsInRecord(const Engine& ctx, ConstBytes extents, std::uint32_t physicalLength);

}  // namespace

std::optional<CatalogRecord> FindFileRecord(Engine& ctx, std::string_view macName) {
  if (!VolumeOpen(ctx)) return std::nullopt;
  TreeWorkFile& catalog = ctx.volume.catalog;
  const KeyPosition at = LocateCatalogKey(catalog, macName, ctx.volume.current.currentDirId);
  if (at.status != SearchStatus::kFound || !at.exists) return std::nullopt;
  const std::optional<Bytes> raw = RecordAt(catalog.node, at.index);
  std::optional<CatalogRecord> record = raw ? ReadCatalogRecord(*raw) : std::nullopt;
  if (!record || record->type != kFileRecord) return std::nullopt;
  return record;
}

bool WriteFileRecord(Engine& ctx, std::string_view macName, ConstBytes data) {
  const std::optional<CatalogRecord> found = FindFileRecord(ctx, macName);
  if (!found || data.size() > found->data.size()) return false;
  std::copy(data.begin(), data.end(), found->data.begin());
  return WriteCurrentNode(ctx);
}

SwapResult SwapForks(Engine& ctx, std::string_view macName) {
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

namespace {

bool WriteCurrentNode(Engine& ctx) {
  TreeWorkFile& catalog = ctx.volume.catalog;
  return WriteNode(catalog, catalog.nodeNumber, catalog.node);
}

// The fork's physical length is all its three extents hold: it has no
// overflow extent records.
bool FitsInRecord(const Engine& ctx, ConstBytes extents, std::uint32_t physicalLength) {
  std::uint64_t blocks = 0;
  for (std::size_t i = 0; i < 3; ++i) blocks += GetU16(extents, 4 * i + 2);
  return blocks * ctx.volume.allocBlockSize == physicalLength;
}

}  // namespace

}  // namespace tarvo
