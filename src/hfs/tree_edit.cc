#include "hfs/tree_edit.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "hfs/node_map.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

// More levels than any tree of 512-byte nodes within 32-bit node numbers
// can have: a deeper descent is a damaged tree.
constexpr std::size_t kMostDepth = 32;

// An index node passed on the way down, and the record followed there.
struct PathStep {
  std::uint32_t node = 0;
  std::size_t index = 0;
};

struct Descent {
  TreeEditStatus status = TreeEditStatus::kDone;
  std::vector<PathStep> path;  // from the root down
  std::uint32_t leaf = 0;
  NodeBuffer node{};  // the leaf
  std::vector<OwnedRecord> records;  // its records, once a split needs them (LoadRecords)
  std::size_t index = 0;  // the first record whose key is not below the one sought
  bool exists = false;
};

Descent Descend(TreeWorkFile& tree, const TreeKeys& keys, ConstBytes key);
// Takes the last step of the descent's path back: the parent is read into
// d.node; none when it cannot be read or lacks the record followed.
std::optional<PathStep> ClimbToParent(TreeWorkFile& tree, Descent& d);
bool LoadRecords(Descent& d);
std::optional<std::uint32_t> ChildOf(ConstBytes record);
std::optional<OwnedRecord> IndexRecordFor(const TreeKeys& keys, ConstBytes first, std::uint32_t child);
std::optional<std::size_t> SplitPoint(const std::vector<OwnedRecord>& records, std::size_t inserted);
TreeEditStatus StartTree(TreeWorkFile& tree, const OwnedRecord& record);
TreeEditStatus Place(TreeWorkFile& tree, const TreeKeys& keys, Descent& d);
TreeEditStatus GrowRoot(TreeWorkFile& tree, std::uint8_t height, const std::vector<OwnedRecord>& records);
TreeEditStatus UpdateKeysAbove(TreeWorkFile& tree, const TreeKeys& keys, const std::vector<PathStep>& path,
                               ConstBytes first);
bool Unlink(TreeWorkFile& tree, std::uint32_t n, const NodeBuffer& node);
bool SetLink(TreeWorkFile& tree, std::uint32_t n, std::size_t field, std::uint32_t value);
TreeEditStatus ShrinkRoot(TreeWorkFile& tree);

}  // namespace

std::uint32_t InsertionNodes(const TreeWorkFile& tree) { return std::uint32_t{GetU16(tree.header, header::bthDepth)} + 1; }

TreeEditStatus InsertTreeRecord(TreeWorkFile& tree, const TreeKeys& keys, const OwnedRecord& record,
                                const NodeReserve& reserve) {
  if (!keys.order(record, record)) return TreeEditStatus::kDamaged;
  if (GetU32(tree.header, header::bthRoot) == 0) {
    // Leaves without a root are a damaged tree, not an empty one.
    if (GetU32(tree.header, header::bthFNode) != 0) return TreeEditStatus::kDamaged;
    if (!reserve(InsertionNodes(tree))) return TreeEditStatus::kNoRoom;
    return StartTree(tree, record);
  }
  Descent d = Descend(tree, keys, record);
  if (d.status != TreeEditStatus::kDone) return d.status;
  if (d.exists) return TreeEditStatus::kExists;
  if (!reserve(InsertionNodes(tree))) return TreeEditStatus::kNoRoom;
  AddLeafRecords(tree.header, 1);
  // Most insertions fit their leaf: only a split needs the records apart.
  if (SpliceRecord(d.node, d.index, false, record)) {
    if (!WriteNode(tree, d.leaf, d.node)) return TreeEditStatus::kDamaged;
    return d.index == 0 ? UpdateKeysAbove(tree, keys, d.path, record) : TreeEditStatus::kDone;
  }
  if (!LoadRecords(d)) return TreeEditStatus::kDamaged;
  d.records.insert(d.records.begin() + static_cast<std::ptrdiff_t>(d.index), record);
  return Place(tree, keys, d);
}

