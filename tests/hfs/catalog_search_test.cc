// Searches over small hand-built catalogs, sound and damaged.
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

std::string FoundName(const FoundRecord& found) {
  const std::optional<CatalogKey> key = ReadCatalogKey(found.record);
  return key ? key->name : "<damaged>";
}

TEST(CatalogSearchTest, FindsByNameTypeAndWildcard) {
  TestTree t(SmallCatalog());
  FoundRecord found = FindCatalogRecord(t.tree, "beta", kWantEntry, 2);
  ASSERT_TRUE(found);
  EXPECT_EQ(FileId(*ReadCatalogRecord(found.record)), 20u);
  EXPECT_EQ(t.tree.nodeNumber, 2u);
  EXPECT_EQ(t.tree.recordIndex, 3);

  found = FindCatalogRecord(t.tree, "GAMMA  ", kWantFile, 2);
  ASSERT_TRUE(found);
  EXPECT_EQ(t.tree.nodeNumber, 3u);

  EXPECT_EQ(FoundName(FindCatalogRecord(t.tree, "*", kWantEntry, 2)), "Alpha");
  EXPECT_EQ(FoundName(FindCatalogRecord(t.tree, "*", kWantFile, 2)), "Beta");
  EXPECT_EQ(FoundName(FindCatalogRecord(t.tree, "g*", kWantEntry, 2)), "gamma");
  EXPECT_EQ(FoundName(FindCatalogRecord(t.tree, "*", kWantDirectory, 1)), "Vol");
  EXPECT_EQ(FindCatalogRecord(t.tree, "A*", kWantFile, 2).status, SearchStatus::kNotFound);
  EXPECT_EQ(FindCatalogRecord(t.tree, "Alpha", kWantFile, 2).status, SearchStatus::kNotFound);
  EXPECT_EQ(FindCatalogRecord(t.tree, "*", kWantEntry, 99).status, SearchStatus::kNotFound);

  found = FindCatalogRecord(t.tree, "*", kWantThread, 16);
  ASSERT_TRUE(found);
  const CatalogRecord thread = *ReadCatalogRecord(found.record);
  EXPECT_EQ(ThreadParentId(thread), 2u);
  EXPECT_EQ(ThreadName(thread), "Alpha");
}

