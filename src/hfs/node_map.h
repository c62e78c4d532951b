// The node map of a B-tree work file: one bit per node (most significant
// bit first), set when the node is in use.
//
// The header node's map record covers nodes 0..2047. A larger tree goes on
// in map nodes (ndType 2) chained from the header's ndFLink, each covering
// as many nodes as its one record has bits (those other systems made are
// used whatever their size; ours have 492 bytes, 3936 nodes). A tree grown
// past its map's reach gets more map nodes (ExtendNodeMap).
//
// bthFree is kept equal to the number of clear bits among the nodes that
// can be handed out (1 up to bthNNodes, the map's reach and the work file's
// end); SyncFreeNodeCount makes it so when another writer left it wrong.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/tree_work_file.h"

namespace tarvo {

// Nodes the map describes (2048 without map nodes). A damaged map-node
// chain ends the map where the damage begins.
std::uint32_t NodeMapReach(TreeWorkFile& tree);

// None beyond the map's reach.
std::optional<bool> IsNodeInUse(TreeWorkFile& tree, std::uint32_t n);

// Clear bits of the nodes that can be handed out.
std::uint32_t CountFreeNodes(TreeWorkFile& tree);
// Sets bthFree to CountFreeNodes; returns it.
std::uint32_t SyncFreeNodeCount(TreeWorkFile& tree);
// bthFree, counted once from the map after the header is read (another
// writer may have left it wrong), then kept by the edits here.
std::uint32_t FreeNodeCount(TreeWorkFile& tree);

// Takes the first free node from 1 upward: sets its bit, lowers bthFree.
// None when no node is free (the tree is not grown here).
std::optional<std::uint32_t> AllocateNode(TreeWorkFile& tree);
// Returns node n to the free pool: zeroes the node, clears its bit, raises
// bthFree. False when n is not a node in use or a write failed.
bool ReleaseNode(TreeWorkFile& tree, std::uint32_t n);
// The free nodes changed since the last flush (cleared, or added to the
// tree), in ascending order.
std::vector<std::uint32_t> UnflushedFreeNodes(TreeWorkFile& tree);

// Clears the bits of the nodes from n on up to the map's reach (nodes a
// tree gains when it grows must start free).
void ClearNodeBitsFrom(TreeWorkFile& tree, std::uint32_t n);

// Adds map nodes at the end of the chain until the map reaches bthNNodes.
// Each is one of the tree's free nodes (the first the map covers, else the
// first beyond its reach, whose bit the new node holds itself), marked in
// use; bthFree is synced. False, with the map as far as it got, when the
// chain is damaged (the map ends before the chain does) or the work file
// does not hold the node.
bool ExtendNodeMap(TreeWorkFile& tree);

}  // namespace tarvo
