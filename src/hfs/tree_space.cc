#include "hfs/tree_space.h"

#include <algorithm>
#include <optional>

#include "base/engine.h"
#include "hfs/allocation.h"
#include "hfs/btree.h"
#include "hfs/extent_record.h"
#include "hfs/node_map.h"
#include "hfs/overflow_extent.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

constexpr int kGrowthAttempts = 4;

// Where the header keeps one tree file's size, extents and clump.
struct TreeFile {
  TreeWorkFile& tree;
  std::size_t sizeField;
  std::size_t extentsField;
  std::size_t clumpField;
};

TreeFile CatalogFile(VolumeState& v) { return {v.catalog, mdb::drCTFlSize, mdb::drCTExtRec, mdb::drCTClpSiz}; }
TreeFile ExtentsFile(VolumeState& v) { return {v.extents, mdb::drXTFlSize, mdb::drXTExtRec, mdb::drXTClpSiz}; }

bool ReserveNodes(Engine& ctx, const TreeFile& file, std::uint32_t count);
bool GrowTree(Engine& ctx, const TreeFile& file);
bool AppendZeroNodes(TreeWorkFile& tree, std::uint32_t firstNode, std::uint32_t count);
bool RecordTreeExtent(Engine& ctx, const TreeFile& file, BlockExtent extent, std::uint32_t forkBlock);

}  // namespace

bool ReserveCatalogNodes(Engine& ctx, std::uint32_t count) {
  if (ReserveNodes(ctx, CatalogFile(ctx.volume), count)) return true;
  ShowMessageBox(ctx, ctx.messages[kMsgCannotExtendCatalog], Buttons::kOk);
  return false;
}

bool ReserveExtentsNodes(Engine& ctx, std::uint32_t count) {
  return ReserveNodes(ctx, ExtentsFile(ctx.volume), count);
}

namespace {

bool ReserveNodes(Engine& ctx, const TreeFile& file, std::uint32_t count) {
  for (int attempt = 0; attempt <= kGrowthAttempts; ++attempt) {
    if (FreeNodeCount(file.tree) >= count) return true;
    if (attempt == kGrowthAttempts || !GrowTree(ctx, file)) break;
  }
  return false;
}

bool GrowTree(Engine& ctx, const TreeFile& file) {
  VolumeState& v = ctx.volume;
  TreeWorkFile& tree = file.tree;
  const std::uint32_t blockSize = v.allocBlockSize;
  const std::uint32_t oldSize = GetU32(v.mdb, file.sizeField);
  if (tree.handle == nullptr || blockSize < kNodeSize || blockSize % kNodeSize != 0 || oldSize % blockSize != 0) {
    return false;
  }
  const std::uint32_t oldBlocks = oldSize / blockSize;
  const std::uint32_t oldNodes = oldSize / kNodeSize;
  const std::uint32_t nodesPerBlock = blockSize / kNodeSize;

  // A quarter more, and at least a clump: doubling would leave up to half of
  // a small volume to a tree that never fills it. Near the end the last
  // free blocks serve, one run at a time.
  const std::uint64_t step = std::max<std::uint64_t>({oldBlocks / 4, GetU32(v.mdb, file.clumpField) / blockSize, 1});
  const std::uint64_t wanted = std::min<std::uint64_t>({step, 0xFFFF, (UINT32_MAX - oldSize) / blockSize});
  if (wanted == 0 || !EnsureBitmapLoaded(ctx)) return false;
  std::optional<BlockExtent> run = FindFreeRun(v, static_cast<std::uint32_t>(wanted));
  if (!run) run = FindFreeRun(v, 1);
  if (!run) return false;

  // The run is taken before it is recorded: recording the catalog's run may
  // grow the extents tree, which must not be handed the same blocks. A run
  // with no place leaves the tree as it was.
  MarkBlocksInUse(ctx, *run);
  if (!RecordTreeExtent(ctx, file, *run, oldBlocks)) {
    ExtentRecordBytes loose{};
    PutU16(loose, 0, run->startBlock);
    PutU16(loose, 2, run->blockCount);
    FreeExtentRecord(ctx, loose);
    return false;
  }
  const std::uint32_t added = run->blockCount * nodesPerBlock;
  if (!AppendZeroNodes(tree, oldNodes, added)) return false;
  const std::uint32_t newSize = oldSize + run->blockCount * blockSize;
  PutU32(v.mdb, file.sizeField, newSize);
  if (tree.isCatalog) tree.fileSize = newSize;
  PutU32(tree.header, header::bthNNodes, newSize / kNodeSize);
  ClearNodeBitsFrom(tree, oldNodes);
  if (!ExtendNodeMap(tree)) return false;
  return WriteNode(tree, 0, tree.header);
}

bool AppendZeroNodes(TreeWorkFile& tree, std::uint32_t firstNode, std::uint32_t count) {
  const NodeBuffer zeros{};
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!WriteNode(tree, firstNode + i, zeros)) return false;
  }
  return true;
}

// Where the tree file's new extent, starting at fork block forkBlock, is
// recorded; false (nothing recorded) when it has no place.
bool RecordTreeExtent(Engine& ctx, const TreeFile& file, BlockExtent extent, std::uint32_t forkBlock) {
  Bytes record = Bytes(ctx.volume.mdb).subspan(file.extentsField, kExtentRecordSize);
  std::uint32_t inHeader = 0;
  std::size_t used = 0;
  while (used < 3 && GetU16(record, 4 * used + 2) != 0) inHeader += GetU16(record, 4 * used++ + 2);

  if (inHeader == forkBlock) {
    if (used > 0) {
      const std::size_t last = 4 * (used - 1);
      const std::uint32_t lastStart = GetU16(record, last);
      const std::uint32_t lastCount = GetU16(record, last + 2);
      if (lastStart + lastCount == extent.startBlock && lastCount + extent.blockCount <= 0xFFFF) {
        PutU16(record, last + 2, static_cast<std::uint16_t>(lastCount + extent.blockCount));
        return true;
      }
    }
    if (used < 3) {
      PutU16(record, 4 * used, extent.startBlock);
      PutU16(record, 4 * used + 2, extent.blockCount);
      return true;
    }
  }
  // Beyond the three extents of the header the extents tree holds the
  // catalog's rest; the extents file has no place beyond them.
  if (!file.tree.isCatalog || used < 3 || inHeader > forkBlock || forkBlock > 0xFFFF) return false;
  return AddOverflowExtent(ctx, extent, kCatalogFileId, static_cast<std::uint16_t>(forkBlock), kDataFork) ==
         OverflowStatus::kDone;
}

}  // namespace

}  // namespace tarvo