TEST(CatalogSearchTest, WalksTheLeafChainInKeyOrder) {
  TestTree t(SmallCatalog());
  ASSERT_TRUE(FindCatalogRecord(t.tree, "*", kWantEntry, 2));
  TreeWalk walk = StartWalk(t.tree);
  std::vector<std::string> names{"Alpha"};
  for (FoundRecord next = NextLeafRecord(t.tree, walk); next; next = NextLeafRecord(t.tree, walk)) {
    names.push_back(FoundName(next));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta", "gamma", "", "inner"}));
}

// Patterns with text after the '*' or a '?' visit every name that carries
// their prefix, across the leaves, and find only the names they match.
TEST(CatalogSearchTest, WildcardsMatchTheWholeName) {
  TestTree t({
      BuildHeaderNode(1, 2, 2, 4),
      BuildNode(kIndexNode, 2, 0, {IndexRecord(1, "Vol", 2), IndexRecord(2, "c.txt", 3)}),
      BuildNode(kLeafNode, 1, 3,
                {DirectoryRecord(1, "Vol", 2, 5), ThreadRecord(2, 1, "Vol"), FileRecord(2, "a.bak", 20),
                 FileRecord(2, "Beta", 21)}),
      BuildNode(kLeafNode, 1, 0, {FileRecord(2, "c.txt", 22), FileRecord(2, "d.bak", 23), FileRecord(2, "gamma", 24)}),
  });
  EXPECT_EQ(FoundName(FindCatalogRecord(t.tree, "*.bak", kWantEntry, 2)), "a.bak");
  EXPECT_EQ(FoundName(FindCatalogRecord(t.tree, "*.TXT", kWantEntry, 2)), "c.txt");
  EXPECT_EQ(FoundName(FindCatalogRecord(t.tree, "*a", kWantFile, 2)), "Beta");
  EXPECT_EQ(FoundName(FindCatalogRecord(t.tree, "d*k", kWantEntry, 2)), "d.bak");
  EXPECT_EQ(FoundName(FindCatalogRecord(t.tree, "g?mma", kWantEntry, 2)), "gamma");
  EXPECT_EQ(FoundName(FindCatalogRecord(t.tree, "?.txt", kWantEntry, 2)), "c.txt");
  EXPECT_EQ(FindCatalogRecord(t.tree, "*.doc", kWantEntry, 2).status, SearchStatus::kNotFound);
  EXPECT_EQ(FindCatalogRecord(t.tree, "b?", kWantEntry, 2).status, SearchStatus::kNotFound);
}

TEST(CatalogSearchTest, InsertPositions) {
  TestTree t(SmallCatalog());
  InsertPosition p = FindInsertPosition(t.tree, "Able", 2);
  EXPECT_EQ(p.status, SearchStatus::kFound);
  EXPECT_EQ(p.node, 2u);
  EXPECT_EQ(p.recordIndex, 2);
  p = FindInsertPosition(t.tree, "Bz", 2);
  EXPECT_EQ(p.node, 2u);
  EXPECT_EQ(p.recordIndex, kBehindLastRecord);
  p = FindInsertPosition(t.tree, "hat", 16);
  EXPECT_EQ(p.node, 3u);
  EXPECT_EQ(p.recordIndex, 2);
  p = FindInsertPosition(t.tree, "x", 16);
  EXPECT_EQ(p.recordIndex, kBehindLastRecord);
  p = FindInsertPosition(t.tree, "Other", 1);
  EXPECT_EQ(p.node, 2u);
  EXPECT_EQ(p.recordIndex, 0);
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

TEST(CatalogSearchTest, DamagedTreesFailCleanly) {
  {  // ndFLink of the last leaf points back to the first
    std::vector<NodeBuffer> nodes = SmallCatalog();
    PutU32(nodes[3], node::ndFLink, 2);
    TestTree t(nodes);
    EXPECT_EQ(FindCatalogRecord(t.tree, "zzz", kWantEntry, 16).status, SearchStatus::kDamaged);
  }
  {  // a leaf linked to itself
    std::vector<NodeBuffer> nodes = SmallCatalog();
    PutU32(nodes[3], node::ndFLink, 3);
    TestTree t(nodes);
    ASSERT_TRUE(FindCatalogRecord(t.tree, "*", kWantEntry, 2));
    TreeWalk walk = StartWalk(t.tree);
    FoundRecord next;
    int steps = 0;
    while ((next = NextLeafRecord(t.tree, walk)) && steps < 100) ++steps;
    EXPECT_EQ(next.status, SearchStatus::kDamaged);
  }
  {  // child pointer past the end of the file, and an index node as its own child
    for (std::uint32_t child : {99u, 1u, 0u}) {
      std::vector<NodeBuffer> nodes = SmallCatalog();
      nodes[1] = BuildNode(kIndexNode, 2, 0, {IndexRecord(1, "Vol", 2), IndexRecord(2, "gamma", child)});
      TestTree t(nodes);
      EXPECT_EQ(FindCatalogRecord(t.tree, "gamma", kWantFile, 2).status, SearchStatus::kDamaged) << child;
      EXPECT_TRUE(FindCatalogRecord(t.tree, "Beta", kWantFile, 2));
    }
  }
  {  // a key length running past the node
    std::vector<NodeBuffer> nodes = SmallCatalog();
    PutU8(nodes[3], GetU16(nodes[3], OffsetSlot(2)), 255);
    TestTree t(nodes);
    EXPECT_EQ(FindCatalogRecord(t.tree, "inner", kWantFile, 16).status, SearchStatus::kDamaged);
  }
  {  // record offsets outside the record area
    for (std::uint16_t offset : {4, 509, 600, 15}) {
      std::vector<NodeBuffer> nodes = SmallCatalog();
      PutU16(nodes[2], OffsetSlot(3), offset);
      TestTree t(nodes);
      EXPECT_EQ(FindCatalogRecord(t.tree, "Beta", kWantFile, 2).status, SearchStatus::kDamaged) << offset;
    }
  }
  {  // a record count that the node cannot hold
    std::vector<NodeBuffer> nodes = SmallCatalog();
    PutU16(nodes[2], node::ndNRecs, 400);
    TestTree t(nodes);
    EXPECT_EQ(FindCatalogRecord(t.tree, "Beta", kWantFile, 2).status, SearchStatus::kDamaged);
  }
  {  // a root past the end, and an empty tree
    std::vector<NodeBuffer> nodes = SmallCatalog();
    PutU32(nodes[0], header::bthRoot, 1000);
    TestTree t(nodes);
    EXPECT_EQ(FindCatalogRecord(t.tree, "Beta", kWantFile, 2).status, SearchStatus::kDamaged);
    PutU32(t.tree.header, header::bthRoot, 0);
    EXPECT_EQ(FindCatalogRecord(t.tree, "Beta", kWantFile, 2).status, SearchStatus::kNotFound);
  }
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
