#include "maintenance/check_tree.h"

#include <algorithm>
#include <optional>
#include <string>

#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/extent_search.h"
#include "hfs/name_order.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

// A key of either tree: catalog keys use id (the parent ID) and name,
// extent keys id (the file ID), forkType and startBlock.
struct Key {
  std::uint32_t id = 0;
  std::uint8_t forkType = 0;
  std::uint16_t startBlock = 0;
  std::string name{};
};

// A node to visit, with the index record that leads to it (none for the
// root and for leaves taken from the leaf chain).
struct Pending {
  std::uint32_t node = 0;
  std::optional<Key> indexKey{};
  std::uint32_t parent = 0;
  std::uint16_t record = 0;
};

std::optional<Key> ParseKey(TreeKind kind, bool leaf, ConstBytes record);
int CompareKeys(TreeKind kind, const Key& a, const Key& b);
std::optional<std::uint32_t> ChildOf(ConstBytes record);
std::optional<std::vector<ConstBytes>> RecordSpans(ConstBytes node);

class TreeChecker {
 public:
  TreeChecker(TreeWorkFile& tree, TreeKind kind, std::vector<Finding>& findings);
  ~TreeChecker();
  TreeChecker(const TreeChecker&) = delete;
  TreeChecker& operator=(const TreeChecker&) = delete;

  std::vector<LeafRecord> Run();

 private:
  void CheckHeader();
  std::optional<std::uint32_t> RootLevels(std::uint32_t root);
  std::vector<Pending> CheckLevel(const std::vector<Pending>& level, std::uint32_t height);
  std::vector<Pending> LeafChain();
  void CheckLeafFigures();
  void CheckNodeMap();

  std::optional<NodeBuffer> Load(std::uint32_t n);
  void Add(Problem code, ProblemContext context);
  std::uint32_t HeaderU32(std::size_t offset) const { return GetU32(tree_.header, offset); }

  TreeWorkFile& tree_;
  TreeKind kind_;
  std::vector<Finding>& findings_;
  NodeBuffer savedNode_;
  std::uint32_t savedNodeNumber_;
  std::uint16_t savedRecordIndex_;

  std::uint32_t limit_ = 0;   // nodes that exist: below bthNNodes and in the file
  std::vector<bool> inTree_;  // reached from the root (or the leaf chain), or a map node
  std::vector<std::uint32_t> leaves_;
  std::uint64_t leafRecordCount_ = 0;
  std::vector<LeafRecord> records_;
};

}  // namespace

std::vector<LeafRecord> CheckTree(TreeWorkFile& tree, TreeKind kind, std::vector<Finding>& findings) {
  return TreeChecker(tree, kind, findings).Run();
}

