#include "hfs/overflow_extent.h"

#include <optional>
#include <vector>

#include "base/engine.h"
#include "hfs/btree.h"
#include "hfs/extent_record.h"
#include "hfs/extent_search.h"
#include "hfs/node_map.h"
#include "hfs/tree_edit.h"
#include "hfs/tree_space.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

OwnedRecord NewRecord(BlockExtent extent, const ExtentKey& key);
bool JoinsRecord(OwnedRecord& record, const ExtentKey& key, BlockExtent extent);

}  // namespace

OverflowStatus AddOverflowExtent(Engine& ctx, BlockExtent extent, std::uint32_t fileId, std::uint16_t startBlock,
                                 std::uint8_t forkType) {
  TreeWorkFile& tree = ctx.volume.extents;
  if (tree.handle == nullptr) OpenExtentsWorkFile(ctx);
  RepairTreeHeader(tree);
  FreeNodeCount(tree);
  const ExtentKey key{extkey::kKeyLength, forkType, fileId, startBlock};
  const OwnedRecord record = NewRecord(extent, key);
  const TreeKeys keys{CompareExtentKeys, extkey::kKeyLength};

  // The record before the key's place may take the extent in.
  const TreePlace place = LocateTreeKey(tree, keys, record);
  if (place.status == TreeEditStatus::kDamaged || place.exists) return OverflowStatus::kDamaged;
  if (place.status == TreeEditStatus::kDone && place.index > 0) {
    NodeBuffer node = tree.node;
    std::optional<std::vector<OwnedRecord>> records = NodeRecords(node);
    if (!records || place.index > records->size()) return OverflowStatus::kDamaged;
    if (JoinsRecord((*records)[place.index - 1], key, extent)) {
      PackRecords(node, *records);
      return WriteNode(tree, place.leaf, node) ? OverflowStatus::kDone : OverflowStatus::kDamaged;
    }
  }

  const NodeReserve reserve = [&ctx](std::uint32_t count) { return ReserveExtentsNodes(ctx, count); };
  switch (InsertTreeRecord(tree, keys, record, reserve)) {
    case TreeEditStatus::kDone: return OverflowStatus::kDone;
    case TreeEditStatus::kNoRoom: return OverflowStatus::kNoRoom;
    case TreeEditStatus::kExists:
    case TreeEditStatus::kNotFound:
    case TreeEditStatus::kDamaged: break;
  }
  return OverflowStatus::kDamaged;
}

namespace {

OwnedRecord NewRecord(BlockExtent extent, const ExtentKey& key) {
  OwnedRecord record(extkey::kRecordSize, 0);
  PutU8(record, extkey::xkrKeyLen, extkey::kKeyLength);
  PutU8(record, extkey::xkrFkType, key.forkType);
  PutU32(record, extkey::xkrFNum, key.fileId);
  PutU16(record, extkey::xkrFABN, key.startBlock);
  PutU16(record, extkey::kExtents, extent.startBlock);
  PutU16(record, extkey::kExtents + 2, extent.blockCount);
  return record;
}

bool JoinsRecord(OwnedRecord& record, const ExtentKey& key, BlockExtent extent) {
  const std::optional<ExtentKey> own = ReadExtentKey(record);
  if (!own || own->fileId != key.fileId || own->forkType != key.forkType) return false;
  const ExtentRecord extents = ReadExtentRecord(ConstBytes(record).subspan(extkey::kExtents, kExtentRecordSize));
  // Filling the empty descriptor of a record with stray descriptors after
  // it would take their blocks into the fork.
  if (extents.Full() || !extents.Stray().empty() || own->startBlock + extents.Blocks() != key.startBlock) return false;
  const std::size_t at = extkey::kExtents + 4 * extents.Used().size();
  PutU16(record, at, extent.startBlock);
  PutU16(record, at + 2, extent.blockCount);
  return true;
}

}  // namespace

}  // namespace tarvo
