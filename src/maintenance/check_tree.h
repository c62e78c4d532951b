// The structure check of one B-tree work file (catalog or extents).
//
// Checks the header record (node 0: type, node size, key length, node
// count, root, depth, first and last leaf, leaf record count, free count),
// every node reached from the root level by level (type, height, record
// offsets, keys in order inside and across nodes, index keys equal to the
// first key of their child, ndFLink / ndBLink in level order), the leaf
// chain from bthFNode, and the node map (the header's map record covering
// nodes 0..2047, then any map nodes chained from the header) against the
// nodes in use. Map bits at or beyond bthNNodes are not looked at.
//
// Catalog keys order by parent ID, then by name (CompareNames); extent
// keys by file ID, then fork type, then start block, all unsigned. Index
// keys compare equal to their child's first key in that order.
//
// Every node is read at most once per walk and only below the node count,
// so damage (cycles, links past the end, garbage) never makes the check
// loop or read outside the work file. A node whose type or record offsets
// are wrong is reported and not looked into further. The tree's node
// buffer, node number and record index are left as they were.
#pragma once

#include <cstdint>
#include <vector>

#include "base/tree_work_file.h"
#include "maintenance/check_problems.h"

namespace tarvo {

enum class TreeKind { kCatalog, kExtents };

// A leaf record as the check found it, copied out of its node: the key,
// then the data, up to the next record.
struct LeafRecord {
  std::uint32_t node = 0;
  std::uint16_t index = 0;
  std::vector<std::uint8_t> bytes;
};

// The leaf records in the tree's order (those whose key could be read).
// When the index cannot be walked at all (no usable root), the leaves come
// from the leaf chain instead.
std::vector<LeafRecord> CheckTree(TreeWorkFile& tree, TreeKind kind, std::vector<Finding>& findings);

}  // namespace tarvo
