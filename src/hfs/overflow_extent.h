// Overflow extents: one more extent of a fork recorded in the extents tree,
// for forks (the catalog file among them) that outgrow the three extents
// their own record holds.
//
// Keys stay in the extents tree's order (file ID, fork type, start block).
// The extent joins the fork's last record when that record's extents end
// exactly where the extent begins and the record ends at an empty
// descriptor with no stray one after it (extent_record.h); otherwise a new
// 20-byte record goes in key order into the tree, kept in place
// (tree_edit.h): a full leaf is split. The extents tree grows when its free
// nodes cannot cover the splits an insertion may need (tree_space.h); when
// it cannot grow, the extent is refused and nothing changes.
#pragma once

#include <cstdint>

#include "hfs/allocation.h"

namespace tarvo {

struct Engine;

enum class OverflowStatus {
  kDone,
  kNoRoom,   // the tree cannot grow to the nodes the record may need
  kDamaged,  // the tree cannot be walked, or the key is already there
};

// Records `extent` as the part of the fork (forkType 0x00 data, 0xFF
// resource) of fileId that begins at fork-relative block startBlock. Opens
// the extents work file on first use; the change stays in the work file
// until the flush.
OverflowStatus AddOverflowExtent(Engine& ctx, BlockExtent extent, std::uint32_t fileId, std::uint16_t startBlock,
                                 std::uint8_t forkType);

}  // namespace tarvo
