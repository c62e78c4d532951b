// The shape of the catalog tree (CatalogShape, tree_memo.h): the leaf chain
// from bthFNode with the first key of each leaf (38 bytes, as an index
// record holds it; leaves without records have none and get no index
// record), and the index nodes reachable from bthRoot through the children
// of index records, in the order a walk from the root meets them.
//
// Every walk follows the rules of TreeWalk (tree_walk.h): a node is read at
// most once and never outside the work file. The shape found is remembered
// in the work file's cache (ShapeMemo) and found again by looking only at
// the nodes written since: a leaf's new first key is taken over, leaves a
// split put behind a leaf are spliced in, and anything else a walk would
// see differently makes the survey walk the tree again.
#pragma once

#include <cstdint>
#include <vector>

#include "hfs/tree_work_file.h"

namespace tarvo {

// None when the leaf chain is damaged (a link that loops or leaves the
// file, a node that is not a leaf, a record that cannot be read). The shape
// is held by the tree's cache and stays valid until the next survey.
const CatalogShape* SurveyCatalog(TreeWorkFile& tree);

// Tells the remembered shape about the index a rebuild has just written
// over its leaves, so that the next survey need not walk from the root:
// levels[0] the leaves that got index records, levels[k] the index nodes of
// height k + 1, each node's children being the next 11 nodes of the level
// below.
void NoteRebuiltIndex(TreeWorkFile& tree, const std::vector<RebuiltLevel>& levels);

}  // namespace tarvo
