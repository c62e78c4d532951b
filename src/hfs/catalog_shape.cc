#include "hfs/catalog_shape.h"

#include <algorithm>
#include <array>
#include <deque>
#include <optional>

#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/index_rebuild.h"
#include "hfs/tree_walk.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

// A split puts one leaf behind a leaf, an insertion at most two; more new
// leaves at one place are left to a new walk.
constexpr std::size_t kMostSplicedLeaves = 8;

bool ShapeStillHolds(TreeWorkFile& tree);
bool ChainVisitHolds(TreeWorkFile& tree, std::size_t place);
bool RootVisitHolds(TreeWorkFile& tree, std::size_t place);
bool SpliceLeaves(TreeWorkFile& tree, std::size_t place, std::uint32_t link);
void ForgetShape(TreeWorkFile& tree);
bool WalkChain(TreeWorkFile& tree);
bool WalkFromRoot(TreeWorkFile& tree);
inline void AddRootVisit(TreeWorkFile& tree, std::uint32_t n, bool index, const std::uint32_t* children,
                  std::size_t count);
bool Visit(TreeWalk& walk, std::uint32_t n);
const NodeSummary* TakeSummary(TreeWorkFile& tree, std::uint32_t n);
std::optional<IndexKey> FirstKey(Bytes leaf);

}  // namespace

std::size_t CatalogShape::IndexedLeaves() const {
  return static_cast<std::size_t>(
      std::count_if(leaves.begin(), leaves.end(), [](const Leaf& leaf) { return leaf.firstKey.has_value(); }));
}

const CatalogShape* SurveyCatalog(TreeWorkFile& tree) {
  PrepareNodeCache(tree);  // before any reference into the cache is taken
  ShapeMemo& memo = tree.cache.shape;
  if (ShapeStillHolds(tree)) return &memo.shape;
  ForgetShape(tree);
  if (!WalkChain(tree)) return nullptr;
  const bool allRead = WalkFromRoot(tree);
  memo.firstLeaf = GetU32(tree.header, header::bthFNode);
  memo.rootNode = GetU32(tree.header, header::bthRoot);
  memo.nodeCount = WorkFileNodeCount(tree);
  memo.valid = allRead;
  return &memo.shape;
}

void NoteRebuiltIndex(TreeWorkFile& tree, const std::vector<RebuiltLevel>& levels) {
  ShapeMemo& memo = tree.cache.shape;
  if (!memo.valid || levels.empty()) return;
  if (WorkFileNodeCount(tree) != memo.nodeCount) {
    memo.valid = false;  // the catalog grew: the walks start again
    return;
  }
  for (const ShapeMemo::RootVisit& visit : memo.rootVisits) memo.rootPlace[visit.node] = -1;
  memo.rootVisits.clear();
  memo.children.clear();
  memo.shape.indexNodes.clear();
  // A walk from the root meets the index level by level, from the root
  // down, and then the leaves below the lowest level. The leaves are left
  // out: each is a leaf of the chain, whose own check already sees a leaf
  // that is no longer one.
  std::array<std::uint32_t, kIndexRecordsPerNode> children{};
  for (std::size_t k = levels.size() - 1; k >= 1; --k) {
    const std::vector<IndexEntry>& below = levels[k - 1].entries;
    for (std::size_t i = 0; i < levels[k].entries.size(); ++i) {
      const std::size_t first = std::min(i * kIndexRecordsPerNode, below.size());
      const std::size_t count = std::min(kIndexRecordsPerNode, below.size() - first);
      for (std::size_t j = 0; j < count; ++j) children[j] = below[first + j].node;
      AddRootVisit(tree, levels[k].entries[i].node, true, children.data(), count);
      memo.shape.indexNodes.push_back(levels[k].entries[i].node);
    }
  }
  memo.rootNode = GetU32(tree.header, header::bthRoot);
  memo.firstLeaf = GetU32(tree.header, header::bthFNode);
  // The rebuild wrote only index nodes; a leaf among them (a damaged tree)
  // sends the next survey walking.
  for (const std::uint32_t n : tree.cache.written) {
    if (memo.chainPlace[n] >= 0 && !ChainVisitHolds(tree, static_cast<std::size_t>(memo.chainPlace[n]))) {
      memo.valid = false;
      return;
    }
  }
  tree.cache.written.clear();
}

