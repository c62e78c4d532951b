// Consistency checks of a mounted volume's work files and bitmap, for tests
// of the engine's write side: each returns the problems found, empty when
// the volume is sound.
#pragma once

#include <string>
#include <vector>

#include "base/context.h"

namespace tarvo::testing {

// Node kinds and heights, key order within and across leaves, leaf and
// index links, index keys against their children, bthNRecs, bthDepth,
// bthFNode, bthLNode, and the node map and bthFree against the nodes in use.
std::vector<std::string> CheckCatalogTree(TreeWorkFile& tree);

// The bitmap against the blocks of the extents and catalog files and of
// every file's forks (overflow records included), and drFreeBks against the
// bitmap. Loads the bitmap when needed.
std::vector<std::string> CheckAllocation(Context& ctx);

}  // namespace tarvo::testing
