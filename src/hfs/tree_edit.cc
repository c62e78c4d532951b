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
// Nodes first .. last, neighbours along one level, and the nodes before and
// after them (0: none).
struct LevelRun {
  std::uint32_t first = 0;  // 0: no run
  std::uint32_t previous = 0;
  std::uint32_t last = 0;
  std::uint32_t next = 0;
};
// Links the run's neighbours to each other, as the run leaves its level;
// bthFNode and bthLNode move past it when it is made of leaves.
bool JoinAround(TreeWorkFile& tree, const LevelRun& run, bool leaves);
// Gives a node that left its level back to the map, cleared.
bool Free(TreeWorkFile& tree, std::uint32_t n);
bool SetLink(TreeWorkFile& tree, std::uint32_t n, std::size_t field, std::uint32_t value);
TreeEditStatus ShrinkRoot(TreeWorkFile& tree);
TreeEditStatus RemoveRecords(TreeWorkFile& tree, const TreeKeys& keys, Descent& d,
                             const std::vector<std::size_t>& removed);
// The descent to the leaf after d's (nextNode) that a descent to `key`
// would make: none unless that leaf has d's parent and the key lies before
// the parent's next index record.
std::optional<Descent> SiblingDescent(TreeWorkFile& tree, const TreeKeys& keys, const Descent& d,
                                      const NodeBuffer& nextNode, ConstBytes key);

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
  return RemoveRecords(tree, keys, d, std::vector<std::size_t>{d.index});
}

BatchDeletion DeleteTreeRecords(TreeWorkFile& tree, const TreeKeys& keys, std::span<const OwnedRecord> sortedKeys,
                                const RecordFilter& keep) {
  BatchDeletion result;
  result.deleted.assign(sortedKeys.size(), false);
  // Leaves emptied under one parent leave its index together, in one edit
  // of the parent: the path down to the parent, and their index records.
  std::vector<PathStep> emptiedPath;
  std::vector<std::size_t> emptied;
  const auto removeEmptied = [&] {
    if (emptied.empty()) return TreeEditStatus::kDone;
    Descent parent;
    parent.path = emptiedPath;
    parent.leaf = parent.path.back().node;
    parent.path.pop_back();
    const TreeEditStatus status = ReadNodeInto(tree, parent.leaf, parent.node)
                                      ? RemoveRecords(tree, keys, parent, emptied)
                                      : TreeEditStatus::kDamaged;
    emptied.clear();
    return status;
  };
  // Neighbouring leaves emptied one after the other leave the chain
  // together: their neighbours are linked once, not once per leaf.
  LevelRun run;
  const auto joinRun = [&tree, &run] {
    const bool joined = run.first == 0 || JoinAround(tree, run, true);
    run = LevelRun{};
    return joined;
  };
  const auto stop = [&result](TreeEditStatus status) {
    result.status = status;
    return result;
  };
  // Each turn deals with at least one key, or gives a parent its emptied
  // leaves (after which the next turn deals with one), so the walk ends.
  std::optional<Descent> sibling;
  for (std::size_t i = 0; i < sortedKeys.size();) {
    Descent d = sibling ? std::move(*sibling) : Descend(tree, keys, sortedKeys[i]);
    sibling.reset();
    if (d.status == TreeEditStatus::kNotFound) break;  // an empty tree holds none of them
    if (d.status != TreeEditStatus::kDone) return stop(d.status);
    if (!emptied.empty() && (d.path.empty() || d.path.back().node != emptiedPath.back().node)) {
      // Another parent: the paths change once the emptied leaves are gone.
      const TreeEditStatus status = removeEmptied();
      if (status != TreeEditStatus::kDone) return stop(status);
      continue;
    }
    const std::size_t dealt = i;
    // The leaf's records and the keys, merged: both are in key order.
    std::vector<std::size_t> doomed;
    const std::size_t count = NodeRecordCount(d.node);
    std::size_t j = d.index;
    while (i < sortedKeys.size() && j < count) {
      const std::optional<Bytes> record = RecordAt(d.node, j);
      const std::optional<int> order = record ? keys.order(*record, sortedKeys[i]) : std::nullopt;
      if (!order) return stop(TreeEditStatus::kDamaged);
      if (*order < 0) {
        ++j;
        continue;
      }
      if (*order == 0 && !(keep && keep(*record))) {
        doomed.push_back(j);
        result.deleted[i] = true;
      }
      j += *order == 0 ? 1 : 0;
      ++i;
    }
    // Keys behind this leaf's records but before the next leaf's first
    // record have no record: they are passed over without a descent each.
    const std::uint32_t next = NodeForwardLink(d.node);
    NodeBuffer nextNode{};
    const std::optional<Bytes> bound =
        j >= count && next != 0 && ReadNodeInto(tree, next, nextNode) ? RecordAt(nextNode, 0) : std::nullopt;
    for (; i < sortedKeys.size() && j >= count; ++i) {
      if (next == 0) continue;  // the last leaf: none of them is in the tree
      const std::optional<int> order = bound ? keys.order(sortedKeys[i], *bound) : std::nullopt;
      if (!order) return stop(TreeEditStatus::kDamaged);
      if (*order >= 0) break;
    }
    // A descent that found neither a record nor a key to pass over went to
    // a leaf its index does not lead to.
    if (i == dealt) return stop(TreeEditStatus::kDamaged);
    if (doomed.empty()) continue;
    if (doomed.size() == count && !d.path.empty()) {
      AddLeafRecords(tree.header, -static_cast<std::int64_t>(count));
      if (run.first != 0 && run.next != d.leaf && !joinRun()) return stop(TreeEditStatus::kDamaged);
      if (run.first == 0) run = LevelRun{d.leaf, GetU32(d.node, node::ndBLink), 0, 0};
      run.last = d.leaf;
      run.next = NodeForwardLink(d.node);
      if (!Free(tree, d.leaf)) return stop(TreeEditStatus::kDamaged);
      if (emptied.empty()) emptiedPath = d.path;
      emptied.push_back(d.path.back().index);
      if (i < sortedKeys.size() && bound) sibling = SiblingDescent(tree, keys, d, nextNode, sortedKeys[i]);
      continue;
    }
    // The leaf that keeps records may be the run's neighbour: it is read
    // again once linked.
    if (!joinRun() || !ReadNodeInto(tree, d.leaf, d.node)) return stop(TreeEditStatus::kDamaged);
    if (!emptied.empty()) {
      // The parent gives up its emptied leaves first; this leaf's keys are
      // taken again after a new descent.
      std::fill(result.deleted.begin() + static_cast<std::ptrdiff_t>(dealt),
                result.deleted.begin() + static_cast<std::ptrdiff_t>(i), false);
      i = dealt;
      const TreeEditStatus status = removeEmptied();
      if (status != TreeEditStatus::kDone) return stop(status);
      continue;
    }
    AddLeafRecords(tree.header, -static_cast<std::int64_t>(doomed.size()));
    const TreeEditStatus status = RemoveRecords(tree, keys, d, doomed);
    if (status != TreeEditStatus::kDone) return stop(status);
  }
  result.status = joinRun() ? removeEmptied() : TreeEditStatus::kDamaged;
  return result;
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
  const LevelRun run{n, GetU32(node, node::ndBLink), n, NodeForwardLink(node)};
  return JoinAround(tree, run, NodeType(node) == kLeafNode) && Free(tree, n);
}

