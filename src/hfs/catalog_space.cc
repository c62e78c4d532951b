#include "hfs/catalog_space.h"

#include <algorithm>
#include <vector>

#include "base/context.h"
#include "hfs/allocation.h"
#include "hfs/btree.h"
#include "hfs/node_map.h"
#include "hfs/overflow_extent.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

constexpr int kGrowthAttempts = 4;

bool GrowCatalog(Context& ctx);
bool AppendZeroNodes(TreeWorkFile& tree, std::uint32_t firstNode, std::uint32_t count);
bool RecordCatalogExtent(Context& ctx, BlockExtent extent, std::uint32_t forkBlock);

}  // namespace

bool ReserveCatalogNodes(Context& ctx, std::uint32_t count) {
  TreeWorkFile& tree = ctx.volume.catalog;
  for (int attempt = 0; attempt <= kGrowthAttempts; ++attempt) {
    if (FreeNodeCount(tree) >= count) return true;
    if (attempt == kGrowthAttempts || !GrowCatalog(ctx)) break;
  }
  ShowMessageBox(ctx, ctx.messages[kMsgCannotExtendCatalog], Buttons::kOk);
  return false;
}


namespace {

bool GrowCatalog(Context& ctx) {
  VolumeState& v = ctx.volume;
  TreeWorkFile& tree = v.catalog;
  const std::uint32_t blockSize = v.allocBlockSize;
  const std::uint32_t oldSize = GetU32(v.mdb, mdb::drCTFlSize);
  if (blockSize < kNodeSize || blockSize % kNodeSize != 0 || oldSize % blockSize != 0) return false;
  const std::uint32_t oldBlocks = oldSize / blockSize;
  const std::uint32_t oldNodes = oldSize / kNodeSize;
  const std::uint32_t nodesPerBlock = blockSize / kNodeSize;

  // A quarter more, and at least a clump: doubling would leave up to half of
  // a small volume to a catalog that never fills it. Near the end the last
  // free blocks serve, one run at a time.
  const std::uint64_t step = std::max<std::uint64_t>({oldBlocks / 4, GetU32(v.mdb, mdb::drCTClpSiz) / blockSize, 1});
  const std::uint64_t wanted = std::min<std::uint64_t>({step, 0xFFFF, (UINT32_MAX - oldSize) / blockSize});
  if (wanted == 0 || !EnsureBitmapLoaded(ctx)) return false;
  std::optional<BlockExtent> run = FindFreeRun(v, static_cast<std::uint32_t>(wanted));
  if (!run) run = FindFreeRun(v, 1);
  if (!run) return false;

  // The nodes exist in the work file before anything refers to them.
  const std::uint32_t added = run->blockCount * nodesPerBlock;
  if (!AppendZeroNodes(tree, oldNodes, added) || !RecordCatalogExtent(ctx, *run, oldBlocks)) return false;
  MarkBlocksInUse(ctx, *run);
  const std::uint32_t newSize = oldSize + run->blockCount * blockSize;
  PutU32(v.mdb, mdb::drCTFlSize, newSize);
  tree.fileSize = newSize;
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

// Where the catalog's new extent, starting at fork block forkBlock, is
// recorded; false (nothing recorded) when it has no place.
bool RecordCatalogExtent(Context& ctx, BlockExtent extent, std::uint32_t forkBlock) {
  Bytes record = Bytes(ctx.volume.mdb).subspan(mdb::drCTExtRec, 12);
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
  // Beyond the three extents of the header the extents tree holds the rest.
  if (used < 3 || inHeader > forkBlock || forkBlock > 0xFFFF) return false;
  return AddOverflowExtent(ctx, extent, kCatalogFileId, static_cast<std::uint16_t>(forkBlock), kDataFork) ==
         OverflowStatus::kDone;
}

}  // namespace

}  // namespace tarvo
