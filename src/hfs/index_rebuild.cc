#include "hfs/index_rebuild.h"

#include <algorithm>
#include <utility>

#include "base/context.h"
#include "hfs/btree.h"
#include "hfs/catalog_shape.h"
#include "hfs/catalog_space.h"
#include "hfs/node_map.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

bool RebuildWouldRepeat(TreeWorkFile& tree, const CatalogShape& shape);
void RememberRebuild(TreeWorkFile& tree, std::vector<std::uint32_t> indexNodes, std::vector<RebuiltLevel> levels);
void ClearFreedNodes(TreeWorkFile& tree, const std::vector<std::uint32_t>& freed,
                     const std::vector<std::uint32_t>& built);
std::optional<std::vector<IndexEntry>> BuildLevel(TreeWorkFile& tree, const std::vector<IndexEntry>& below,
                                                  std::uint8_t height, const RebuiltLevel* before,
                                                  const RebuiltLevel* beforeBelow);
bool HoldsItsBytes(TreeWorkFile& tree, const std::vector<IndexEntry>& level, std::size_t i,
                   const std::vector<IndexEntry>& below, const RebuiltLevel& before, const RebuiltLevel& beforeBelow);

}  // namespace

std::uint32_t ReleasableIndexNodes(TreeWorkFile& tree, const CatalogShape& shape) {
  return CountNodesInUse(tree, shape.indexNodes);
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
  const CatalogShape* shape = SurveyCatalog(tree);
  if (shape == nullptr) return RebuildStatus::kDamaged;
  if (RebuildWouldRepeat(tree, *shape)) {
    WriteNode(tree, 0, tree.header);
    return RebuildStatus::kDone;
  }
  tree.cache.index.valid = false;
  const std::vector<RebuiltLevel> previous = std::exchange(tree.cache.index.levels, {});
  std::vector<RebuiltLevel> levels(1);
  // Filled in place: an entry built aside and then copied in costs more
  // than all the rest of the pass.
  std::vector<IndexEntry>& leaves = levels[0].entries;
  leaves.resize(shape->leaves.size());
  std::size_t indexed = 0;
  for (const CatalogShape::Leaf& leaf : shape->leaves) {
    if (!leaf.firstKey) continue;
    leaves[indexed].node = leaf.node;
    leaves[indexed].key = *leaf.firstKey;
    ++indexed;
  }
  leaves.resize(indexed);
  const std::uint32_t needed = IndexNodesNeeded(levels[0].entries.size());
  const std::uint32_t releasable = ReleasableIndexNodes(tree, *shape);
  if (needed > releasable && !ReserveCatalogNodes(ctx, needed - releasable)) return RebuildStatus::kNoRoom;
  const std::vector<std::uint32_t> freed = shape->indexNodes;
  // The old index nodes go back to the map; their bytes are cleared once
  // the new index is written, so that a node it takes again is written
  // once, not cleared and then rewritten.
  ReleaseNodesKeepingBytes(tree, freed);

  std::vector<std::uint32_t> built;
  while (levels.back().entries.size() > 1) {
    const std::size_t k = levels.size();
    std::optional<std::vector<IndexEntry>> above =
        BuildLevel(tree, levels.back().entries, static_cast<std::uint8_t>(k + 1),
                   k < previous.size() ? &previous[k] : nullptr, k - 1 < previous.size() ? &previous[k - 1] : nullptr);
    if (!above) {  // the reservation makes this unreachable
      ClearFreedNodes(tree, freed, built);
      return RebuildStatus::kNoRoom;
    }
    for (const IndexEntry& entry : *above) built.push_back(entry.node);
    levels.push_back(RebuiltLevel{std::move(*above), {}});
  }
  const std::size_t height = levels.size();
  ClearFreedNodes(tree, freed, built);

  const std::vector<IndexEntry>& top = levels.back().entries;
  PutU16(tree.header, header::bthDepth, top.empty() ? 0 : static_cast<std::uint16_t>(height));
  PutU32(tree.header, header::bthRoot, top.empty() ? 0 : top.front().node);
  PutU32(tree.header, header::bthFNode, shape->leaves.empty() ? 0 : shape->leaves.front().node);
  PutU32(tree.header, header::bthLNode, shape->leaves.empty() ? 0 : shape->leaves.back().node);
  WriteNode(tree, 0, tree.header);
  NoteRebuiltIndex(tree, levels);
  RememberRebuild(tree, std::move(built), std::move(levels));
  return RebuildStatus::kDone;
}

