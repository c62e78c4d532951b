// Room in the catalog and extents trees: nodes handed out and returned
// through the node map (node_map.h), and the tree's file grown on the
// volume when too few nodes are free.
//
// Growth asks for a quarter of the file's size in blocks, at least its
// clump (drCTClpSiz, drXTClpSiz). A shorter free run of 10 blocks or more
// is taken as it is: the file grows by exactly the blocks it got, so its
// size and extents always agree. When the node map no longer reaches the
// file's end, map nodes are added from its free nodes (ExtendNodeMap,
// node_map.h). The new extent extends the last extent of the header's
// record (drCTExtRec, drXTExtRec) when it follows it on the volume, else
// takes the next empty descriptor. Beyond those three the catalog goes on
// as overflow records of file 4 in the extents tree; the extents file
// cannot (a Macintosh finds its extents in the header alone), so an
// extents tree whose three extents are used up and cannot be extended in
// place does not grow.
//
// Growth happens before a change begins: the editing operations reserve
// every node they may need first, so a tree that cannot grow refuses the
// change with the tree untouched, and the caller can still flush the work
// done before. Growth itself is consistent at every step (work file,
// extents, bitmap, drFreeBks, the file's size and the header move
// together).
#pragma once

#include <cstdint>

namespace tarvo {

struct Engine;

// Makes sure at least `count` catalog nodes are free, growing the catalog
// when needed. When it cannot: "Error trying to extend catalog." and false.
// Resets bthFree to the node map's count of free nodes first.
bool ReserveCatalogNodes(Engine& ctx, std::uint32_t count);

// The same for the extents tree (its work file open); false, without a
// message, when it cannot grow: the caller reports the change refused.
bool ReserveExtentsNodes(Engine& ctx, std::uint32_t count);

}  // namespace tarvo
