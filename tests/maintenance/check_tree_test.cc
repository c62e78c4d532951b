// The structure check of one B-tree on small hand-built trees, each damaged in one place.
#include "maintenance/check_tree.h"

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "hfs/btree.h"
#include "support/hfs_nodes.h"

namespace tarvo {
namespace {

using testing::BuildNode;
using testing::DirectoryRecord;
using testing::ExtentRecord;
using testing::FileRecord;
using testing::IndexRecord;
using testing::ThreadRecord;

void SetMapBit(NodeBuffer& header, std::uint32_t n, bool used) {
  std::uint8_t& byte = header[header::kMapRecord + n / 8];
  const auto mask = static_cast<std::uint8_t>(0x80 >> (n % 8));
  byte = static_cast<std::uint8_t>(used ? byte | mask : byte & ~mask);
}

// Node 0 header, node 1 the index root over leaves 2 and 3, node 4 free.
std::vector<NodeBuffer> GoodCatalog() {
  NodeBuffer header = testing::BuildHeaderNode(1, 2, 2, 5);
  PutU32(header, header::bthLNode, 3);
  PutU32(header, header::bthNRecs, 4);
  PutU32(header, header::bthFree, 1);
  for (std::uint32_t n = 0; n < 4; ++n) SetMapBit(header, n, true);
  NodeBuffer index = BuildNode(kIndexNode, 2, 0, {IndexRecord(1, "Vol", 2), IndexRecord(2, "a", 3)});
  NodeBuffer first = BuildNode(kLeafNode, 1, 3, {DirectoryRecord(1, "Vol", 2, 2), ThreadRecord(2, 1, "Vol")});
  NodeBuffer second = BuildNode(kLeafNode, 1, 0, {FileRecord(2, "a", 16), FileRecord(2, "b", 17)});
  PutU32(second, node::ndBLink, 2);
  return {header, index, first, second, NodeBuffer{}};
}

std::string Check(const std::vector<NodeBuffer>& nodes, TreeKind kind = TreeKind::kCatalog) {
  testing::TestTree tree(nodes, kind == TreeKind::kCatalog);
  std::vector<Finding> findings;
  CheckTree(tree.tree, kind, findings);
  std::string text;
  for (const Finding& f : findings) text += f.text + "\n";
  return text;
}

TEST(CheckTree, BadChildPointersAndIndexKeyOfAnotherChild) {
  const std::string lostLeaf =
      "Catalog node 2: ndFLink is 3, expected 0\n"
      "Catalog tree: bthLNode is 3, the last leaf is node 2\n"
      "Catalog tree: bthNRecs is 4, the leaves hold 2 records\n";
  for (const auto& [child, finding] :
       {std::pair<std::uint32_t, std::string>{9, "child node 9 lies outside the tree of 5 nodes"},
        std::pair<std::uint32_t, std::string>{2, "child node 2 is reached twice"}}) {
    std::vector<NodeBuffer> nodes = GoodCatalog();
    PutU32(*RecordAt(nodes[1], 1), 38, child);
    EXPECT_EQ(Check(nodes), "Catalog node 1 record 1: " + finding + "\n" + lostLeaf);
  }

  std::vector<NodeBuffer> nodes = GoodCatalog();
  PutU8(*RecordAt(nodes[1], 1), 7, 'b');
  EXPECT_EQ(Check(nodes), "Catalog node 1 record 1: the key differs from the first key of its child node 3\n");
}

TEST(CheckTree, NodeMapAndFreeCount) {
  std::vector<NodeBuffer> nodes = GoodCatalog();
  SetMapBit(nodes[0], 3, false);
  SetMapBit(nodes[0], 4, true);
  PutU32(nodes[0], header::bthFree, 3);
  EXPECT_EQ(Check(nodes),
            "Catalog tree: in use but free in the node map: node 3\n"
            "Catalog tree: marked in the node map but not part of the tree: node 4\n"
            "Catalog tree: bthFree is 3, the node map has 1 free nodes\n");
  // Bits past bthNNodes are not looked at.
  nodes = GoodCatalog();
  SetMapBit(nodes[0], 7, true);
  EXPECT_EQ(Check(nodes), "");
}

TEST(CheckTree, MapNodesCoverNodesBeyond2048) {
  std::vector<NodeBuffer> nodes = GoodCatalog();
  nodes.resize(2100);
  PutU32(nodes[0], header::bthNNodes, 2100);
  PutU32(nodes[0], header::bthFree, 1 + 2095);
  EXPECT_EQ(Check(nodes), "Catalog tree: the node map covers 2048 nodes, the tree has 2100\n");

  nodes[4] = BuildNode(kMapNode, 0, 0, {testing::RecordBytes(494)});
  PutU32(nodes[0], node::ndFLink, 4);
  SetMapBit(nodes[0], 4, true);
  PutU32(nodes[0], header::bthFree, 2095);
  EXPECT_EQ(Check(nodes), "");
}

TEST(CheckTree, NodeKindsHeightsAndRecordOffsets) {
  std::vector<NodeBuffer> nodes = GoodCatalog();
  PutU8(nodes[3], node::ndNHeight, 2);
  PutU8(nodes[2], node::ndType, kIndexNode);
  EXPECT_EQ(Check(nodes),
            "Catalog node 2: ndType is 0, expected 255\n"
            "Catalog node 3: ndNHeight is 2, expected 1\n"
            "Catalog tree: bthNRecs is 4, the leaves hold 2 records\n");

  nodes = GoodCatalog();
  PutU16(nodes[3], OffsetSlot(1), GetU16(nodes[3], OffsetSlot(0)));  // record 1 where record 0 starts
  EXPECT_EQ(Check(nodes),
            "Catalog node 3: the record offsets are damaged\n"
            "Catalog tree: bthNRecs is 4, the leaves hold 2 records\n");
}

TEST(CheckTree, ExtentKeysOrderByFileIdThenForkThenStart) {
  NodeBuffer header = testing::BuildHeaderNode(1, 1, 1, 3, 7);
  PutU32(header, header::bthLNode, 1);
  PutU32(header, header::bthNRecs, 3);
  PutU32(header, header::bthFree, 1);
  SetMapBit(header, 0, true);
  SetMapBit(header, 1, true);
  NodeBuffer leaf = BuildNode(
      kLeafNode, 1, 0,
      {ExtentRecord(0xFF, 16, 3, 100, 2), ExtentRecord(0xFF, 16, 5, 110, 2), ExtentRecord(0x00, 17, 3, 120, 2)});
  EXPECT_EQ(Check({header, leaf, NodeBuffer{}}, TreeKind::kExtents), "");

  leaf = BuildNode(
      kLeafNode, 1, 0,
      {ExtentRecord(0x00, 17, 3, 120, 2), ExtentRecord(0xFF, 16, 3, 100, 2), ExtentRecord(0xFF, 16, 3, 110, 2)});
  EXPECT_EQ(Check({header, leaf, NodeBuffer{}}, TreeKind::kExtents),
            "Extents node 1 record 1: the key does not sort after the key before it\n"
            "Extents node 1 record 2: the key does not sort after the key before it\n");
}

TEST(CheckTree, AnEmptyTreeAndAHeaderThatIsNot) {
  NodeBuffer header = testing::BuildHeaderNode(0, 0, 0, 4, 7);
  PutU32(header, header::bthFree, 3);
  SetMapBit(header, 0, true);
  EXPECT_EQ(Check({header, {}, {}, {}}, TreeKind::kExtents), "");
  PutU32(header, header::bthFNode, 2);
  EXPECT_EQ(Check({header, {}, {}, {}}, TreeKind::kExtents), "Extents tree: bthFNode is 2, the first leaf is node 0\n");

  PutU32(header, header::bthFNode, 0);
  PutU8(header, node::ndType, kLeafNode);
  PutU16(header, header::bthNodeSize, 1024);
  PutU32(header, header::bthRoot, 7);
  EXPECT_EQ(Check({header, {}, {}, {}}, TreeKind::kExtents),
            "Extents tree: node 0 has type 255, not that of a header node\n"
            "Extents tree: bthNodeSize is 1024, expected 512\n"
            "Extents tree: bthRoot is 7, but the tree has 4 nodes\n");
}

}  // namespace
}  // namespace tarvo