namespace {

// Whether the remembered shape is still the tree's: the walks would start
// from the same nodes, and every node they read and that was written since
// still has its links, type and children.
bool ShapeStillHolds(TreeWorkFile& tree) {
  NodeCache& cache = tree.cache;
  ShapeMemo& memo = cache.shape;
  if (!memo.valid || cache.writtenOverflow || GetU32(tree.header, header::bthFNode) != memo.firstLeaf ||
      GetU32(tree.header, header::bthRoot) != memo.rootNode || WorkFileNodeCount(tree) != memo.nodeCount) {
    return false;
  }
  for (const std::uint32_t n : cache.written) {
    if (memo.chainPlace[n] >= 0 && !ChainVisitHolds(tree, static_cast<std::size_t>(memo.chainPlace[n]))) {
      return false;
    }
    if (memo.rootPlace[n] >= 0 && !RootVisitHolds(tree, static_cast<std::size_t>(memo.rootPlace[n]))) return false;
  }
  cache.written.clear();
  return true;
}

// A leaf of the chain that may have been written: still a sound leaf; a
// new first key is taken over, and new leaves behind it are spliced in.
bool ChainVisitHolds(TreeWorkFile& tree, std::size_t place) {
  ShapeMemo& memo = tree.cache.shape;
  const std::uint32_t n = memo.shape.leaves[place].node;
  const std::uint32_t writes = NodeWrites(tree, n);
  if (writes == memo.chainVisits[place].writes) return true;
  const NodeSummary* now = TakeSummary(tree, n);
  if (now == nullptr || !now->sound || now->type != kLeafNode || (now->recordCount > 0 && !now->firstKey)) {
    return false;
  }
  const std::uint32_t link = now->forwardLink;
  if (memo.shape.leaves[place].firstKey != now->firstKey) {
    memo.shape.leaves[place].firstKey = now->firstKey;
    ++memo.version;
  }
  if (link != memo.chainVisits[place].forwardLink && !SpliceLeaves(tree, place, link)) return false;
  memo.chainVisits[place].writes = writes;
  return true;
}

// A node the walk from the root read that may have been written: still
// taken as an index node or not, with the same children.
bool RootVisitHolds(TreeWorkFile& tree, std::size_t place) {
  ShapeMemo& memo = tree.cache.shape;
  ShapeMemo::RootVisit& visit = memo.rootVisits[place];
  const std::uint32_t writes = NodeWrites(tree, visit.node);
  if (writes == visit.writes) return true;
  const NodeSummary* now = TakeSummary(tree, visit.node);
  if (now == nullptr) return false;
  const bool index = now->sound && now->type == kIndexNode;
  if (index != visit.index) return false;
  const auto children = memo.children.begin();
  if (index && !std::equal(now->children.begin(), now->children.end(), children + visit.childrenBegin,
                           children + visit.childrenEnd)) {
    return false;
  }
  visit.writes = writes;
  return true;
}

// The leaf at `place` now links to `link`: new sound leaves, none of them
// on the chain yet, that lead back to its old successor go in behind it.
bool SpliceLeaves(TreeWorkFile& tree, std::size_t place, std::uint32_t link) {
  ShapeMemo& memo = tree.cache.shape;
  const std::uint32_t oldNext = memo.chainVisits[place].forwardLink;
  std::vector<ShapeLeaf> leaves;
  std::vector<ShapeMemo::ChainVisit> visits;
  for (std::uint32_t n = link; n != oldNext;) {
    const bool known = std::any_of(leaves.begin(), leaves.end(), [n](const ShapeLeaf& l) { return l.node == n; });
    if (leaves.size() == kMostSplicedLeaves || n == 0 || n >= memo.nodeCount || memo.chainPlace[n] >= 0 || known) {
      return false;
    }
    const NodeSummary* leaf = TakeSummary(tree, n);
    if (leaf == nullptr || !leaf->sound || leaf->type != kLeafNode || (leaf->recordCount > 0 && !leaf->firstKey)) {
      return false;
    }
    leaves.push_back(ShapeLeaf{n, leaf->firstKey});
    visits.push_back(ShapeMemo::ChainVisit{NodeWrites(tree, n), leaf->forwardLink});
    n = leaf->forwardLink;
  }
  const auto at = static_cast<std::ptrdiff_t>(place + 1);
  memo.shape.leaves.insert(memo.shape.leaves.begin() + at, leaves.begin(), leaves.end());
  memo.chainVisits.insert(memo.chainVisits.begin() + at, visits.begin(), visits.end());
  memo.chainVisits[place].forwardLink = link;
  for (std::size_t i = place + 1; i < memo.shape.leaves.size(); ++i) {
    memo.chainPlace[memo.shape.leaves[i].node] = static_cast<std::int32_t>(i);
  }
  ++memo.version;
  return true;
}

// Drops the remembered shape before new walks; the place tables are
// cleared through the visits they list.
void ForgetShape(TreeWorkFile& tree) {
  ShapeMemo& memo = tree.cache.shape;
  for (const ShapeLeaf& leaf : memo.shape.leaves) memo.chainPlace[leaf.node] = -1;
  for (const ShapeMemo::RootVisit& visit : memo.rootVisits) memo.rootPlace[visit.node] = -1;
  memo.valid = false;
  ++memo.version;
  memo.shape.leaves.clear();
  memo.shape.indexNodes.clear();
  memo.chainVisits.clear();
  memo.rootVisits.clear();
  memo.children.clear();
  const std::uint32_t nodes = WorkFileNodeCount(tree);
  if (memo.chainPlace.size() < nodes) {
    memo.chainPlace.resize(nodes, -1);
    memo.rootPlace.resize(nodes, -1);
  }
  tree.cache.written.clear();
  tree.cache.writtenOverflow = false;
}

// The leaf chain from bthFNode; false when it is damaged.
bool WalkChain(TreeWorkFile& tree) {
  ShapeMemo& memo = tree.cache.shape;
  TreeWalk walk = StartWalk(tree);
  for (std::uint32_t n = GetU32(tree.header, header::bthFNode); n != 0;) {
    const NodeSummary* leaf = Visit(walk, n) ? TakeSummary(tree, n) : nullptr;
    if (leaf == nullptr || !leaf->sound || leaf->type != kLeafNode) return false;
    if (leaf->recordCount > 0 && !leaf->firstKey) return false;
    memo.chainPlace[n] = static_cast<std::int32_t>(memo.shape.leaves.size());
    memo.chainVisits.push_back(ShapeMemo::ChainVisit{NodeWrites(tree, n), leaf->forwardLink});
    memo.shape.leaves.push_back(ShapeLeaf{n, leaf->firstKey});
    n = leaf->forwardLink;
  }
  return true;
}

// The index nodes found from bthRoot through the children of index
// records, in the order met; false when a node could not be read.
bool WalkFromRoot(TreeWorkFile& tree) {
  ShapeMemo& memo = tree.cache.shape;
  bool allRead = true;
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
    const bool index = summary->sound && summary->type == kIndexNode;
    AddRootVisit(tree, n, index, summary->children.data(), index ? summary->children.size() : 0);
    if (!index) continue;
    memo.shape.indexNodes.push_back(n);
    pending.insert(pending.end(), summary->children.begin(), summary->children.end());
  }
  return allRead;
}

