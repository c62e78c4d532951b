#include "hfs/flush.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "base/engine.h"
#include "device/sector_io.h"
#include "device/sector_undo.h"
#include "hfs/allocation.h"
#include "hfs/catalog_record.h"
#include "hfs/extent_record.h"
#include "hfs/extent_search.h"
#include "hfs/navigation.h"
#include "hfs/node_map.h"
#include "hfs/sector_run.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

// Nodes of a tree and the medium's sectors they occupy, one sector a node.
struct NodeStretch {
  std::uint64_t firstNode = 0;
  std::uint64_t count = 0;
  std::uint64_t firstSector = 0;
};

bool WriteHeaderNode(TreeWorkFile& tree);
FlushStatus WriteUpdate(Engine& ctx, bool& owner);
bool WriteNodes(Engine& ctx, const TreeWorkFile& tree, const NodeStretch& stretch,
                const std::function<bool(std::uint64_t)>& wanted);

}  // namespace

bool WriteBackTree(Engine& ctx, TreeWorkFile& tree, TreeNodes part) {
  VolumeState& v = ctx.volume;
  const std::uint64_t blockSize = v.allocBlockSize;
  if (tree.handle == nullptr || blockSize == 0 || !WriteHeaderNode(tree)) return false;
  const std::uint32_t size = GetU32(v.mdb, tree.isCatalog ? mdb::drCTFlSize : mdb::drXTFlSize);
  const std::uint64_t blocks = (size + blockSize - 1) / blockSize;
  const std::vector<std::uint32_t> cleared =
      part == TreeNodes::kAll ? std::vector<std::uint32_t>{} : UnflushedFreeNodes(tree);
  // Only what changed since the last flush: the rest is on the medium.
  const auto wanted = [&](std::uint64_t node) {
    if (!NodeUnflushed(tree, node)) return false;
    const bool isCleared = std::binary_search(cleared.begin(), cleared.end(), node);
    return part == TreeNodes::kAll || isCleared == (part == TreeNodes::kCleared);
  };

  bool ok = true;
  std::uint64_t written = 0;
  const ExtentRecordVisitor write = [&](const ExtentRecord& record, std::uint32_t) {
    for (const BlockExtent& extent : record.Used()) {
      if (written >= blocks) break;
      const std::uint64_t n = std::min<std::uint64_t>(extent.blockCount, blocks - written);
      const std::uint64_t sector =
          static_cast<std::uint64_t>(v.volumeOrigin) + std::uint64_t{extent.startBlock} * v.sectorsPerBlock;
      const NodeStretch stretch{written * v.sectorsPerBlock, n * v.sectorsPerBlock, sector};
      if (!WriteNodes(ctx, tree, stretch, wanted)) ok = false;
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
  SetStatus(ctx, ctx.messages[kMsgUpdatingDisk]);
  bool owner = false;
  const FlushStatus status = WriteUpdate(ctx, owner);
  // Freed nodes are cleared once the update is in: until then the tree on
  // the medium may still use them, and afterwards their clearing needs no
  // originals in the journal (nor do the zeros of nodes a tree gained). A
  // stop before it leaves old records in free nodes, which no reader looks
  // at. A flush inside another update clears them in it.
  if (owner && status.ok()) {
    WriteBackTree(ctx, v.extents, TreeNodes::kCleared);
    WriteBackTree(ctx, v.catalog, TreeNodes::kCleared);
  }
  // A change not written stays marked, for a later flush.
  if (status.ok()) {
    MarkTreeFlushed(v.extents);
    MarkTreeFlushed(v.catalog);
  }
  SetStatus(ctx, std::nullopt);
  return status;
}

namespace {

// The passes of the commit: a stop between any two writes leaves no block
// that the catalog on the medium uses marked free. owner: the update is
// this flush's own, not one it joined.
FlushStatus WriteUpdate(Engine& ctx, bool& owner) {
  VolumeState& v = ctx.volume;
  FlushStatus status;
  UndoScope update(ctx);
  owner = update.owner();
  const TreeNodes trees = owner ? TreeNodes::kButCleared : TreeNodes::kAll;
  unsigned due = 0;
  // After the first refusal nothing more is staged.
  auto write = [&](FlushPart part, bool isDue, auto&& written) {
    if (!isDue) return;
    due |= part;
    if (update.failed() || !written()) status.notWritten |= part;
  };
  const bool bitmap = !v.bitmap.empty();
  write(kFlushBitmap, bitmap, [&] { return WriteBitmapWithBlocksOnMedium(ctx) == SectorRunResult::kMoved; });
  update.NextPass();
  write(kFlushExtentsTree, v.extents.handle != nullptr, [&] { return WriteBackTree(ctx, v.extents, trees); });
  write(kFlushCatalogTree, v.catalog.handle != nullptr, [&] { return WriteBackTree(ctx, v.catalog, trees); });
  update.NextPass();
  write(kFlushVolumeHeader, true, [&] { return WriteVolumeHeader(ctx) == SectorRunResult::kMoved; });
  update.NextPass();
  write(kFlushBitmap, bitmap, [&] { return WriteBitmap(ctx) == SectorRunResult::kMoved; });
  if (status.notWritten == 0 && !update.Commit()) status.notWritten |= due;
  if (status.notWritten != 0 && update.owner() && update.Restore()) {
    status.takenBack = true;
    ReloadFromMedium(ctx);
  }
  return status;
}

// The header, and every node still held in memory, reach the work file
// before it is copied to the medium.
bool WriteHeaderNode(TreeWorkFile& tree) { return WriteNode(tree, 0, tree.header) && SyncWorkFile(tree); }

// Writes the wanted nodes of the stretch from the work file, in runs of
// consecutive wanted nodes of at most transferSectors each.
bool WriteNodes(Engine& ctx, const TreeWorkFile& tree, const NodeStretch& stretch,
                const std::function<bool(std::uint64_t)>& wanted) {
  const std::uint64_t most = std::max<std::uint16_t>(ctx.volume.transferSectors, 1);
  std::vector<std::uint8_t> run;
  bool ok = true;
  std::uint64_t i = 0;
  while (i < stretch.count) {
    if (!wanted(stretch.firstNode + i)) {
      ++i;
      continue;
    }
    std::uint64_t length = 1;
    while (length < most && i + length < stretch.count && wanted(stretch.firstNode + i + length)) ++length;
    run.resize(length * kNodeSize);
    const std::uint64_t sector = stretch.firstSector + i;
    if (sector + length > UINT32_MAX + std::uint64_t{1} ||
        !ReadWorkFileBytes(tree, (stretch.firstNode + i) * kNodeSize, run) ||
        WriteSectorRun(ctx, static_cast<std::uint32_t>(sector), run) == SectorRunResult::kFailed) {
      ok = false;
    }
    i += length;
  }
  return ok;
}

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
