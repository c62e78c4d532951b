#include "hfs/index_rebuild.h"

#include <algorithm>
#include <deque>

#include "base/context.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_space.h"
#include "hfs/node_map.h"
#include "hfs/tree_walk.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

using IndexKey = std::array<std::uint8_t, 38>;

// A node of the level being indexed, with the key its index record carries.
struct LevelEntry {
  std::uint32_t node = 0;
  IndexKey key{};
};

std::optional<IndexKey> FirstKey(Bytes leaf);
std::vector<std::uint32_t> ReachableIndexNodes(TreeWorkFile& tree);
void FreeIndexNodes(Context& ctx, const std::vector<std::uint32_t>& nodes);
std::optional<std::vector<LevelEntry>> BuildLevel(TreeWorkFile& tree, const std::vector<LevelEntry>& below,
                                                  std::uint8_t height);

}  // namespace

std::size_t CatalogShape::IndexedLeaves() const {
  return static_cast<std::size_t>(
      std::count_if(leaves.begin(), leaves.end(), [](const Leaf& leaf) { return leaf.firstKey.has_value(); }));
}

std::optional<CatalogShape> SurveyCatalog(TreeWorkFile& tree) {
  CatalogShape shape;
  TreeWalk walk = StartWalk(tree);
  for (std::uint32_t n = GetU32(tree.header, header::bthFNode); n != 0; n = NodeForwardLink(tree.node)) {
    if (!WalkTo(tree, walk, n) || NodeType(tree.node) != kLeafNode) return std::nullopt;
    CatalogShape::Leaf leaf{n, std::nullopt};
    if (NodeRecordCount(tree.node) > 0) {
      leaf.firstKey = FirstKey(tree.node);
      if (!leaf.firstKey) return std::nullopt;
    }
    shape.leaves.push_back(leaf);
  }
  shape.indexNodes = ReachableIndexNodes(tree);
  return shape;
}

std::uint32_t ReleasableIndexNodes(TreeWorkFile& tree, const CatalogShape& shape) {
  const auto inUse = [&](std::uint32_t n) { return IsNodeInUse(tree, n).value_or(false); };
  return static_cast<std::uint32_t>(std::count_if(shape.indexNodes.begin(), shape.indexNodes.end(), inUse));
}

std::uint32_t IndexNodesNeeded(std::size_t leafCount) {
  std::uint32_t total = 0;
  for (std::size_t m = leafCount; m > 1;) {
    m = (m + kIndexRecordsPerNode - 1) / kIndexRecordsPerNode;
    total += static_cast<std::uint32_t>(m);
  }
  return total;
}

RebuildStatus RebuildCatalogIndex(Context& ctx) {
  TreeWorkFile& tree = ctx.volume.catalog;
  const std::optional<CatalogShape> shape = SurveyCatalog(tree);
  if (!shape) return RebuildStatus::kDamaged;
  const std::uint32_t needed = IndexNodesNeeded(shape->IndexedLeaves());
  const std::uint32_t releasable = ReleasableIndexNodes(tree, *shape);
  if (needed > releasable && !ReserveCatalogNodes(ctx, needed - releasable)) return RebuildStatus::kNoRoom;
  FreeIndexNodes(ctx, shape->indexNodes);

  std::vector<LevelEntry> level;
  for (const CatalogShape::Leaf& leaf : shape->leaves) {
    if (leaf.firstKey) level.push_back(LevelEntry{leaf.node, *leaf.firstKey});
  }
  std::uint8_t height = 1;
  while (level.size() > 1) {
    std::optional<std::vector<LevelEntry>> above = BuildLevel(tree, level, static_cast<std::uint8_t>(height + 1));
    if (!above) return RebuildStatus::kNoRoom;  // the reservation makes this unreachable
    level = std::move(*above);
    ++height;
  }

  const bool empty = level.empty();
  PutU16(tree.header, header::bthDepth, empty ? 0 : height);
  PutU32(tree.header, header::bthRoot, empty ? 0 : level.front().node);
  PutU32(tree.header, header::bthFNode, shape->leaves.empty() ? 0 : shape->leaves.front().node);
  PutU32(tree.header, header::bthLNode, shape->leaves.empty() ? 0 : shape->leaves.back().node);
  WriteNode(tree, 0, tree.header);
  return RebuildStatus::kDone;
}