bool JoinAround(TreeWorkFile& tree, const LevelRun& run, bool leaves) {
  if (run.next != 0 && !SetLink(tree, run.next, node::ndBLink, run.previous)) return false;
  if (run.previous != 0 && !SetLink(tree, run.previous, node::ndFLink, run.next)) return false;
  if (leaves) {
    if (GetU32(tree.header, header::bthFNode) == run.first) PutU32(tree.header, header::bthFNode, run.next);
    if (GetU32(tree.header, header::bthLNode) == run.last) PutU32(tree.header, header::bthLNode, run.previous);
  }
  return true;
}

bool Free(TreeWorkFile& tree, std::uint32_t n) {
  if (ReleaseNode(tree, n)) return true;
  return WriteNode(tree, n, NodeBuffer{});  // a node the map already calls free is still cleared
}

bool SetLink(TreeWorkFile& tree, std::uint32_t n, std::size_t field, std::uint32_t value) {
  NodeBuffer neighbour{};
  if (!ReadNodeInto(tree, n, neighbour)) return false;
  PutU32(neighbour, field, value);
  return WriteNode(tree, n, neighbour);
}

// Removes the records at the indices `removed` (ascending) from the
// descent's leaf in one edit; a node left without records goes, and its
// index record with it, on up.
TreeEditStatus RemoveRecords(TreeWorkFile& tree, const TreeKeys& keys, Descent& d,
                             const std::vector<std::size_t>& removed) {
  std::uint32_t n = d.leaf;
  std::vector<std::size_t> gone = removed;
  // Each turn goes one level up; the path bounds the walk.
  for (;;) {
    if (NodeRecordCount(d.node) > gone.size()) {
      // From the back, so the indices still to remove keep their places.
      for (std::size_t k = gone.size(); k-- > 0;) {
        if (!SpliceRecord(d.node, gone[k], true, {})) return TreeEditStatus::kDamaged;
      }
      if (!WriteNode(tree, n, d.node)) return TreeEditStatus::kDamaged;
      const std::optional<Bytes> first = RecordAt(d.node, 0);
      if (!first) return TreeEditStatus::kDamaged;
      const TreeEditStatus above =
          gone.front() == 0 ? UpdateKeysAbove(tree, keys, d.path, *first) : TreeEditStatus::kDone;
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
    gone.assign(1, step->index);
  }
}

std::optional<Descent> SiblingDescent(TreeWorkFile& tree, const TreeKeys& keys, const Descent& d,
                                      const NodeBuffer& nextNode, ConstBytes key) {
  if (d.path.empty() || NodeType(nextNode) != kLeafNode || NodeHeight(nextNode) != 1 ||
      !CheckedRecordCount(nextNode)) {
    return std::nullopt;
  }
  const PathStep step = d.path.back();
  NodeBuffer parent{};
  if (!ReadNodeInto(tree, step.node, parent)) return std::nullopt;
  const std::optional<Bytes> next = RecordAt(parent, step.index + 1);
  const std::optional<Bytes> after = RecordAt(parent, step.index + 2);
  if (!next || !after || ChildOf(*next) != NodeForwardLink(d.node)) return std::nullopt;
  const std::optional<int> order = keys.order(key, *after);
  if (!order || *order >= 0) return std::nullopt;
  Descent sibling;
  sibling.path = d.path;
  sibling.path.back().index = step.index + 1;
  sibling.leaf = NodeForwardLink(d.node);
  sibling.node = nextNode;
  return sibling;
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
