// Room in the catalog tree: nodes handed out and returned through the node
// map (node_map.h), and the catalog file grown on the volume when too few
// nodes are free.
//
// Growth asks for twice the catalog's size in blocks (the file triples). A
// shorter free run of 10 blocks or more is taken as it is: the catalog
// grows by exactly the blocks it got, so its size and extents always agree.
// When the node map no longer reaches the catalog's end, map nodes are
// added from the catalog's free nodes (ExtendNodeMap, node_map.h).
// The new extent extends the last extent of drCTExtRec when it follows it
// on the volume, else takes the next empty descriptor, else goes into the
// extents tree as an overflow record of file 4.
//
// Growth happens before a change begins: the editing operations reserve
// every node they may need first, so a catalog that cannot grow refuses
// the change with the tree untouched, and the caller can still flush the
// work done before. Growth itself is consistent at every step (work file,
// extents, bitmap, drFreeBks, drCTFlSize and the header move together).
#pragma once

#include <cstdint>

namespace tarvo {

struct Context;

// Makes sure at least `count` catalog nodes are free, growing the catalog
// when needed. When it cannot: "Error trying to extend catalog." and false.
// Resets bthFree to the node map's count of free nodes first.
bool ReserveCatalogNodes(Context& ctx, std::uint32_t count);

}  // namespace tarvo
