// Bounded walks over a tree work file, and what a search finds.
//
// Every walk that follows node links (index children, ndFLink chains) goes
// through a TreeWalk: it reads each node at most once and never a node the
// work file does not hold, so a damaged tree (a cycle, a link past the end,
// a node that is not what its parent says) ends the walk with kDamaged
// instead of looping or reading outside the file.
#pragma once

#include <cstdint>
#include <vector>

#include "base/big_endian.h"
#include "base/tree_work_file.h"

namespace tarvo {

enum class SearchStatus { kFound, kNotFound, kDamaged };

// A found record points into the tree's node buffer and is valid until the
// tree's next node read.
struct FoundRecord {
  SearchStatus status = SearchStatus::kNotFound;
  Bytes record;  // the whole record: key, then data
  explicit operator bool() const { return status == SearchStatus::kFound; }
};

struct TreeWalk {
  std::vector<bool> seen;  // one flag per node of the work file
};

TreeWalk StartWalk(const TreeWorkFile& tree);
// Reads node n into tree.node when it is a node of the file other than the
// header and not yet visited by this walk, and checks its record count.
[[nodiscard]] bool WalkTo(TreeWorkFile& tree, TreeWalk& walk, std::uint32_t n);

}  // namespace tarvo
