#include "hfs/flush.h"

#include <algorithm>
#include <array>

#include "base/context.h"
#include "device/sector_io.h"
#include "hfs/allocation.h"
#include "hfs/catalog_record.h"
#include "hfs/extent_search.h"
#include "hfs/index_rebuild.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

bool WriteHeaderNode(TreeWorkFile& tree);

}  // namespace

bool WriteBackTree(Context& ctx, TreeWorkFile& tree) {
  VolumeState& v = ctx.volume;
  const std::uint64_t blockSize = v.allocBlockSize;
  if (tree.handle == nullptr || blockSize == 0 || !WriteHeaderNode(tree)) return false;
  const std::uint32_t size = GetU32(v.mdb, tree.isCatalog ? mdb::drCTFlSize : mdb::drXTFlSize);
  const std::uint64_t blocks = (size + blockSize - 1) / blockSize;

  std::array<std::uint8_t, kExtentRecordSize> record{};
  std::copy_n(v.mdb.begin() + (tree.isCatalog ? mdb::drCTExtRec : mdb::drXTExtRec), record.size(), record.begin());
  bool ok = true;
  std::uint64_t written = 0;
  for (;;) {
    const std::uint64_t before = written;
    for (std::size_t i = 0; i < 3 && written < blocks; ++i) {
      const std::uint16_t start = GetU16(record, 4 * i);
      const std::uint16_t count = GetU16(record, 4 * i + 2);
      if (count == 0) break;
      const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, blocks - written));
      if (fseeko(tree.handle, static_cast<off_t>(written * blockSize), SEEK_SET) != 0) return false;
      if (!WriteBlocksFromFile(ctx, tree.handle, start, n).ok()) ok = false;
      written += n;
    }
    if (written >= blocks) return ok;
    // Only the catalog continues in the extents tree; each record must add
    // blocks, so the lookups end.
    const FoundRecord next = tree.isCatalog && written > before && written <= 0xFFFF
                                 ? FindExtentRecord(ctx, kCatalogFileId, static_cast<std::uint16_t>(written), kDataFork)
                                 : FoundRecord{};
    if (!next) return false;
    std::copy_n(next.record.begin(), record.size(), record.begin());
  }
}

FlushStatus FlushVolume(Context& ctx) {
  VolumeState& v = ctx.volume;
  FlushStatus status;
  SetStatus(ctx, ctx.messages[kMsgUpdatingDisk]);
  if (v.catalog.handle != nullptr && RebuildCatalogIndex(ctx) != RebuildStatus::kDone) {
    status.notWritten |= kFlushIndex;
  }
  if (WriteVolumeHeader(ctx) != 0) status.notWritten |= kFlushVolumeHeader;
  if (!v.bitmap.empty() && WriteBitmap(ctx) != 0) status.notWritten |= kFlushBitmap;
  if (v.extents.handle != nullptr && !WriteBackTree(ctx, v.extents)) status.notWritten |= kFlushExtentsTree;
  if (v.catalog.handle != nullptr && !WriteBackTree(ctx, v.catalog)) status.notWritten |= kFlushCatalogTree;
  return status;
}

namespace {

// The header, and every node still held in memory, reach the work file
// before it is copied to the medium.
bool WriteHeaderNode(TreeWorkFile& tree) { return WriteNode(tree, 0, tree.header) && SyncWorkFile(tree); }

}  // namespace

}  // namespace tarvo
