// Searches over a small hand-built catalog, and the work file it lives in.
#include "hfs/catalog_search.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/big_endian.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/work_file.h"
#include "support/hfs_nodes.h"

namespace tarvo {
namespace {

using testing::BuildHeaderNode;
using testing::BuildNode;
using testing::DirectoryRecord;
using testing::FileRecord;
using testing::IndexRecord;
using testing::TestTree;
using testing::ThreadRecord;

// Root "Vol" (2) holds folder "Alpha" (16) and files "Beta" (20) and
// "gamma" (21); "Alpha" holds file "inner" (22). Two leaves under one index
// node.
std::vector<NodeBuffer> SmallCatalog() {
  return {
      BuildHeaderNode(1, 2, 2, 4),
      BuildNode(kIndexNode, 2, 0, {IndexRecord(1, "Vol", 2), IndexRecord(2, "gamma", 3)}),
      BuildNode(kLeafNode, 1, 3,
                {DirectoryRecord(1, "Vol", 2, 3), ThreadRecord(2, 1, "Vol"), DirectoryRecord(2, "Alpha", 16, 1),
                 FileRecord(2, "Beta", 20)}),
      BuildNode(kLeafNode, 1, 0, {FileRecord(2, "gamma", 21), ThreadRecord(16, 2, "Alpha"), FileRecord(16, "inner", 22)}),
  };
}

// A descent made again goes straight to its leaf only while the index
// nodes on its way and the root are unchanged; the leaf is always read
// again, and the tree is left as the search leaves it.
TEST(CatalogSearchTest, ARememberedDescentFollowsEveryChange) {
  TestTree t(SmallCatalog());
  KeyPosition p = LocateCatalogKey(t.tree, "Bz", 2);
  EXPECT_EQ(p.node, 2u);
  EXPECT_EQ(p.index, 4);
  EXPECT_FALSE(p.exists);
  ASSERT_TRUE(ReadNode(t.tree, 3));
  p = LocateCatalogKey(t.tree, "Bz", 2);
  EXPECT_EQ(t.tree.nodeNumber, 2u);
  EXPECT_EQ(t.tree.recordIndex, kBehindLastRecord);
  EXPECT_EQ(NodeRecordCount(t.tree.node), 4);

  // The record goes in: the same question finds it.
  NodeBuffer leaf = BuildNode(kLeafNode, 1, 3,
                              {DirectoryRecord(1, "Vol", 2, 3), ThreadRecord(2, 1, "Vol"),
                               DirectoryRecord(2, "Alpha", 16, 1), FileRecord(2, "Beta", 20), FileRecord(2, "Bz", 23)});
  ASSERT_TRUE(WriteNode(t.tree, 2, leaf));
  p = LocateCatalogKey(t.tree, "Bz", 2);
  EXPECT_TRUE(p.exists);
  EXPECT_EQ(p.index, 4);

  // An index node that now sends the key elsewhere.
  ASSERT_TRUE(WriteNode(t.tree, 1, BuildNode(kIndexNode, 2, 0, {IndexRecord(1, "Vol", 2), IndexRecord(2, "Bb", 3)})));
  p = LocateCatalogKey(t.tree, "Bz", 2);
  EXPECT_EQ(p.node, 3u);
  EXPECT_FALSE(p.exists);
  EXPECT_EQ(LocateCatalogKey(t.tree, "Alpha", 2).node, 2u);

  // A new root in the header alone (not yet written) is followed too.
  PutU32(t.tree.header, header::bthRoot, 2);
  p = LocateCatalogKey(t.tree, "Alpha", 2);
  EXPECT_EQ(p.node, 2u);
  EXPECT_TRUE(p.exists);
  PutU32(t.tree.header, header::bthRoot, 3);
  p = LocateCatalogKey(t.tree, "Alpha", 2);
  EXPECT_EQ(p.node, 3u);
  EXPECT_FALSE(p.exists);
}

TEST(WorkFileTest, NodesBeyondTheFileAreNotRead) {
  TestTree t(SmallCatalog());
  EXPECT_EQ(WorkFileNodeCount(t.tree), 4u);
  ASSERT_TRUE(ReadNode(t.tree, 3));
  EXPECT_FALSE(ReadNode(t.tree, 4));
  EXPECT_EQ(t.tree.nodeNumber, 4u);
  EXPECT_EQ(NodeType(t.tree.node), 0);  // zeroed, never stale
  EXPECT_FALSE(ReadNode(t.tree, 0xFFFFFFFF));

  // A write lands at the low 24 bits of the node number and refreshes node 0.
  NodeBuffer changed = SmallCatalog()[3];
  PutU16(changed, node::ndResv2, 0x1234);
  PutU32(t.tree.header, header::bthFree, 7);
  ASSERT_TRUE(WriteNode(t.tree, 0x01000003, changed));
  ASSERT_TRUE(ReadNode(t.tree, 3));
  EXPECT_EQ(GetU16(t.tree.node, node::ndResv2), 0x1234);
  ASSERT_TRUE(ReadNode(t.tree, 0));
  EXPECT_EQ(GetU32(t.tree.node, header::bthFree), 7u);
}

}  // namespace
}  // namespace tarvo
