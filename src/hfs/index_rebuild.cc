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

// A node of the level being indexed, with the key its index record carries.
struct LevelEntry {
  std::uint32_t node = 0;
  IndexKey key{};
};

std::optional<IndexKey> FirstKey(Bytes leaf);
bool RebuildWouldRepeat(TreeWorkFile& tree, const CatalogShape& shape);
void RememberRebuild(TreeWorkFile& tree, const CatalogShape& shape, std::vector<std::uint32_t> indexNodes);
bool ShapeStillHolds(TreeWorkFile& tree);
bool VisitStillHolds(TreeWorkFile& tree, ShapeMemo& memo, ShapeMemo::Visit& visit);
void ForgetShape(TreeWorkFile& tree);
void RecordVisits(ShapeMemo& memo);
bool Visit(TreeWalk& walk, std::uint32_t n);
const NodeSummary* TakeSummary(TreeWorkFile& tree, std::uint32_t n);
std::vector<std::uint32_t> ReachableIndexNodes(TreeWorkFile& tree, ShapeMemo& memo, bool& allRead);
void FreeIndexNodes(Context& ctx, const std::vector<std::uint32_t>& nodes);
std::optional<std::vector<LevelEntry>> BuildLevel(TreeWorkFile& tree, const std::vector<LevelEntry>& below,
                                                  std::uint8_t height);

}  // namespace

std::size_t CatalogShape::IndexedLeaves() const {
  return static_cast<std::size_t>(
      std::count_if(leaves.begin(), leaves.end(), [](const Leaf& leaf) { return leaf.firstKey.has_value(); }));
}

