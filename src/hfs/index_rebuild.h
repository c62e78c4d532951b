// The catalog index, rebuilt whole from the leaf chain.
//
// The index is never edited record by record: after every insertion and
// deletion, and at every flush, the old index nodes are freed and a new
// index is built bottom-up from the first key of every leaf. An index node
// holds at most 11 records of 42 bytes (the key padded to length 37, then
// the child node); the nodes of a level are chained by ndFLink / ndBLink;
// the last level holds one node, the root. The rebuild also sets bthRoot,
// bthDepth (0 for an empty tree, 1 when the root is the only leaf),
// bthFNode and bthLNode (the two ends of the leaf chain).
//
// The old index is found from bthRoot through the children of every index
// record, so nodes of a level that lost their links are freed too.
//
// A rebuild that would give back and take again the same nodes and write
// the same bytes (the tree has kept the shape the last rebuild left, see
// tree_memo.h) only writes the header node.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "hfs/tree_work_file.h"

namespace tarvo {

struct Context;

inline constexpr std::size_t kIndexRecordsPerNode = 11;
inline constexpr std::size_t kIndexRecordSize = 42;

// The index nodes of the shape that the node map holds in use: the nodes
// freeing the old index gives back.
std::uint32_t ReleasableIndexNodes(TreeWorkFile& tree, const CatalogShape& shape);

// Index nodes the rebuild makes over this many leaves.
std::uint32_t IndexNodesNeeded(std::size_t leafCount);

enum class RebuildStatus {
  kDone,
  kNoRoom,   // the catalog could not grow for the new index; nothing changed
  kDamaged,  // the leaf chain is damaged; nothing changed
};

RebuildStatus RebuildCatalogIndex(Context& ctx);

}  // namespace tarvo
