#include "hfs/index_rebuild.h"

#include <algorithm>

#include "base/context.h"
#include "hfs/btree.h"
#include "hfs/catalog_shape.h"
#include "hfs/catalog_space.h"
#include "hfs/node_map.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

// A node of the level being indexed, with the key its index record carries.
struct LevelEntry {
  std::uint32_t node = 0;
  IndexKey key{};
};

bool RebuildWouldRepeat(TreeWorkFile& tree, const CatalogShape& shape);
void RememberRebuild(TreeWorkFile& tree, std::vector<std::uint32_t> indexNodes);
void FreeIndexNodes(TreeWorkFile& tree, const std::vector<std::uint32_t>& nodes);
void ClearFreedNodes(TreeWorkFile& tree, const std::vector<std::uint32_t>& freed,
                     const std::vector<std::uint32_t>& built);
std::optional<std::vector<LevelEntry>> BuildLevel(TreeWorkFile& tree, const std::vector<LevelEntry>& below,
                                                  std::uint8_t height);
std::vector<std::uint32_t> NodesOf(const std::vector<LevelEntry>& level);

}  // namespace

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
  const CatalogShape* shape = SurveyCatalog(tree);
  if (shape == nullptr) return RebuildStatus::kDamaged;
  if (RebuildWouldRepeat(tree, *shape)) {
    WriteNode(tree, 0, tree.header);
    return RebuildStatus::kDone;
  }
  tree.cache.index.valid = false;
  const std::uint32_t needed = IndexNodesNeeded(shape->IndexedLeaves());
  const std::uint32_t releasable = ReleasableIndexNodes(tree, *shape);
  if (needed > releasable && !ReserveCatalogNodes(ctx, needed - releasable)) return RebuildStatus::kNoRoom;
  const std::vector<std::uint32_t> freed = shape->indexNodes;
  FreeIndexNodes(tree, freed);

  std::vector<LevelEntry> level;
  level.reserve(shape->leaves.size());
  for (const CatalogShape::Leaf& leaf : shape->leaves) {
    if (!leaf.firstKey) continue;
    LevelEntry& entry = level.emplace_back();
    entry.node = leaf.node;
    entry.key = *leaf.firstKey;
  }
  std::vector<std::vector<std::uint32_t>> levels{NodesOf(level)};
  std::vector<std::uint32_t> built;
  while (level.size() > 1) {
    const auto height = static_cast<std::uint8_t>(levels.size() + 1);
    std::optional<std::vector<LevelEntry>> above = BuildLevel(tree, level, height);
    if (!above) {  // the reservation makes this unreachable
      ClearFreedNodes(tree, freed, built);
      return RebuildStatus::kNoRoom;
    }
    level = std::move(*above);
    levels.push_back(NodesOf(level));
    built.insert(built.end(), levels.back().begin(), levels.back().end());
  }
  const std::size_t height = levels.size();
  ClearFreedNodes(tree, freed, built);

  const bool empty = level.empty();
  PutU16(tree.header, header::bthDepth, empty ? 0 : static_cast<std::uint16_t>(height));
  PutU32(tree.header, header::bthRoot, empty ? 0 : level.front().node);
  PutU32(tree.header, header::bthFNode, shape->leaves.empty() ? 0 : shape->leaves.front().node);
  PutU32(tree.header, header::bthLNode, shape->leaves.empty() ? 0 : shape->leaves.back().node);
  WriteNode(tree, 0, tree.header);
  NoteRebuiltIndex(tree, levels);
  RememberRebuild(tree, std::move(built));
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
  for (std::size_t i = 0; i < index.size(); ++i) {
    if (NodeWrites(tree, index[i]) == memo.indexWrites[i]) continue;  // not written since
    const NodeBuffer* node = PeekNode(tree, index[i]);
    if (node == nullptr || *node != memo.indexBytes[i]) return false;
  }
  const ConstBytes map = ConstBytes(tree.header).subspan(header::kMapRecord, header::kMapRecordSize);
  const std::uint32_t nodes = GetU32(tree.header, header::bthNNodes);
  return std::equal(map.begin(), map.end(), memo.map.begin()) && WorkFileNodeCount(tree) == memo.nodeCount &&
         GetU16(tree.header, header::bthDepth) == memo.depth && GetU32(tree.header, header::bthRoot) == memo.root &&
         GetU32(tree.header, header::bthLNode) == memo.lastLeaf && nodes == memo.nodes &&
         std::uint64_t{GetU32(tree.header, header::bthFree)} + index.size() <= nodes;
}

void RememberRebuild(TreeWorkFile& tree, std::vector<std::uint32_t> indexNodes) {
  IndexMemo& memo = tree.cache.index;
  if (NodeForwardLink(tree.header) != 0) return;  // map nodes: not remembered
  std::sort(indexNodes.begin(), indexNodes.end());
  memo.indexBytes.clear();
  memo.indexWrites.clear();
  for (const std::uint32_t n : indexNodes) {
    const NodeBuffer* node = PeekNode(tree, n);
    if (node == nullptr) return;
    memo.indexBytes.push_back(*node);
    memo.indexWrites.push_back(NodeWrites(tree, n));
  }
  memo.shapeVersion = tree.cache.shape.version;
  memo.indexNodes = std::move(indexNodes);
  std::copy_n(tree.header.begin() + header::kMapRecord, memo.map.size(), memo.map.begin());
  memo.nodeCount = WorkFileNodeCount(tree);
  memo.depth = GetU16(tree.header, header::bthDepth);
  memo.root = GetU32(tree.header, header::bthRoot);
  memo.lastLeaf = GetU32(tree.header, header::bthLNode);
  memo.nodes = GetU32(tree.header, header::bthNNodes);
  memo.valid = true;
}

// The old index nodes go back to the map; their bytes are cleared by
// ClearFreedNodes once the new index is written, so that a node the new
// index takes again is written once, not cleared and then rewritten.
void FreeIndexNodes(TreeWorkFile& tree, const std::vector<std::uint32_t>& nodes) {
  for (const std::uint32_t n : nodes) ReleaseNodeKeepingBytes(tree, n);
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
  std::vector<OwnedRecord> records;  // reused from node to node
  for (std::size_t i = 0; i < count; ++i) {
    NodeBuffer node{};
    PutU32(node, node::ndFLink, i + 1 < count ? above[i + 1].node : 0);
    PutU32(node, node::ndBLink, i > 0 ? above[i - 1].node : 0);
    PutU8(node, node::ndType, kIndexNode);
    PutU8(node, node::ndNHeight, height);
    const std::size_t first = i * kIndexRecordsPerNode;
    records.resize(std::min(below.size(), first + kIndexRecordsPerNode) - first);
    for (std::size_t j = 0; j < records.size(); ++j) {
      const LevelEntry& entry = below[first + j];
      records[j].assign(entry.key.begin(), entry.key.end());
      records[j].resize(kIndexRecordSize);
      PutU32(records[j], entry.key.size(), entry.node);
    }
    PackRecords(node, records);
    WriteNode(tree, above[i].node, node);
  }
  return above;
}

std::vector<std::uint32_t> NodesOf(const std::vector<LevelEntry>& level) {
  std::vector<std::uint32_t> nodes;
  for (const LevelEntry& entry : level) nodes.push_back(entry.node);
  return nodes;
}

}  // namespace

}  // namespace tarvo