namespace {

// The leaf's first key as an index record carries it: key length 37, the
// name padded with zeros.
std::optional<IndexKey> FirstKey(Bytes leaf) {
  const std::optional<Bytes> record = RecordAt(leaf, 0);
  if (!record || !ReadCatalogKey(*record)) return std::nullopt;
  const std::size_t keyBytes = std::size_t{RecordKeyLength(*record)} + 1;
  if (keyBytes > IndexKey{}.size() || keyBytes > record->size()) return std::nullopt;
  IndexKey key{};
  std::copy_n(record->begin(), keyBytes, key.begin());
  key[0] = kIndexKeyLength;
  return key;
}

std::vector<std::uint32_t> ReachableIndexNodes(TreeWorkFile& tree) {
  std::vector<std::uint32_t> found;
  TreeWalk walk = StartWalk(tree);
  std::deque<std::uint32_t> pending{GetU32(tree.header, header::bthRoot)};
  while (!pending.empty()) {
    const std::uint32_t n = pending.front();
    pending.pop_front();
    if (!WalkTo(tree, walk, n) || NodeType(tree.node) != kIndexNode) continue;
    found.push_back(n);
    const std::uint16_t count = NodeRecordCount(tree.node);
    for (std::uint16_t i = 0; i < count; ++i) {
      const std::optional<Bytes> record = RecordAt(tree.node, i);
      const std::optional<std::uint32_t> child = record ? IndexChild(*record) : std::nullopt;
      if (child) pending.push_back(*child);
    }
  }
  return found;
}

void FreeIndexNodes(Context& ctx, const std::vector<std::uint32_t>& nodes) {
  const NodeBuffer zeros{};
  for (const std::uint32_t n : nodes) {
    // A node the map already calls free is still cleared.
    if (!FreeNode(ctx, n)) WriteNode(ctx.volume.catalog, n, zeros);
  }
}

// One index level over `below`: nodes of up to 11 records, chained.
std::optional<std::vector<LevelEntry>> BuildLevel(TreeWorkFile& tree, const std::vector<LevelEntry>& below,
                                                  std::uint8_t height) {
  const std::size_t count = (below.size() + kIndexRecordsPerNode - 1) / kIndexRecordsPerNode;
  std::vector<LevelEntry> above;
  for (std::size_t i = 0; i < count; ++i) {
    const std::optional<std::uint32_t> n = AllocateNode(tree);
    if (!n) return std::nullopt;
    above.push_back(LevelEntry{*n, below[i * kIndexRecordsPerNode].key});
  }
  for (std::size_t i = 0; i < count; ++i) {
    NodeBuffer node{};
    PutU32(node, node::ndFLink, i + 1 < count ? above[i + 1].node : 0);
    PutU32(node, node::ndBLink, i > 0 ? above[i - 1].node : 0);
    PutU8(node, node::ndType, kIndexNode);
    PutU8(node, node::ndNHeight, height);
    std::vector<OwnedRecord> records;
    const std::size_t end = std::min(below.size(), (i + 1) * kIndexRecordsPerNode);
    for (std::size_t j = i * kIndexRecordsPerNode; j < end; ++j) {
      OwnedRecord record(below[j].key.begin(), below[j].key.end());
      record.resize(kIndexRecordSize);
      PutU32(record, below[j].key.size(), below[j].node);
      records.push_back(std::move(record));
    }
    PackRecords(node, records);
    WriteNode(tree, above[i].node, node);
  }
  return above;
}

}  // namespace

}  // namespace tarvo
