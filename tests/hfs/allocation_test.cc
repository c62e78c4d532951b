// The node map of a tree that gains map nodes as it grows, and an extents
// lookup whose leaf chain loops.
#include <gtest/gtest.h>

#include "hfs/btree.h"
#include "hfs/extent_search.h"
#include "hfs/node_map.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "support/hfs_nodes.h"
#include "ui/context.h"

namespace tarvo {
namespace {

// A tree of `total` nodes whose header map marks every node it covers in
// use but `free`.
testing::TestTree FullHeaderMapTree(std::uint32_t total, std::vector<std::uint32_t> free = {}) {
  NodeBuffer head = testing::BuildHeaderNode(0, 0, 0, total);
  std::fill(head.begin() + header::kMapRecord, head.begin() + header::kMapRecord + header::kMapRecordSize, 0xFF);
  for (std::uint32_t n : free) head[header::kMapRecord + n / 8] &= static_cast<std::uint8_t>(~(0x80 >> (n % 8)));
  std::vector<NodeBuffer> nodes(total);
  nodes[0] = head;
  return testing::TestTree(nodes, false);
}

TEST(NodeMapTest, AGrownTreeGetsMapNodesFromItsOwnFreeNodes) {
  testing::TestTree spare = FullHeaderMapTree(6000, {7});
  ASSERT_TRUE(ExtendNodeMap(spare.tree));
  EXPECT_EQ(NodeForwardLink(spare.tree.header), 7u);
  EXPECT_EQ(NodeMapReach(spare.tree), 2048u + 2 * 3936);
  EXPECT_EQ(IsNodeInUse(spare.tree, 7), true);
  EXPECT_EQ(IsNodeInUse(spare.tree, 2048), true);
  EXPECT_EQ(IsNodeInUse(spare.tree, 2049), false);
  ASSERT_TRUE(ReadNode(spare.tree, 7));
  EXPECT_EQ(NodeType(spare.tree.node), kMapNode);
  EXPECT_EQ(NodeForwardLink(spare.tree.node), 2048u);
  EXPECT_EQ(GetU32(spare.tree.header, header::bthFree), 6000u - 2048 - 1);
  EXPECT_EQ(AllocateNode(spare.tree), 2049u);

  // No node the map covers is free: the first one past it holds its own bit.
  testing::TestTree full = FullHeaderMapTree(2100);
  ASSERT_TRUE(ExtendNodeMap(full.tree));
  EXPECT_EQ(NodeForwardLink(full.tree.header), 2048u);
  EXPECT_EQ(IsNodeInUse(full.tree, 2048), true);
  EXPECT_EQ(GetU32(full.tree.header, header::bthFree), 2100u - 2049);
  ASSERT_TRUE(ExtendNodeMap(full.tree));  // nothing more to add
  EXPECT_EQ(NodeMapReach(full.tree), 2048u + 3936);
}

TEST(NodeMapTest, AMapChainThatCannotBeReadIsNotExtended) {
  testing::TestTree t = FullHeaderMapTree(2100);
  PutU32(t.tree.header, node::ndFLink, 5);  // node 5 is no map node
  EXPECT_FALSE(ExtendNodeMap(t.tree));
  EXPECT_EQ(NodeForwardLink(t.tree.header), 5u);
  EXPECT_EQ(IsNodeInUse(t.tree, 5), true);
  ASSERT_TRUE(ReadNode(t.tree, 2048));
  EXPECT_EQ(t.tree.node, NodeBuffer{});
}

TEST(ExtentSearchTest, CyclicChainIsDamaged) {
  testing::TestTree tree({testing::BuildHeaderNode(1, 1, 1, 3, 7),
                          testing::BuildNode(kLeafNode, 1, 2,
                                             {testing::ExtentRecord(0x00, 30, 3, 50, 4),
                                              testing::ExtentRecord(0xFF, 30, 3, 70, 1)}),
                          testing::BuildNode(kLeafNode, 1, 1,
                                             {testing::ExtentRecord(0x00, 30, 7, 90, 2),
                                              testing::ExtentRecord(0x00, 31, 0, 5, 5)})},
                         false);
  Context ctx;
  ctx.volume.extents = tree.tree;  // shares the file; the TestTree closes it
  ctx.volume.sectorsPerBlock = 2;
  ctx.volume.volumeOrigin = 100;
  EXPECT_EQ(FindExtentRecord(ctx, 99, 0, 0x00).status, SearchStatus::kDamaged);
}

}  // namespace
}  // namespace tarvo
