#include "hfs/overflow_extent.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>

#include "base/context.h"
#include "hfs/btree.h"
#include "hfs/extent_record.h"
#include "hfs/extent_search.h"
#include "hfs/node_map.h"
#include "hfs/tree_walk.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

OwnedRecord NewRecord(BlockExtent extent, const ExtentKey& key);
OverflowStatus StartTree(TreeWorkFile& tree, const OwnedRecord& record);
int CompareKeys(const ExtentKey& a, const ExtentKey& b);
// The leaf the key belongs in: the last one whose first key is not above it.
std::optional<std::uint32_t> TargetLeaf(TreeWorkFile& tree, const ExtentKey& key);
bool JoinsRecord(OwnedRecord& record, const ExtentKey& key, BlockExtent extent);
bool UpdateLeftmostKeys(TreeWorkFile& tree, const OwnedRecord& record);

}  // namespace

OverflowStatus AddOverflowExtent(Context& ctx, BlockExtent extent, std::uint32_t fileId, std::uint16_t startBlock,
                                 std::uint8_t forkType) {
  TreeWorkFile& tree = ctx.volume.extents;
  if (tree.handle == nullptr) OpenExtentsWorkFile(ctx);
  RepairTreeHeader(tree);
  SyncFreeNodeCount(tree);
  const ExtentKey key{extkey::kKeyLength, forkType, fileId, startBlock};
  const OwnedRecord record = NewRecord(extent, key);
  if (GetU32(tree.header, header::bthFNode) == 0) return StartTree(tree, record);

  const std::optional<std::uint32_t> leaf = TargetLeaf(tree, key);
  NodeBuffer node{};
  if (!leaf || !ReadNodeInto(tree, *leaf, node)) return OverflowStatus::kDamaged;
  std::optional<std::vector<OwnedRecord>> records = NodeRecords(node);
  if (!records) return OverflowStatus::kDamaged;

  std::size_t position = 0;
  for (; position < records->size(); ++position) {
    const std::optional<ExtentKey> other = ReadExtentKey((*records)[position]);
    if (!other) return OverflowStatus::kDamaged;
    const int order = CompareKeys(*other, key);
    if (order == 0) return OverflowStatus::kDamaged;
    if (order > 0) break;
  }
  if (position > 0 && JoinsRecord((*records)[position - 1], key, extent)) {
    PackRecords(node, *records);
    return WriteNode(tree, *leaf, node) ? OverflowStatus::kDone : OverflowStatus::kDamaged;
  }

  records->insert(records->begin() + static_cast<std::ptrdiff_t>(position), record);
  if (!PackRecords(node, *records)) return OverflowStatus::kNoRoom;
  // A new first key of the first leaf is carried into the index above it.
  if (position == 0 && !UpdateLeftmostKeys(tree, record)) return OverflowStatus::kDamaged;
  AddLeafRecords(tree.header, 1);
  return WriteNode(tree, *leaf, node) ? OverflowStatus::kDone : OverflowStatus::kDamaged;
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

OverflowStatus StartTree(TreeWorkFile& tree, const OwnedRecord& record) {
  const std::optional<std::uint32_t> n = AllocateNode(tree);
  if (!n) return OverflowStatus::kNoRoom;
  NodeBuffer leaf{};
  PutU8(leaf, node::ndType, kLeafNode);
  PutU8(leaf, node::ndNHeight, 1);
  PackRecords(leaf, {record});
  PutU16(tree.header, header::bthDepth, 1);
  PutU32(tree.header, header::bthRoot, *n);
  PutU32(tree.header, header::bthFNode, *n);
  PutU32(tree.header, header::bthLNode, *n);
  PutU32(tree.header, header::bthNRecs, 1);
  return WriteNode(tree, *n, leaf) ? OverflowStatus::kDone : OverflowStatus::kDamaged;
}

int CompareKeys(const ExtentKey& a, const ExtentKey& b) {
  const auto ka = std::make_tuple(a.fileId, a.forkType, a.startBlock);
  const auto kb = std::make_tuple(b.fileId, b.forkType, b.startBlock);
  return ka < kb ? -1 : (kb < ka ? 1 : 0);
}

std::optional<std::uint32_t> TargetLeaf(TreeWorkFile& tree, const ExtentKey& key) {
  TreeWalk walk = StartWalk(tree);
  std::optional<std::uint32_t> target;
  for (std::uint32_t n = GetU32(tree.header, header::bthFNode); n != 0; n = NodeForwardLink(tree.node)) {
    if (!WalkTo(tree, walk, n) || NodeType(tree.node) != kLeafNode) return std::nullopt;
    const std::optional<Bytes> first = RecordAt(tree.node, 0);
    const std::optional<ExtentKey> firstKey = first ? ReadExtentKey(*first) : std::nullopt;
    if (target && (!firstKey || CompareKeys(*firstKey, key) > 0)) break;
    target = n;
  }
  return target;
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

bool UpdateLeftmostKeys(TreeWorkFile& tree, const OwnedRecord& record) {
  TreeWalk walk = StartWalk(tree);
  NodeBuffer index{};
  for (std::uint32_t n = GetU32(tree.header, header::bthRoot); n != 0;) {
    if (!WalkTo(tree, walk, n)) return false;
    if (NodeType(tree.node) != kIndexNode) return true;
    index = tree.node;
    const std::optional<Bytes> first = RecordAt(index, 0);
    if (!first || first->size() < extkey::kExtents + 4) return false;
    std::copy_n(record.begin(), extkey::kExtents, first->begin());
    const std::uint32_t child = GetU32(*first, extkey::kExtents);
    if (!WriteNode(tree, n, index)) return false;
    n = child;
  }
  return true;
}

}  // namespace

}  // namespace tarvo
