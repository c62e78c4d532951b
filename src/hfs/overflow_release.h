// Releasing a file's overflow extents: every record of the file (both
// forks) leaves the extents tree and its blocks go back to the bitmap.
//
// The tree stays a sound B-tree: a leaf left without records is released
// and unlinked from its level, an index record whose child went is
// dropped (an index node left empty goes too), every index key is set to
// its child's new first key, and an emptied tree gets depth 0. bthNRecs,
// bthFree and the node map follow; drFreeBks follows the bitmap
// (allocation.h).
#pragma once

#include <cstdint>

namespace tarvo {

struct Engine;

// Opens the extents work file on first use. False when the tree cannot be
// walked (nothing is changed when that shows before the first change).
bool ReleaseOverflowExtents(Engine& ctx, std::uint32_t fileId);

}  // namespace tarvo