const CatalogShape* SurveyCatalog(TreeWorkFile& tree) {
  PrepareNodeCache(tree);
  ShapeMemo& memo = tree.cache.shape;
  if (ShapeStillHolds(tree)) return &memo.shape;
  ForgetShape(tree);
  CatalogShape& shape = memo.shape;
  TreeWalk walk = StartWalk(tree);
  for (std::uint32_t n = GetU32(tree.header, header::bthFNode); n != 0;) {
    const NodeSummary* leaf = Visit(walk, n) ? TakeSummary(tree, n) : nullptr;
    if (leaf == nullptr || !leaf->sound || leaf->type != kLeafNode) return nullptr;
    if (leaf->recordCount > 0 && !leaf->firstKey) return nullptr;
    ShapeMemo::Visit visit;
    visit.node = n;
    visit.writes = NodeWrites(tree, n);
    visit.leaf = static_cast<std::int32_t>(shape.leaves.size());
    visit.forwardLink = leaf->forwardLink;
    memo.visits.push_back(visit);
    shape.leaves.push_back(CatalogShape::Leaf{n, leaf->firstKey});
    n = leaf->forwardLink;
  }
  bool allRead = true;
  shape.indexNodes = ReachableIndexNodes(tree, memo, allRead);
  memo.firstLeaf = GetU32(tree.header, header::bthFNode);
  memo.root = GetU32(tree.header, header::bthRoot);
  memo.nodeCount = WorkFileNodeCount(tree);
  RecordVisits(memo);
  memo.valid = allRead;
  return &shape;
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
  FreeIndexNodes(ctx, shape->indexNodes);

  std::vector<LevelEntry> level;
  for (const CatalogShape::Leaf& leaf : shape->leaves) {
    if (leaf.firstKey) level.push_back(LevelEntry{leaf.node, *leaf.firstKey});
  }
  std::uint8_t height = 1;
  std::vector<std::uint32_t> built;
  while (level.size() > 1) {
    std::optional<std::vector<LevelEntry>> above = BuildLevel(tree, level, static_cast<std::uint8_t>(height + 1));
    if (!above) return RebuildStatus::kNoRoom;  // the reservation makes this unreachable
    level = std::move(*above);
    for (const LevelEntry& entry : level) built.push_back(entry.node);
    ++height;
  }

  const bool empty = level.empty();
  PutU16(tree.header, header::bthDepth, empty ? 0 : height);
  PutU32(tree.header, header::bthRoot, empty ? 0 : level.front().node);
  PutU32(tree.header, header::bthFNode, shape->leaves.empty() ? 0 : shape->leaves.front().node);
  PutU32(tree.header, header::bthLNode, shape->leaves.empty() ? 0 : shape->leaves.back().node);
  WriteNode(tree, 0, tree.header);
  RememberRebuild(tree, *shape, std::move(built));
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

// Whether a rebuild now would free and take back exactly the nodes the last
// one took and write the same bytes into them. The same leaves with the
// same first keys give the same index records; the same map and node
// limits make the allocator hand out the same nodes again; the free count
// must leave room for the nodes given back, so that it comes out unchanged.
bool RebuildWouldRepeat(TreeWorkFile& tree, const CatalogShape& shape) {
  const IndexMemo& memo = tree.cache.index;
  if (!memo.valid || NodeForwardLink(tree.header) != 0 || shape.leaves != memo.leaves) return false;
  std::vector<std::uint32_t> index = shape.indexNodes;
  std::sort(index.begin(), index.end());
  if (index != memo.indexNodes) return false;
  for (std::size_t i = 0; i < index.size(); ++i) {
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

void RememberRebuild(TreeWorkFile& tree, const CatalogShape& shape, std::vector<std::uint32_t> indexNodes) {
  IndexMemo& memo = tree.cache.index;
  if (NodeForwardLink(tree.header) != 0) return;  // map nodes: not remembered
  std::sort(indexNodes.begin(), indexNodes.end());
  memo.indexBytes.clear();
  for (const std::uint32_t n : indexNodes) {
    const NodeBuffer* node = PeekNode(tree, n);
    if (node == nullptr) return;
    memo.indexBytes.push_back(*node);
  }
  memo.leaves = shape.leaves;
  memo.indexNodes = std::move(indexNodes);
  std::copy_n(tree.header.begin() + header::kMapRecord, memo.map.size(), memo.map.begin());
  memo.nodeCount = WorkFileNodeCount(tree);
  memo.depth = GetU16(tree.header, header::bthDepth);
  memo.root = GetU32(tree.header, header::bthRoot);
  memo.lastLeaf = GetU32(tree.header, header::bthLNode);
  memo.nodes = GetU32(tree.header, header::bthNNodes);
  memo.valid = true;
}

// Whether the remembered shape is still the tree's: the walks would start
// from the same nodes, and every node they read and that was written since
// still has its links, type and children (a leaf's new first key is taken
// over).
bool ShapeStillHolds(TreeWorkFile& tree) {
  NodeCache& cache = tree.cache;
  ShapeMemo& memo = cache.shape;
  if (!memo.valid || cache.writtenOverflow || GetU32(tree.header, header::bthFNode) != memo.firstLeaf ||
      GetU32(tree.header, header::bthRoot) != memo.root || WorkFileNodeCount(tree) != memo.nodeCount) {
    return false;
  }
  for (const std::uint32_t n : cache.written) {
    if (n >= memo.chainVisit.size()) continue;  // a node added since: no walk read it
    for (const std::int32_t v : {memo.chainVisit[n], memo.rootVisit[n]}) {
      if (v >= 0 && !VisitStillHolds(tree, memo, memo.visits[static_cast<std::size_t>(v)])) return false;
    }
  }
  cache.written.clear();
  return true;
}

// A visited node that may have been written: the same links, type and
// children as the walk found.
bool VisitStillHolds(TreeWorkFile& tree, ShapeMemo& memo, ShapeMemo::Visit& visit) {
  const std::uint32_t writes = NodeWrites(tree, visit.node);
  if (writes == visit.writes) return true;
  const NodeSummary* now = TakeSummary(tree, visit.node);
  if (now == nullptr) return false;
  if (visit.leaf >= 0) {
    if (!now->sound || now->type != kLeafNode || now->forwardLink != visit.forwardLink) return false;
    if (now->recordCount > 0 && !now->firstKey) return false;
    memo.shape.leaves[static_cast<std::size_t>(visit.leaf)].firstKey = now->firstKey;
  } else {
    const bool index = now->sound && now->type == kIndexNode;
    if (index != visit.index) return false;
    const auto begin = memo.children.begin();
    if (index && !std::equal(now->children.begin(), now->children.end(), begin + visit.childrenBegin,
                             begin + visit.childrenEnd)) {
      return false;
    }
  }
  visit.writes = writes;
  return true;
}

// Drops the shape before a new walk; the visit tables are cleared through
// the visits they list.
void ForgetShape(TreeWorkFile& tree) {
  ShapeMemo& memo = tree.cache.shape;
  for (const ShapeMemo::Visit& visit : memo.visits) {
    if (visit.node < memo.chainVisit.size()) memo.chainVisit[visit.node] = memo.rootVisit[visit.node] = -1;
  }
  memo.valid = false;
  memo.visits.clear();
  memo.children.clear();
  memo.shape.leaves.clear();
  memo.shape.indexNodes.clear();
  tree.cache.written.clear();
  tree.cache.writtenOverflow = false;
}

// Lists each visit under its node (a walk reads a node at most once).
void RecordVisits(ShapeMemo& memo) {
  if (memo.chainVisit.size() < memo.nodeCount) {
    memo.chainVisit.resize(memo.nodeCount, -1);
    memo.rootVisit.resize(memo.nodeCount, -1);
  }
  for (std::size_t i = 0; i < memo.visits.size(); ++i) {
    std::vector<std::int32_t>& table = memo.visits[i].leaf >= 0 ? memo.chainVisit : memo.rootVisit;
    table[memo.visits[i].node] = static_cast<std::int32_t>(i);
  }
}

// The bounds and the once-only rule of WalkTo.
bool Visit(TreeWalk& walk, std::uint32_t n) {
  if (n == 0 || n >= walk.seen.size() || walk.seen[n]) return false;
  walk.seen[n] = true;
  return true;
}

// Node n's summary, taken again when the node's bytes changed; none when
// the node cannot be read (it is tried again next time).
const NodeSummary* TakeSummary(TreeWorkFile& tree, std::uint32_t n) {
  std::vector<NodeSummary>& summaries = tree.cache.summaries;
  if (n >= summaries.size()) summaries.resize(n + std::size_t{1});
  NodeSummary& summary = summaries[n];
  const std::uint32_t writes = NodeWrites(tree, n);
  if (summary.taken && summary.writes == writes) return &summary;
  const NodeBuffer* node = PeekNode(tree, n);
  if (node == nullptr) return nullptr;
  summary.writes = writes;
  // A node written again with the same bytes keeps its summary.
  if (summary.taken && *node == summary.bytes) return &summary;
  NodeBuffer copy = *node;
  summary = NodeSummary{};
  summary.taken = true;
  summary.writes = writes;
  summary.bytes = copy;
  summary.sound = CheckedRecordCount(copy).has_value();
  summary.type = NodeType(copy);
  summary.recordCount = NodeRecordCount(copy);
  summary.forwardLink = NodeForwardLink(copy);
  if (summary.sound && summary.type == kLeafNode && summary.recordCount > 0) summary.firstKey = FirstKey(copy);
  for (std::uint16_t i = 0; summary.sound && summary.type == kIndexNode && i < summary.recordCount; ++i) {
    const std::optional<Bytes> record = RecordAt(copy, i);
    const std::optional<std::uint32_t> child = record ? IndexChild(*record) : std::nullopt;
    if (child) summary.children.push_back(*child);
  }
  return &summary;
}

// The index nodes found from bthRoot through the children of index
// records, in the order met; each node read is added to the memo's visits.
// allRead turns false when a node could not be read.
std::vector<std::uint32_t> ReachableIndexNodes(TreeWorkFile& tree, ShapeMemo& memo, bool& allRead) {
  std::vector<std::uint32_t> found;
  TreeWalk walk = StartWalk(tree);
  std::deque<std::uint32_t> pending{GetU32(tree.header, header::bthRoot)};
  while (!pending.empty()) {
    const std::uint32_t n = pending.front();
    pending.pop_front();
    if (!Visit(walk, n)) continue;
    const NodeSummary* summary = TakeSummary(tree, n);
    if (summary == nullptr) {
      allRead = false;
      continue;
    }
    ShapeMemo::Visit visit;
    visit.node = n;
    visit.writes = NodeWrites(tree, n);
    visit.index = summary->sound && summary->type == kIndexNode;
    visit.childrenBegin = static_cast<std::uint32_t>(memo.children.size());
    if (visit.index) memo.children.insert(memo.children.end(), summary->children.begin(), summary->children.end());
    visit.childrenEnd = static_cast<std::uint32_t>(memo.children.size());
    memo.visits.push_back(visit);
    if (!visit.index) continue;
    found.push_back(n);
    pending.insert(pending.end(), summary->children.begin(), summary->children.end());
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
