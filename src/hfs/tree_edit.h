// Inserting and deleting leaf records of a B-tree work file (catalog or
// extents) in place: only the nodes on the path from the root to the
// record's leaf change, so an edit costs as many node reads and writes as
// the tree is deep.
//
// Insertion puts the record into its leaf in key order. A node without
// room is split in two. A record that goes behind all of the node's starts
// the new node alone (records added in key order then fill their nodes).
// Otherwise the first half of its old records (rounded up) stays, the rest moves to a new node linked in after it at its level, and
// the new record goes to the half where it belongs (at the boundary, to the
// first); when that half cannot hold it, the records are parted where both
// halves come out most even. The new node's index record goes into the
// parent behind the split node's, splitting the parent in turn when full; a
// split root gets a new root above it (bthRoot, bthDepth).
//
// Deletion removes the record from its leaf. A node left without records
// is unlinked from its level, freed in the node map and its index record
// removed from the parent, which may empty in turn; an index root left with
// one child gives way to it. An emptied tree has depth 0 and no root.
//
// An index record is the first key of its child, its key length set to the
// tree's index key length and the key padded with zeros to it, then the
// child's node number. When a node's first key changes, the index records
// above it follow.
//
// bthNRecs, bthFNode, bthLNode, bthRoot, bthDepth, bthFree and the node map
// are kept. New nodes are taken from the node map: the caller's reserve
// makes sure, once the key is known to be new, that the nodes an insertion
// may take (InsertionNodes) are free, so an insertion never stops halfway
// for want of a node.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "base/big_endian.h"
#include "base/tree_work_file.h"
#include "hfs/btree.h"

namespace tarvo {

// A tree's key order: negative, 0 or positive as the key of record a sorts
// before, equal to or after the key of record b (leaf or index records, or
// bare keys); none when a key cannot be read.
using KeyOrder = std::optional<int> (*)(ConstBytes a, ConstBytes b);

struct TreeKeys {
  KeyOrder order = nullptr;
  std::uint8_t indexKeyLength = 0;  // 37 for the catalog, 7 for the extents tree
};

enum class TreeEditStatus {
  kDone,
  kExists,    // a record with the key is already there (insertion)
  kNotFound,  // no record with the key (deletion)
  kNoRoom,    // the reserve refused the nodes; nothing changed
  kDamaged,   // the tree cannot be walked where the edit goes
};

// Nodes an insertion into the tree as it is may take: one per level split
// and a new root.
std::uint32_t InsertionNodes(const TreeWorkFile& tree);

// Asked for `count` free nodes before an insertion changes anything; false
// refuses the insertion.
using NodeReserve = std::function<bool(std::uint32_t count)>;

TreeEditStatus InsertTreeRecord(TreeWorkFile& tree, const TreeKeys& keys, const OwnedRecord& record,
                                const NodeReserve& reserve);

// Deletes the leaf record whose key equals `key`.
TreeEditStatus DeleteTreeRecord(TreeWorkFile& tree, const TreeKeys& keys, ConstBytes key);

// Deletes the leaf records whose keys are among `sortedKeys` (in the tree's
// key order, each once), a leaf at a time: one descent per leaf, each leaf
// loses all of its records in one edit and the index above it follows once.
// A key without a record, or whose record `keep` (when given) holds on to,
// is passed over. On kDamaged the deletion stopped part way: the keys
// marked deleted are gone, the others are as they were.
using RecordFilter = std::function<bool(ConstBytes record)>;
struct BatchDeletion {
  TreeEditStatus status = TreeEditStatus::kDone;
  std::vector<bool> deleted;  // per key
};
BatchDeletion DeleteTreeRecords(TreeWorkFile& tree, const TreeKeys& keys, std::span<const OwnedRecord> sortedKeys,
                                const RecordFilter& keep);

// Where a key is or would go: the leaf (read into the tree's node) and the
// index of the first record whose key is not below it.
struct TreePlace {
  TreeEditStatus status = TreeEditStatus::kNotFound;  // kNotFound: an empty tree
  std::uint32_t leaf = 0;
  std::size_t index = 0;
  bool exists = false;
};
TreePlace LocateTreeKey(TreeWorkFile& tree, const TreeKeys& keys, ConstBytes key);

}  // namespace tarvo
