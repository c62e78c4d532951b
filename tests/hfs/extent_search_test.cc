// Overflow extents: lookups in a hand-built extents tree and fork
// addressing through them.
#include "hfs/extent_search.h"

#include <gtest/gtest.h>

#include "base/context.h"
#include "hfs/bitmap.h"
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

TEST(ForkSectorTest, FollowsExtentsAndOverflowOfTheSameFork) {
  ExtentsFixture f(ExtentsTree());
  // Blocks 10-11 and 20, then overflow from fork block 3 on.
  const std::uint8_t first[12] = {0, 10, 0, 2, 0, 20, 0, 1, 0, 0, 0, 0};
  ForkSector s = ForkSectorToMedium(f.ctx, 0, first, 30);
  EXPECT_EQ(s.sector, 120u);
  EXPECT_EQ(s.sectorsInExtent, 4u);
  s = ForkSectorToMedium(f.ctx, 5, first, 30);
  EXPECT_EQ(s.sector, 141u);
  EXPECT_EQ(s.sectorsInExtent, 1u);
  s = ForkSectorToMedium(f.ctx, 6, first, 30);  // data-fork overflow: block 50
  EXPECT_EQ(s.sector, 200u);
  EXPECT_EQ(s.sectorsInExtent, 8u);
  s = ForkSectorToMedium(f.ctx, 6, first, 30, 0xFF);  // resource-fork overflow: block 70
  EXPECT_EQ(s.sector, 240u);
  EXPECT_EQ(s.sectorsInExtent, 2u);
  EXPECT_EQ(ForkSectorToMedium(f.ctx, 8, first, 30, 0xFF).sector, 0u);  // past the fork
  EXPECT_EQ(ForkSectorToMedium(f.ctx, 6, first, 77).sector, 0u);        // no overflow record
}

TEST(ForkSectorTest, ARecordEndsAtItsFirstEmptyDescriptor) {
  ExtentsFixture f(ExtentsTree());
  // Block 20 follows an empty descriptor: not part of the fork, which goes
  // on in the extents tree from fork block 2, where file 30 has no record.
  const std::uint8_t gap[12] = {0, 10, 0, 2, 0, 30, 0, 0, 0, 20, 0, 1};
  EXPECT_EQ(ForkSectorToMedium(f.ctx, 3, gap, 30).sector, 123u);
  EXPECT_EQ(ForkSectorToMedium(f.ctx, 4, gap, 30).sector, 0u);
}

}  // namespace
}  // namespace tarvo
