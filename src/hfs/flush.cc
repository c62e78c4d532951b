#include "hfs/flush.h"

#include <algorithm>
#include <array>

#include "base/context.h"
#include "device/sector_io.h"
#include "device/sector_undo.h"
#include "hfs/allocation.h"
#include "hfs/catalog_record.h"
#include "hfs/extent_search.h"
#include "hfs/index_rebuild.h"
#include "hfs/navigation.h"
#include "hfs/sector_run.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

bool WriteHeaderNode(TreeWorkFile& tree);
void ReloadFromMedium(Context& ctx);

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
      std::uint64_t at = written * blockSize;
      const ChunkSource fromWorkFile = [&tree, &at](std::span<std::uint8_t> chunk, bool& failed) {
        if (!ReadWorkFileBytes(tree, at, chunk)) failed = true;
        at += chunk.size();
        return chunk.size();
      };
      if (!WriteBlocksFromSource(ctx, fromWorkFile, start, n).ok()) ok = false;
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
  UndoScope undo(ctx);
  // After the first failure nothing more is written: what was written is
  // taken back.
  auto write = [&](FlushPart part, bool due, auto&& written) {
    if (!due) return;
    if (undo.failed() || !written()) status.notWritten |= part;
  };
  write(kFlushVolumeHeader, true, [&] { return WriteVolumeHeader(ctx) == 0; });
  write(kFlushBitmap, !v.bitmap.empty(), [&] { return WriteBitmap(ctx) == 0; });
  write(kFlushExtentsTree, v.extents.handle != nullptr, [&] { return WriteBackTree(ctx, v.extents); });
  write(kFlushCatalogTree, v.catalog.handle != nullptr, [&] { return WriteBackTree(ctx, v.catalog); });
  if ((status.notWritten & ~unsigned{kFlushIndex}) != 0 && undo.owner() && undo.Restore()) {
    status.takenBack = true;
    ReloadFromMedium(ctx);
  }
  return status;
}

namespace {

// The header, and every node still held in memory, reach the work file
// before it is copied to the medium.
bool WriteHeaderNode(TreeWorkFile& tree) { return WriteNode(tree, 0, tree.header) && SyncWorkFile(tree); }

// After a flush was taken back the engine forgets the change: the header,
// the bitmap and the trees are taken from the medium again, and the current
// folder stays current when it is still there.
void ReloadFromMedium(Context& ctx) {
  VolumeState& v = ctx.volume;
  const std::uint32_t current = v.current.currentDirId;
  ReadSectorRun(ctx, v.mdbSector, v.mdb);
  ReleaseBitmap(v);
  OpenCatalogWorkFile(ctx);
  if (!EnterDirectoryById(ctx, current)) EnterDirectory(ctx, kRootParentId, "*");
}

}  // namespace

}  // namespace tarvo