TreeEditStatus DeleteTreeRecord(TreeWorkFile& tree, const TreeKeys& keys, ConstBytes key) {
  Descent d = Descend(tree, keys, key);
  if (d.status != TreeEditStatus::kDone) return d.status;
  if (!d.exists) return TreeEditStatus::kNotFound;
  AddLeafRecords(tree.header, -1);
  std::uint32_t n = d.leaf;
  std::size_t removed = d.index;
  // Each turn goes one level up; the path bounds the walk.
  for (;;) {
    if (NodeRecordCount(d.node) > 1) {
      if (!SpliceRecord(d.node, removed, true, {}) || !WriteNode(tree, n, d.node)) return TreeEditStatus::kDamaged;
      const std::optional<Bytes> first = RecordAt(d.node, 0);
      if (!first) return TreeEditStatus::kDamaged;
      const TreeEditStatus above =
          removed == 0 ? UpdateKeysAbove(tree, keys, d.path, *first) : TreeEditStatus::kDone;
      return above == TreeEditStatus::kDone ? ShrinkRoot(tree) : above;
    }
    if (!Unlink(tree, n, d.node)) return TreeEditStatus::kDamaged;
    if (d.path.empty()) {  // the root went with its last record
      PutU32(tree.header, header::bthRoot, 0);
      PutU16(tree.header, header::bthDepth, 0);
      return WriteNode(tree, 0, tree.header) ? TreeEditStatus::kDone : TreeEditStatus::kDamaged;
    }
    const std::optional<PathStep> step = ClimbToParent(tree, d);
    if (!step) return TreeEditStatus::kDamaged;
    n = step->node;
    removed = step->index;
  }
}

TreePlace LocateTreeKey(TreeWorkFile& tree, const TreeKeys& keys, ConstBytes key) {
  const Descent d = Descend(tree, keys, key);
  return TreePlace{d.status, d.leaf, d.index, d.exists};
}