namespace {

std::vector<LeafRecord> TreeChecker::Run() {
  CheckHeader();
  const std::uint32_t root = HeaderU32(header::bthRoot);
  const std::uint16_t depth = GetU16(tree_.header, header::bthDepth);
  if (root == 0) {
    // An empty tree: no levels, and no leaves for the figures below.
    if (depth != 0) Add(Problem::kDepthWrong, {.found = depth, .expected = 0});
  } else if (const std::optional<std::uint32_t> levels = RootLevels(root)) {
    if (depth != *levels) Add(Problem::kDepthWrong, {.found = depth, .expected = *levels});
    std::vector<Pending> level{Pending{root}};
    for (std::uint32_t height = *levels; height >= 1 && !level.empty(); --height) level = CheckLevel(level, height);
    LeafChain();
  } else {
    // Without an index the leaves are known only through their chain.
    CheckLevel(LeafChain(), 1);
  }
  CheckLeafFigures();
  CheckNodeMap();
  return std::move(records_);
}

TreeChecker::TreeChecker(TreeWorkFile& tree, TreeKind kind, std::vector<Finding>& findings)
    : tree_(tree),
      kind_(kind),
      findings_(findings),
      savedNode_(tree.node),
      savedNodeNumber_(tree.nodeNumber),
      savedRecordIndex_(tree.recordIndex) {}

TreeChecker::~TreeChecker() {
  tree_.node = savedNode_;
  tree_.nodeNumber = savedNodeNumber_;
  tree_.recordIndex = savedRecordIndex_;
}

void TreeChecker::CheckHeader() {
  const ConstBytes h = tree_.header;
  if (NodeType(h) != kHeaderNode) Add(Problem::kHeaderNodeType, {.found = NodeType(h)});
  if (GetU16(h, header::bthNodeSize) != kNodeSize) {
    Add(Problem::kNodeSizeWrong, {.found = GetU16(h, header::bthNodeSize), .expected = kNodeSize});
  }
  const std::uint16_t keyLength = kind_ == TreeKind::kCatalog ? kIndexKeyLength : extkey::kKeyLength;
  if (GetU16(h, header::bthMaxKeyLen) != keyLength) {
    Add(Problem::kMaxKeyLengthWrong, {.found = GetU16(h, header::bthMaxKeyLen), .expected = keyLength});
  }
  const std::uint32_t nodes = HeaderU32(header::bthNNodes);
  const std::uint32_t fileNodes = WorkFileNodeCount(tree_);
  if (nodes != fileNodes) Add(Problem::kNodeCountWrong, {.found = nodes, .expected = fileNodes});
  limit_ = std::min(nodes, fileNodes);
  inTree_.assign(std::max<std::uint32_t>(limit_, 1), false);
  inTree_[0] = true;
}

// The number of levels below and with the root, when the index can be
// walked from it: one for a leaf root, as many as its height for an index.
std::optional<std::uint32_t> TreeChecker::RootLevels(std::uint32_t root) {
  if (root >= limit_) {
    Add(Problem::kRootOutOfRange, {.found = root, .expected = limit_});
    return std::nullopt;
  }
  const std::optional<NodeBuffer> node = Load(root);
  if (!node) return std::nullopt;
  inTree_[root] = true;
  return NodeType(*node) == kLeafNode ? 1 : std::max<std::uint32_t>(NodeHeight(*node), 1);
}

// Checks the nodes of one level, in key order, and returns the next level
// down: the children of its index records.
std::vector<Pending> TreeChecker::CheckLevel(const std::vector<Pending>& level, std::uint32_t height) {
  std::vector<Pending> next;
  const std::uint8_t expectedType = height == 1 ? kLeafNode : kIndexNode;
  std::optional<Key> previous;
  for (std::size_t i = 0; i < level.size(); ++i) {
    const Pending& p = level[i];
    const std::optional<NodeBuffer> node = Load(p.node);
    if (!node) continue;
    if (height == 1) leaves_.push_back(p.node);
    const std::uint32_t forward = i + 1 < level.size() ? level[i + 1].node : 0;
    const std::uint32_t back = i > 0 ? level[i - 1].node : 0;
    if (NodeForwardLink(*node) != forward) {
      Add(Problem::kForwardLinkWrong, {.node = p.node, .found = NodeForwardLink(*node), .expected = forward});
    }
    if (GetU32(*node, node::ndBLink) != back) {
      Add(Problem::kBackLinkWrong, {.node = p.node, .found = GetU32(*node, node::ndBLink), .expected = back});
    }
    if (NodeType(*node) != expectedType) {
      Add(Problem::kNodeTypeWrong, {.node = p.node, .found = NodeType(*node), .expected = expectedType});
      continue;
    }
    if (NodeHeight(*node) != height) {
      Add(Problem::kNodeHeightWrong, {.node = p.node, .found = NodeHeight(*node), .expected = height});
    }
    const std::optional<std::vector<ConstBytes>> records = RecordSpans(*node);
    if (!records) {
      Add(Problem::kRecordTableDamaged, {.node = p.node});
      continue;
    }
    if (records->empty()) Add(Problem::kNodeEmpty, {.node = p.node});
    if (height == 1) leafRecordCount_ += records->size();

    for (std::uint16_t r = 0; r < records->size(); ++r) {
      const ConstBytes record = (*records)[r];
      const std::optional<Key> key = ParseKey(kind_, height == 1, record);
      if (!key) {
        Add(Problem::kRecordDamaged, {.node = p.node, .record = r});
        continue;
      }
      if (r == 0 && p.indexKey && CompareKeys(kind_, *p.indexKey, *key) != 0) {
        Add(Problem::kIndexKeyWrong, {.node = p.parent, .record = p.record, .found = p.node});
      }
      if (previous && CompareKeys(kind_, *previous, *key) >= 0) {
        Add(Problem::kKeyOutOfOrder, {.node = p.node, .record = r});
      }
      previous = key;
      if (height == 1) {
        records_.push_back(LeafRecord{p.node, r, std::vector<std::uint8_t>(record.begin(), record.end())});
        continue;
      }
      const std::uint32_t child = *ChildOf(record);
      if (child >= limit_) {
        Add(Problem::kChildOutOfRange, {.node = p.node, .record = r, .found = child, .expected = limit_});
      } else if (inTree_[child]) {
        Add(Problem::kChildReachedTwice, {.node = p.node, .record = r, .found = child});
      } else {
        inTree_[child] = true;
        next.push_back(Pending{child, key, p.node, r});
      }
    }
  }
  return next;
}

// The leaves along ndFLink from bthFNode, as far as they are leaves of
// the tree file; a loop is reported and ends the chain.
std::vector<Pending> TreeChecker::LeafChain() {
  std::vector<Pending> chain;
  std::vector<bool> seen(limit_, false);
  for (std::uint32_t n = HeaderU32(header::bthFNode); n != 0 && n < limit_;) {
    if (seen[n]) {
      Add(Problem::kLeafChainLoop, {.node = n});
      break;
    }
    seen[n] = true;
    const std::optional<NodeBuffer> node = Load(n);
    if (!node || NodeType(*node) != kLeafNode) break;
    inTree_[n] = true;
    chain.push_back(Pending{n});
    n = NodeForwardLink(*node);
  }
  return chain;
}

void TreeChecker::CheckLeafFigures() {
  const std::uint32_t first = leaves_.empty() ? 0 : leaves_.front();
  const std::uint32_t last = leaves_.empty() ? 0 : leaves_.back();
  if (HeaderU32(header::bthFNode) != first) {
    Add(Problem::kFirstLeafWrong, {.found = HeaderU32(header::bthFNode), .expected = first});
  }
  if (HeaderU32(header::bthLNode) != last) {
    Add(Problem::kLastLeafWrong, {.found = HeaderU32(header::bthLNode), .expected = last});
  }
  if (HeaderU32(header::bthNRecs) != leafRecordCount_) {
    Add(Problem::kLeafRecordCountWrong, {.found = HeaderU32(header::bthNRecs), .expected = leafRecordCount_});
  }
}

void TreeChecker::CheckNodeMap() {
  std::vector<bool> map;
  auto append = [&map](ConstBytes bytes) {
    for (std::uint8_t byte : bytes) {
      for (int bit = 7; bit >= 0; --bit) map.push_back((byte >> bit & 1) != 0);
    }
  };
  append(ConstBytes(tree_.header).subspan(header::kMapRecord, header::kMapRecordSize));

  // Map nodes follow the header along ndFLink, each holding one map record.
  std::vector<bool> seen(limit_, false);
  for (std::uint32_t n = NodeForwardLink(tree_.header); n != 0 && n < limit_ && !seen[n];) {
    seen[n] = true;
    const std::optional<NodeBuffer> node = Load(n);
    if (!node) break;
    if (NodeType(*node) != kMapNode) {
      Add(Problem::kNodeTypeWrong, {.node = n, .found = NodeType(*node), .expected = kMapNode});
      break;
    }
    const std::optional<std::vector<ConstBytes>> records = RecordSpans(*node);
    if (!records || records->empty()) {
      Add(Problem::kRecordTableDamaged, {.node = n});
      break;
    }
    inTree_[n] = true;
    append((*records)[0]);
    n = NodeForwardLink(*node);
  }

  const std::uint32_t nodes = HeaderU32(header::bthNNodes);
  if (map.size() < nodes) Add(Problem::kMapTooShort, {.found = map.size(), .expected = nodes});
  const auto covered = static_cast<std::uint32_t>(std::min<std::size_t>(map.size(), nodes));

  // Runs of nodes whose use and map bit disagree the same way.
  const std::uint32_t compared = std::min(limit_, covered);
  for (std::uint32_t n = 0; n < compared;) {
    const bool used = inTree_[n];
    if (used == map[n]) {
      ++n;
      continue;
    }
    std::uint32_t end = n + 1;
    while (end < compared && inTree_[end] == used && map[end] != used) ++end;
    Add(used ? Problem::kNodesUsedButFree : Problem::kNodesMarkedButUnused, {.first = n, .count = end - n});
    n = end;
  }
  // Without a map for every node the free count cannot be known.
  const auto free = static_cast<std::uint32_t>(std::count(map.begin(), map.begin() + covered, false));
  if (covered == nodes && HeaderU32(header::bthFree) != free) {
    Add(Problem::kFreeNodesWrong, {.found = HeaderU32(header::bthFree), .expected = free});
  }
}

std::optional<NodeBuffer> TreeChecker::Load(std::uint32_t n) {
  if (!ReadNode(tree_, n)) {
    Add(Problem::kNodeUnreadable, {.node = n});
    return std::nullopt;
  }
  return tree_.node;
}

void TreeChecker::Add(Problem code, ProblemContext context) {
  context.tree = kind_ == TreeKind::kCatalog ? "catalog" : "extents";
  Report(findings_, code, std::move(context));
}

std::optional<Key> ParseKey(TreeKind kind, bool leaf, ConstBytes record) {
  if (kind == TreeKind::kCatalog) {
    std::optional<CatalogKey> key = ReadCatalogKey(record);
    if (!key || (!leaf && !ChildOf(record))) return std::nullopt;
    return Key{.id = key->parentId, .name = std::move(key->name)};
  }
  const std::size_t size = leaf ? extkey::kRecordSize : extkey::kExtents + 4;
  if (record.size() < size || GetU8(record, extkey::xkrKeyLen) != extkey::kKeyLength) return std::nullopt;
  return Key{.id = GetU32(record, extkey::xkrFNum),
             .forkType = GetU8(record, extkey::xkrFkType),
             .startBlock = GetU16(record, extkey::xkrFABN)};
}

int CompareKeys(TreeKind kind, const Key& a, const Key& b) {
  if (a.id != b.id) return a.id < b.id ? -1 : 1;
  if (kind == TreeKind::kCatalog) return CompareNames(a.name, b.name);
  if (a.forkType != b.forkType) return a.forkType < b.forkType ? -1 : 1;
  return a.startBlock == b.startBlock ? 0 : (a.startBlock < b.startBlock ? -1 : 1);
}

std::optional<std::uint32_t> ChildOf(ConstBytes record) {
  const std::optional<std::size_t> offset = RecordDataOffset(record);
  if (!offset || *offset + 4 > record.size()) return std::nullopt;
  return GetU32(record, *offset);
}

// Each record from its offset to the next record's (the last one's to the
// free-space offset). None unless the offsets are even, rise strictly,
// start after the descriptor and end before the offset table.
std::optional<std::vector<ConstBytes>> RecordSpans(ConstBytes node) {
  const std::optional<std::uint16_t> count = CheckedRecordCount(node);
  if (!count) return std::nullopt;
  std::vector<std::size_t> offsets;
  offsets.reserve(*count + std::size_t{1});
  for (std::size_t i = 0; i <= *count; ++i) offsets.push_back(GetU16(node, OffsetSlot(i)));
  std::size_t previous = node::kFirstRecord;
  for (std::size_t i = 0; i < *count; ++i) {
    const bool risen = i == 0 ? offsets[i] >= previous : offsets[i] > previous;
    if (!risen || offsets[i] % 2 != 0) return std::nullopt;
    previous = offsets[i];
  }
  const std::size_t free = offsets[*count];
  if (free > OffsetSlot(*count) || free < previous || (*count > 0 && free == previous)) return std::nullopt;
  std::vector<ConstBytes> spans;
  spans.reserve(*count);
  for (std::size_t i = 0; i < *count; ++i) spans.push_back(node.subspan(offsets[i], offsets[i + 1] - offsets[i]));
  return spans;
}

}  // namespace

}  // namespace tarvo
