#include "hfs/tree_walk.h"

#include "hfs/btree.h"
#include "hfs/work_file.h"

namespace tarvo {

TreeWalk StartWalk(const TreeWorkFile& tree) { return TreeWalk{std::vector<bool>(WorkFileNodeCount(tree))}; }

bool WalkTo(TreeWorkFile& tree, TreeWalk& walk, std::uint32_t n) {
  if (n == 0 || n >= walk.seen.size() || walk.seen[n]) return false;
  walk.seen[n] = true;
  return ReadNode(tree, n) && CheckedRecordCount(tree.node).has_value();
}

}  // namespace tarvo