namespace {

Descent Descend(TreeWorkFile& tree, const TreeKeys& keys, ConstBytes key) {
  Descent d;
  std::uint32_t n = GetU32(tree.header, header::bthRoot);
  if (n == 0) {
    d.status = TreeEditStatus::kNotFound;
    return d;
  }
  const auto damaged = [&d] {
    d.status = TreeEditStatus::kDamaged;
    return d;
  };
  std::uint8_t parentHeight = 0;
  for (std::size_t level = 0; level < kMostDepth; ++level) {
    std::optional<std::uint16_t> count;
    if (!ReadNodeInto(tree, n, d.node) || !(count = CheckedRecordCount(d.node))) return damaged();
    const std::uint8_t height = NodeHeight(d.node);
    if (level > 0 && height + 1 != parentHeight) return damaged();
    parentHeight = height;
    // The first record whose key is not below the one sought, by halves:
    // the keys of a node are in order.
    std::size_t i = 0;
    bool equal = false;
    for (std::size_t end = *count; i < end;) {
      const std::size_t middle = i + (end - i) / 2;
      const std::optional<Bytes> record = RecordAt(d.node, middle);
      const std::optional<int> order = record ? keys.order(*record, key) : std::nullopt;
      if (!order) return damaged();
      if (*order < 0) {
        i = middle + 1;
      } else {
        end = middle;
        equal = *order == 0;
      }
    }
    if (NodeType(d.node) == kLeafNode && height == 1) {
      d.leaf = n;
      d.index = i;
      d.exists = equal;
      return d;
    }
    if (NodeType(d.node) != kIndexNode || height < 2 || *count == 0) return damaged();
    // The child whose first key is the greatest not above the key; a key
    // below them all goes to the first child.
    const std::size_t chosen = equal || i == 0 ? i : i - 1;
    const std::optional<Bytes> record = RecordAt(d.node, chosen);
    const std::optional<std::uint32_t> child = record ? ChildOf(*record) : std::nullopt;
    if (!child) return damaged();
    d.path.push_back(PathStep{n, chosen});
    n = *child;
  }
  return damaged();
}

std::optional<PathStep> ClimbToParent(TreeWorkFile& tree, Descent& d) {
  const PathStep step = d.path.back();
  d.path.pop_back();
  if (!ReadNodeInto(tree, step.node, d.node) || !RecordAt(d.node, step.index)) return std::nullopt;
  return step;
}

bool LoadRecords(Descent& d) {
  std::optional<std::vector<OwnedRecord>> records = NodeRecords(d.node);
  if (!records) return false;
  d.records = std::move(*records);
  return true;
}

std::optional<std::uint32_t> ChildOf(ConstBytes record) {
  const std::optional<std::size_t> offset = RecordDataOffset(record);
  if (!offset || *offset + 4 > record.size()) return std::nullopt;
  return GetU32(record, *offset);
}

std::optional<OwnedRecord> IndexRecordFor(const TreeKeys& keys, ConstBytes first, std::uint32_t child) {
  if (first.empty()) return std::nullopt;
  const std::size_t keyBytes = std::size_t{RecordKeyLength(first)} + 1;
  if (keyBytes > std::size_t{keys.indexKeyLength} + 1 || keyBytes > first.size()) return std::nullopt;
  OwnedRecord record(((std::size_t{keys.indexKeyLength} + 2) & ~std::size_t{1}) + 4, 0);
  std::copy_n(first.begin(), keyBytes, record.begin());
  record[0] = keys.indexKeyLength;
  PutU32(record, record.size() - 4, child);
  return record;
}

// Where a node's records (its old ones and the new one at `inserted`) part.
// A record added behind a node's last one starts the new node alone: names
// copied in their order keep coming there, and the half-full nodes an even
// split leaves behind them would double the tree. Otherwise the first half of
// the old ones, rounded up, stays with the new one when it goes at or before
// their end; failing that, where the larger half is smallest. None when no
// parting fits two nodes.
std::optional<std::size_t> SplitPoint(const std::vector<OwnedRecord>& records, std::size_t inserted) {
  const std::span<const OwnedRecord> all(records);
  const auto fits = [&all](std::size_t at) {
    return at > 0 && at < all.size() && PackedSize(all.first(at)) <= kNodeSize &&
           PackedSize(all.subspan(at)) <= kNodeSize;
  };
  if (inserted + 1 == all.size() && fits(inserted)) return inserted;
  const std::size_t kept = records.size() / 2;  // of the old records, rounded up
  const std::size_t byCount = inserted <= kept ? kept + 1 : kept;
  if (fits(byCount)) return byCount;
  std::optional<std::size_t> best;
  std::size_t bestSize = 0;
  for (std::size_t at = 1; at < all.size(); ++at) {
    const std::size_t larger = std::max(PackedSize(all.first(at)), PackedSize(all.subspan(at)));
    if (fits(at) && (!best || larger < bestSize)) {
      best = at;
      bestSize = larger;
    }
  }
  return best;
}

TreeEditStatus StartTree(TreeWorkFile& tree, const OwnedRecord& record) {
  const std::optional<std::uint32_t> n = AllocateNode(tree);
  if (!n) return TreeEditStatus::kNoRoom;
  NodeBuffer leaf{};
  PutU8(leaf, node::ndType, kLeafNode);
  PutU8(leaf, node::ndNHeight, 1);
  if (!PackRecords(leaf, {record})) return TreeEditStatus::kDamaged;
  PutU16(tree.header, header::bthDepth, 1);
  PutU32(tree.header, header::bthRoot, *n);
  PutU32(tree.header, header::bthFNode, *n);
  PutU32(tree.header, header::bthLNode, *n);
  AddLeafRecords(tree.header, 1);
  return WriteNode(tree, *n, leaf) ? TreeEditStatus::kDone : TreeEditStatus::kDamaged;
}

// Writes the descent's leaf with its new record, splitting it and the
// index nodes above it as far as they overflow.
TreeEditStatus Place(TreeWorkFile& tree, const TreeKeys& keys, Descent& d) {
  std::uint32_t n = d.leaf;
  std::size_t inserted = d.index;
  bool firstChanged = d.index == 0;
  // Each turn goes one level up; the path bounds the walk.
  for (;;) {
    if (PackRecords(d.node, d.records)) {
      if (!WriteNode(tree, n, d.node)) return TreeEditStatus::kDamaged;
      return firstChanged ? UpdateKeysAbove(tree, keys, d.path, d.records.front()) : TreeEditStatus::kDone;
    }
    const std::optional<std::size_t> at = SplitPoint(d.records, inserted);
    const std::optional<std::uint32_t> added = at ? AllocateNode(tree) : std::nullopt;
    if (!added) return TreeEditStatus::kDamaged;  // the reserve leaves a node for every level
    const std::vector<OwnedRecord> right(d.records.begin() + static_cast<std::ptrdiff_t>(*at), d.records.end());
    d.records.resize(*at);
    const std::uint32_t next = NodeForwardLink(d.node);
    NodeBuffer rightNode{};
    PutU32(rightNode, node::ndFLink, next);
    PutU32(rightNode, node::ndBLink, n);
    PutU8(rightNode, node::ndType, NodeType(d.node));
    PutU8(rightNode, node::ndNHeight, NodeHeight(d.node));
    PutU32(d.node, node::ndFLink, *added);
    PackRecords(d.node, d.records);
    PackRecords(rightNode, right);
    if (next != 0 && !SetLink(tree, next, node::ndBLink, *added)) return TreeEditStatus::kDamaged;
    if (next == 0 && NodeType(d.node) == kLeafNode) PutU32(tree.header, header::bthLNode, *added);
    if (!WriteNode(tree, *added, rightNode) || !WriteNode(tree, n, d.node)) return TreeEditStatus::kDamaged;

    const std::optional<OwnedRecord> leftIndex = IndexRecordFor(keys, d.records.front(), n);
    const std::optional<OwnedRecord> rightIndex = IndexRecordFor(keys, right.front(), *added);
    if (!leftIndex || !rightIndex) return TreeEditStatus::kDamaged;
    if (d.path.empty()) return GrowRoot(tree, NodeHeight(d.node), {*leftIndex, *rightIndex});
    const std::optional<PathStep> step = ClimbToParent(tree, d);
    if (!step || !LoadRecords(d)) return TreeEditStatus::kDamaged;
    if (firstChanged) d.records[step->index] = *leftIndex;
    d.records.insert(d.records.begin() + static_cast<std::ptrdiff_t>(step->index + 1), *rightIndex);
    firstChanged = firstChanged && step->index == 0;
    inserted = step->index + 1;
    n = step->node;
  }
}

TreeEditStatus GrowRoot(TreeWorkFile& tree, std::uint8_t height, const std::vector<OwnedRecord>& records) {
  const std::optional<std::uint32_t> n = AllocateNode(tree);
  if (!n) return TreeEditStatus::kDamaged;
  NodeBuffer root{};
  PutU8(root, node::ndType, kIndexNode);
  PutU8(root, node::ndNHeight, static_cast<std::uint8_t>(height + 1));
  PackRecords(root, records);
  PutU32(tree.header, header::bthRoot, *n);
  PutU16(tree.header, header::bthDepth, static_cast<std::uint16_t>(height + 1));
  return WriteNode(tree, *n, root) ? TreeEditStatus::kDone : TreeEditStatus::kDamaged;
}

// A node below the path's end has the new first record `first`: the index
// records above it take its key, as far up as it is a first key.
TreeEditStatus UpdateKeysAbove(TreeWorkFile& tree, const TreeKeys& keys, const std::vector<PathStep>& path,
                               ConstBytes first) {
  std::optional<OwnedRecord> record;
  for (std::size_t i = path.size(); i-- > 0;) {
    const PathStep& step = path[i];
    NodeBuffer node{};
    const std::optional<Bytes> old = ReadNodeInto(tree, step.node, node) ? RecordAt(node, step.index) : std::nullopt;
    const std::optional<std::uint32_t> child = old ? ChildOf(*old) : std::nullopt;
    record = child ? IndexRecordFor(keys, first, *child) : std::nullopt;
    if (!record || !SpliceRecord(node, step.index, true, *record) || !WriteNode(tree, step.node, node)) {
      return TreeEditStatus::kDamaged;
    }
    if (step.index != 0) break;
    first = *record;
  }
  return TreeEditStatus::kDone;
}

// Takes an emptied node out of its level and gives it back to the map.
bool Unlink(TreeWorkFile& tree, std::uint32_t n, const NodeBuffer& node) {
  const std::uint32_t previous = GetU32(node, node::ndBLink);
  const std::uint32_t next = NodeForwardLink(node);
  if (next != 0 && !SetLink(tree, next, node::ndBLink, previous)) return false;
  if (previous != 0 && !SetLink(tree, previous, node::ndFLink, next)) return false;
  if (NodeType(node) == kLeafNode) {
    if (GetU32(tree.header, header::bthFNode) == n) PutU32(tree.header, header::bthFNode, next);
    if (GetU32(tree.header, header::bthLNode) == n) PutU32(tree.header, header::bthLNode, previous);
  }
  if (ReleaseNode(tree, n)) return true;
  return WriteNode(tree, n, NodeBuffer{});  // a node the map already calls free is still cleared
}

bool SetLink(TreeWorkFile& tree, std::uint32_t n, std::size_t field, std::uint32_t value) {
  NodeBuffer neighbour{};
  if (!ReadNodeInto(tree, n, neighbour)) return false;
  PutU32(neighbour, field, value);
  return WriteNode(tree, n, neighbour);
}

// An index root with a single child gives way to it.
TreeEditStatus ShrinkRoot(TreeWorkFile& tree) {
  for (std::size_t level = 0; level < kMostDepth; ++level) {
    const std::uint32_t root = GetU32(tree.header, header::bthRoot);
    NodeBuffer node{};
    if (!ReadNodeInto(tree, root, node)) return TreeEditStatus::kDamaged;
    if (NodeType(node) != kIndexNode || NodeRecordCount(node) != 1) break;
    const std::optional<Bytes> record = RecordAt(node, 0);
    const std::optional<std::uint32_t> child = record ? ChildOf(*record) : std::nullopt;
    if (!child) return TreeEditStatus::kDamaged;
    ReleaseNode(tree, root);
    PutU32(tree.header, header::bthRoot, *child);
    PutU16(tree.header, header::bthDepth, static_cast<std::uint16_t>(NodeHeight(node) - 1));
  }
  return WriteNode(tree, 0, tree.header) ? TreeEditStatus::kDone : TreeEditStatus::kDamaged;
}

}  // namespace

}  // namespace tarvo
