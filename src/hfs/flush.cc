#include "hfs/flush.h"

#include <algorithm>

#include "base/engine.h"
#include "device/sector_io.h"
#include "device/sector_undo.h"
#include "hfs/allocation.h"
#include "hfs/catalog_record.h"
#include "hfs/extent_record.h"
#include "hfs/extent_search.h"
#include "hfs/navigation.h"
#include "hfs/sector_run.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

bool WriteHeaderNode(TreeWorkFile& tree);

}  // namespace

bool WriteBackTree(Engine& ctx, TreeWorkFile& tree) {
  VolumeState& v = ctx.volume;
  const std::uint64_t blockSize = v.allocBlockSize;
  if (tree.handle == nullptr || blockSize == 0 || !WriteHeaderNode(tree)) return false;
  const std::uint32_t size = GetU32(v.mdb, tree.isCatalog ? mdb::drCTFlSize : mdb::drXTFlSize);
  const std::uint64_t blocks = (size + blockSize - 1) / blockSize;

  bool ok = true;
  std::uint64_t written = 0;
  const ExtentRecordVisitor write = [&](const ExtentRecord& record, std::uint32_t) {
    for (const BlockExtent& extent : record.Used()) {
      if (written >= blocks) break;
      const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(extent.blockCount, blocks - written));
      std::uint64_t at = written * blockSize;
      const ChunkSource fromWorkFile = [&tree, &at](std::span<std::uint8_t> chunk, bool& failed) {
        if (!ReadWorkFileBytes(tree, at, chunk)) failed = true;
        at += chunk.size();
        return chunk.size();
      };
      if (!WriteBlocksFromSource(ctx, fromWorkFile, extent.startBlock, n).ok()) ok = false;
      written += n;
    }
    return written >= blocks ? ForkWalkStep::kStop : ForkWalkStep::kNext;
  };
  // Only the catalog continues in the extents tree.
  const NextExtentRecord next = tree.isCatalog ? OverflowRecords(ctx, kCatalogFileId, kDataFork) : nullptr;
  const ConstBytes first =
      ConstBytes(v.mdb).subspan(tree.isCatalog ? mdb::drCTExtRec : mdb::drXTExtRec, kExtentRecordSize);
  return WalkForkExtents(first, next, write) == ForkWalkEnd::kStopped && ok;
}

FlushStatus FlushVolume(Engine& ctx) {
  VolumeState& v = ctx.volume;
  FlushStatus status;
  SetStatus(ctx, ctx.messages[kMsgUpdatingDisk]);
  UndoScope update(ctx);
  unsigned due = 0;
  // After the first refusal nothing more is staged.
  auto write = [&](FlushPart part, bool isDue, auto&& written) {
    if (!isDue) return;
    due |= part;
    if (update.failed() || !written()) status.notWritten |= part;
  };
  // The passes of the commit: a stop between any two writes leaves no
  // block that the catalog on the medium uses marked free.
  const bool bitmap = !v.bitmap.empty();
  write(kFlushBitmap, bitmap, [&] { return WriteBitmapWithBlocksOnMedium(ctx) == 0; });
  update.NextPass();
  write(kFlushExtentsTree, v.extents.handle != nullptr, [&] { return WriteBackTree(ctx, v.extents); });
  write(kFlushCatalogTree, v.catalog.handle != nullptr, [&] { return WriteBackTree(ctx, v.catalog); });
  update.NextPass();
  write(kFlushVolumeHeader, true, [&] { return WriteVolumeHeader(ctx) == 0; });
  update.NextPass();
  write(kFlushBitmap, bitmap, [&] { return WriteBitmap(ctx) == 0; });
  if (status.notWritten == 0 && !update.Commit()) status.notWritten |= due;
  if (status.notWritten != 0 && update.owner() && update.Restore()) {
    status.takenBack = true;
    ReloadFromMedium(ctx);
  }
  return status;
}

namespace {

// The header, and every node still held in memory, reach the work file
// before it is copied to the medium.
bool WriteHeaderNode(TreeWorkFile& tree) { return WriteNode(tree, 0, tree.header) && SyncWorkFile(tree); }

}  // namespace

void ReloadFromMedium(Engine& ctx) {
  VolumeState& v = ctx.volume;
  const std::uint32_t current = v.current.currentDirId;
  ReadSectorRun(ctx, v.mdbSector, v.mdb);
  ReleaseBitmap(v);
  OpenCatalogWorkFile(ctx);
  if (!EnterDirectoryById(ctx, current)) EnterDirectory(ctx, kRootParentId, "*");
}

}  // namespace tarvo