namespace {

// Whether a rebuild now would free and take back exactly the nodes the last
// one took and write the same bytes into them. The same leaves with the
// same first keys give the same index records; the same map and node
// limits make the allocator hand out the same nodes again; the free count
// must leave room for the nodes given back, so that it comes out unchanged.
bool RebuildWouldRepeat(TreeWorkFile& tree, const CatalogShape& shape) {
  const IndexMemo& memo = tree.cache.index;
  if (!memo.valid || NodeForwardLink(tree.header) != 0 || tree.cache.shape.version != memo.shapeVersion) {
    return false;
  }
  std::vector<std::uint32_t> index = shape.indexNodes;
  std::sort(index.begin(), index.end());
  if (index != memo.indexNodes) return false;
  // An index node written since (with other bytes: a write of the same
  // bytes does not count) sends the rebuild through in full.
  for (std::size_t i = 0; i < index.size(); ++i) {
    if (NodeWrites(tree, index[i]) != memo.indexWrites[i]) return false;
  }
  const ConstBytes map = ConstBytes(tree.header).subspan(header::kMapRecord, header::kMapRecordSize);
  const std::uint32_t nodes = GetU32(tree.header, header::bthNNodes);
  return std::equal(map.begin(), map.end(), memo.map.begin()) && WorkFileNodeCount(tree) == memo.nodeCount &&
         GetU16(tree.header, header::bthDepth) == memo.depth && GetU32(tree.header, header::bthRoot) == memo.root &&
         GetU32(tree.header, header::bthLNode) == memo.lastLeaf && nodes == memo.nodes &&
         std::uint64_t{GetU32(tree.header, header::bthFree)} + index.size() <= nodes;
}

void RememberRebuild(TreeWorkFile& tree, std::vector<std::uint32_t> indexNodes, std::vector<RebuiltLevel> levels) {
  IndexMemo& memo = tree.cache.index;
  if (NodeForwardLink(tree.header) != 0) return;  // map nodes: not remembered
  for (std::size_t k = 1; k < levels.size(); ++k) {
    levels[k].writes.reserve(levels[k].entries.size());
    for (const IndexEntry& entry : levels[k].entries) levels[k].writes.push_back(NodeWrites(tree, entry.node));
  }
  std::sort(indexNodes.begin(), indexNodes.end());
  memo.indexWrites.clear();
  for (const std::uint32_t n : indexNodes) memo.indexWrites.push_back(NodeWrites(tree, n));
  memo.shapeVersion = tree.cache.shape.version;
  memo.indexNodes = std::move(indexNodes);
  std::copy_n(tree.header.begin() + header::kMapRecord, memo.map.size(), memo.map.begin());
  memo.nodeCount = WorkFileNodeCount(tree);
  memo.depth = GetU16(tree.header, header::bthDepth);
  memo.root = GetU32(tree.header, header::bthRoot);
  memo.lastLeaf = GetU32(tree.header, header::bthLNode);
  memo.nodes = GetU32(tree.header, header::bthNNodes);
  memo.levels = std::move(levels);
  memo.valid = true;
}

// Every old index node the new index did not take is cleared, also one the
// map already called free.
void ClearFreedNodes(TreeWorkFile& tree, const std::vector<std::uint32_t>& freed,
                     const std::vector<std::uint32_t>& built) {
  const NodeBuffer zeros{};
  for (const std::uint32_t n : freed) {
    if (std::find(built.begin(), built.end(), n) == built.end()) WriteNode(tree, n, zeros);
  }
}

// One index level over `below`: nodes of up to 11 records, chained. A node
// that already holds its bytes (HoldsItsBytes) is not built again.
std::optional<std::vector<IndexEntry>> BuildLevel(TreeWorkFile& tree, const std::vector<IndexEntry>& below,
                                                  std::uint8_t height, const RebuiltLevel* before,
                                                  const RebuiltLevel* beforeBelow) {
  const std::size_t count = (below.size() + kIndexRecordsPerNode - 1) / kIndexRecordsPerNode;
  const std::vector<std::uint32_t> nodes = AllocateNodes(tree, count);
  if (nodes.size() < count) return std::nullopt;
  std::vector<IndexEntry> above;
  above.reserve(count);
  for (std::size_t i = 0; i < count; ++i) above.push_back(IndexEntry{nodes[i], below[i * kIndexRecordsPerNode].key});
  std::vector<OwnedRecord> records;  // reused from node to node
  for (std::size_t i = 0; i < count; ++i) {
    if (before != nullptr && beforeBelow != nullptr && HoldsItsBytes(tree, above, i, below, *before, *beforeBelow)) {
      continue;
    }
    NodeBuffer node{};
    PutU32(node, node::ndFLink, i + 1 < count ? above[i + 1].node : 0);
    PutU32(node, node::ndBLink, i > 0 ? above[i - 1].node : 0);
    PutU8(node, node::ndType, kIndexNode);
    PutU8(node, node::ndNHeight, height);
    const std::size_t first = i * kIndexRecordsPerNode;
    records.resize(std::min(below.size(), first + kIndexRecordsPerNode) - first);
    for (std::size_t j = 0; j < records.size(); ++j) {
      const IndexEntry& entry = below[first + j];
      // The key and the child fill the whole record: no byte is left over
      // from the node before.
      static_assert(std::tuple_size_v<IndexKey> + 4 == kIndexRecordSize);
      records[j].resize(kIndexRecordSize);
      std::copy(entry.key.begin(), entry.key.end(), records[j].begin());
      PutU32(records[j], entry.key.size(), entry.node);
    }
    PackRecords(node, records);
    WriteNode(tree, above[i].node, node);
  }
  return above;
}

// Whether node i of `level` (over `below`) would be built with the bytes the
// last rebuild gave it, and still holds them: the same node at the same
// place of its level, with the same neighbours (its links), records over
// the same entries, and no write since (a write that changed nothing does
// not count).
bool HoldsItsBytes(TreeWorkFile& tree, const std::vector<IndexEntry>& level, std::size_t i,
                   const std::vector<IndexEntry>& below, const RebuiltLevel& before, const RebuiltLevel& beforeBelow) {
  const auto nodeAt = [](const std::vector<IndexEntry>& entries, std::size_t j) {
    return j < entries.size() ? entries[j].node : 0;
  };
  if (i >= before.entries.size() || before.entries[i].node != level[i].node ||
      (i > 0 && before.entries[i - 1].node != level[i - 1].node) ||
      nodeAt(before.entries, i + 1) != nodeAt(level, i + 1) || before.writes[i] != NodeWrites(tree, level[i].node)) {
    return false;
  }
  const std::size_t first = i * kIndexRecordsPerNode;
  const std::size_t end = std::min(below.size(), first + kIndexRecordsPerNode);
  return std::min(beforeBelow.entries.size(), first + kIndexRecordsPerNode) == end &&
         std::equal(below.begin() + first, below.begin() + end, beforeBelow.entries.begin() + first);
}

}  // namespace

}  // namespace tarvo
