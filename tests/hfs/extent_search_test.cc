// A lookup in a hand-built extents tree whose leaf chain loops.
#include "hfs/extent_search.h"

#include <gtest/gtest.h>

#include "base/context.h"
#include "hfs/btree.h"
#include "support/hfs_nodes.h"

namespace tarvo {
namespace {

using testing::BuildHeaderNode;
using testing::BuildNode;
using testing::ExtentRecord;
using testing::TestTree;

std::vector<NodeBuffer> ExtentsTree() {
  return {
      BuildHeaderNode(1, 1, 1, 3, 7),
      BuildNode(kLeafNode, 1, 2, {ExtentRecord(0x00, 30, 3, 50, 4), ExtentRecord(0xFF, 30, 3, 70, 1)}),
      BuildNode(kLeafNode, 1, 0, {ExtentRecord(0x00, 30, 7, 90, 2), ExtentRecord(0x00, 31, 0, 5, 5)}),
  };
}

struct ExtentsFixture {
  explicit ExtentsFixture(const std::vector<NodeBuffer>& nodes) : tree(nodes, false) {
    ctx.volume.extents = tree.tree;  // shares the file; the TestTree closes it
    ctx.volume.sectorsPerBlock = 2;
    ctx.volume.volumeOrigin = 100;
  }
  TestTree tree;
  Context ctx;
};

TEST(ExtentSearchTest, CyclicChainIsDamaged) {
  std::vector<NodeBuffer> nodes = ExtentsTree();
  PutU32(nodes[2], node::ndFLink, 1);
  ExtentsFixture f(nodes);
  EXPECT_EQ(FindExtentRecord(f.ctx, 99, 0, 0x00).status, SearchStatus::kDamaged);
}

}  // namespace
}  // namespace tarvo
