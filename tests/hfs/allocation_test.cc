// Allocation at the end of a full volume, and the node map of a tree that
// gains map nodes as it grows.
#include "hfs/allocation.h"

#include <gtest/gtest.h>

#include "base/context.h"
#include "hfs/btree.h"
#include "hfs/node_map.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "support/hfs_nodes.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

// A volume of `blocks` allocation blocks whose bitmap (one sector) is held,
// with blocks 0..39 in use as a formatted volume's files would hold them.
class AllocationTest : public ::testing::Test {
 protected:
  void SetUp() override { ctx.ui = &ui; }
  void SetVolume(std::uint16_t blocks) {
    VolumeState& v = ctx.volume;
    v.bitmap.assign(2 * 512, 0);
    v.bitmapHeldSectors = 1;
    PutU16(v.mdb, mdb::drNmAlBlks, blocks);
    PutU16(v.mdb, mdb::drFreeBks, static_cast<std::uint16_t>(blocks - 40));
    MarkRaw(0, 40);
  }
  void MarkRaw(std::uint32_t start, std::uint32_t count) {
    for (std::uint32_t b = start; b < start + count; ++b) ctx.volume.bitmap[b / 8] |= 0x80 >> (b % 8);
  }
  bool Used(std::uint32_t b) const { return (ctx.volume.bitmap[b / 8] & (0x80 >> (b % 8))) != 0; }
  std::uint16_t FreeBlocks() const { return GetU16(ctx.volume.mdb, mdb::drFreeBks); }

  ScriptedUi ui;
  Context ctx;
};

TEST_F(AllocationTest, NeverBeyondTheVolumeAndAFullVolumeChangesNothing) {
  SetVolume(100);  // the bitmap sector would reach 4096 blocks
  MarkRaw(40, 50);
  PutU16(ctx.volume.mdb, mdb::drFreeBks, 10);
  std::optional<BlockExtent> e = AllocateBlocks(ctx, 20);
  ASSERT_TRUE(e);  // the last 10 blocks, as a partial run at the volume's end
  EXPECT_EQ(e->startBlock, 90);
  EXPECT_EQ(e->blockCount, 10);
  EXPECT_FALSE(Used(100));
  EXPECT_EQ(FreeBlocks(), 0);

  const std::vector<std::uint8_t> before = ctx.volume.bitmap;
  EXPECT_FALSE(AllocateBlocks(ctx, 1));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0], "Not enough space on the volume.");
  EXPECT_EQ(ctx.volume.bitmap, before);
  EXPECT_EQ(FreeBlocks(), 0);
}

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

}  // namespace
}  // namespace tarvo