inline void AddRootVisit(TreeWorkFile& tree, std::uint32_t n, bool index, const std::uint32_t* children,
                  std::size_t count) {
  ShapeMemo& memo = tree.cache.shape;
  const auto begin = static_cast<std::uint32_t>(memo.children.size());
  if (count > 0) memo.children.insert(memo.children.end(), children, children + count);
  memo.rootPlace[n] = static_cast<std::int32_t>(memo.rootVisits.size());
  memo.rootVisits.push_back(
      ShapeMemo::RootVisit{n, NodeWrites(tree, n), index, begin, static_cast<std::uint32_t>(memo.children.size())});
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
  summary.taken = true;
  summary.bytes = *node;
  const Bytes bytes(summary.bytes);
  summary.sound = CheckedRecordCount(bytes).has_value();
  summary.type = NodeType(bytes);
  summary.recordCount = NodeRecordCount(bytes);
  summary.forwardLink = NodeForwardLink(bytes);
  summary.firstKey.reset();
  if (summary.sound && summary.type == kLeafNode && summary.recordCount > 0) summary.firstKey = FirstKey(bytes);
  summary.children.clear();
  for (std::uint16_t i = 0; summary.sound && summary.type == kIndexNode && i < summary.recordCount; ++i) {
    const std::optional<Bytes> record = RecordAt(bytes, i);
    const std::optional<std::uint32_t> child = record ? IndexChild(*record) : std::nullopt;
    if (child) summary.children.push_back(*child);
  }
  return &summary;
}

// The leaf's first key as an index record carries it (tree_memo.h).
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

}  // namespace

}  // namespace tarvo
