// What the work file's cache remembers between catalog changes (the node
// cache, the shape found by the last survey, the last full rebuild) must
// never change a result: the remembered shape is the one a fresh walk
// finds, and a tree edited with the memory gets exactly the bytes of one
// edited with the memory dropped before every change.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/context.h"
#include "hfs/btree.h"
#include "hfs/catalog_delete.h"
#include "hfs/catalog_insert.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_shape.h"
#include "hfs/index_rebuild.h"
#include "hfs/work_file.h"
#include "support/hfs_nodes.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

constexpr std::uint32_t kFolder = 16;

// A catalog of 400 nodes holding one leaf with the folder's thread.
struct Catalog {
  Catalog() {
    NodeBuffer head = testing::BuildHeaderNode(0, 1, 1, 400);
    head[header::kMapRecord] = 0xC0;  // the header and the leaf
    PutU32(head, header::bthNRecs, 1);
    std::vector<NodeBuffer> nodes(400);
    nodes[0] = head;
    nodes[1] = testing::BuildNode(kLeafNode, 1, 0, {testing::ThreadRecord(kFolder, 2, "Folder")});
    file = std::make_unique<testing::TestTree>(nodes);
    ctx.ui = &ui;
    ctx.volume.catalog = file->tree;
    ctx.volume.current.currentDirId = kFolder;
    EXPECT_EQ(RebuildCatalogIndex(ctx), RebuildStatus::kDone);
  }
  ~Catalog() { ctx.volume.catalog.handle = nullptr; }  // the test tree closes it

  TreeWorkFile& tree() { return ctx.volume.catalog; }
  CatalogEditStatus Insert(const std::string& name) {
    std::vector<std::uint8_t> data(filrec::kSize, 0);
    data[0] = kFileRecord;
    return InsertCatalogRecord(ctx, CatalogKey{0, kFolder, name}, data);
  }
  CatalogEditStatus Delete(const std::string& name) { return DeleteCatalogRecord(ctx, kFolder, name); }
  // Files "f100", "f101", ... inserted in name order; the shape then found
  // (none when an insertion failed).
  const CatalogShape* InsertNumbered(int count) {
    for (int i = 0; i < count; ++i) {
      if (Insert("f" + std::to_string(100 + i)) != CatalogEditStatus::kDone) return nullptr;
    }
    return SurveyCatalog(tree());
  }
  // Every node as the work file holds it once the cache is written out.
  std::vector<std::uint8_t> Bytes() {
    EXPECT_TRUE(SyncWorkFile(tree()));
    std::vector<std::uint8_t> bytes(std::size_t{WorkFileNodeCount(tree())} * kNodeSize);
    EXPECT_EQ(pread(fileno(tree().handle), bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    return bytes;
  }

  ScriptedUi ui;
  Context ctx;
  std::unique_ptr<testing::TestTree> file;
};

// The shape a walk over the synced work file finds with a cache of its own.
CatalogShape FreshShape(Catalog& catalog) {
  EXPECT_TRUE(SyncWorkFile(catalog.tree()));
  TreeWorkFile fresh;
  fresh.handle = catalog.tree().handle;
  fresh.header = catalog.tree().header;
  const CatalogShape* shape = SurveyCatalog(fresh);
  EXPECT_NE(shape, nullptr);
  return shape ? *shape : CatalogShape{};
}

// Names in an order that splits leaves in the middle and at both ends and
// changes first keys, then deletions that empty leaves.
std::vector<std::string> ShuffledNames(std::mt19937& random, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back("n" + std::to_string(i * 7919 % 1000));
  std::shuffle(names.begin(), names.end(), random);
  return names;
}

TEST(CatalogShapeTest, TheRememberedShapeIsTheOneAFreshWalkFinds) {
  Catalog catalog;
  std::mt19937 random(7);
  const std::vector<std::string> names = ShuffledNames(random, 150);
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(catalog.Insert(names[i]), CatalogEditStatus::kDone) << names[i];
    if (i % 10 != 9) continue;
    const CatalogShape* remembered = SurveyCatalog(catalog.tree());
    ASSERT_NE(remembered, nullptr);
    const CatalogShape fresh = FreshShape(catalog);
    EXPECT_EQ(remembered->leaves, fresh.leaves) << "after " << i + 1 << " insertions";
    EXPECT_EQ(remembered->indexNodes, fresh.indexNodes) << "after " << i + 1 << " insertions";
  }
  for (std::size_t i = 0; i < names.size(); i += 2) ASSERT_EQ(catalog.Delete(names[i]), CatalogEditStatus::kDone);
  const CatalogShape* remembered = SurveyCatalog(catalog.tree());
  ASSERT_NE(remembered, nullptr);
  EXPECT_EQ(remembered->leaves, FreshShape(catalog).leaves);
}

TEST(CatalogShapeTest, EditsGiveTheSameBytesWithOrWithoutTheMemory) {
  Catalog remembering, forgetting;
  std::mt19937 random(11);
  const std::vector<std::string> names = ShuffledNames(random, 120);
  const auto forget = [&forgetting] {
    forgetting.tree().cache.summaries.clear();
    forgetting.tree().cache.shape = ShapeMemo{};
    forgetting.tree().cache.index = IndexMemo{};
  };
  for (const std::string& name : names) {
    ASSERT_EQ(remembering.Insert(name), CatalogEditStatus::kDone);
    forget();
    ASSERT_EQ(forgetting.Insert(name), CatalogEditStatus::kDone);
    ASSERT_EQ(remembering.Bytes(), forgetting.Bytes()) << "after inserting " << name;
  }
  for (std::size_t i = 1; i < names.size(); i += 3) {
    ASSERT_EQ(remembering.Delete(names[i]), CatalogEditStatus::kDone);
    forget();
    ASSERT_EQ(forgetting.Delete(names[i]), CatalogEditStatus::kDone);
    ASSERT_EQ(remembering.Bytes(), forgetting.Bytes()) << "after deleting " << names[i];
    // A rebuild of an unchanged tree too.
    EXPECT_EQ(RebuildCatalogIndex(remembering.ctx), RebuildStatus::kDone);
    forget();
    EXPECT_EQ(RebuildCatalogIndex(forgetting.ctx), RebuildStatus::kDone);
  }
  EXPECT_EQ(remembering.Bytes(), forgetting.Bytes());
  EXPECT_EQ(remembering.tree().header, forgetting.tree().header);
}

// A leaf linked into a loop after the shape was remembered makes the survey
// walk again, and find the damage.
TEST(CatalogShapeTest, ALinkChangedBehindTheMemoryIsSeen) {
  Catalog catalog;
  const CatalogShape* shape = catalog.InsertNumbered(40);
  ASSERT_NE(shape, nullptr);
  ASSERT_GE(shape->leaves.size(), 3u);
  const std::uint32_t first = shape->leaves.front().node;
  const std::uint32_t last = shape->leaves.back().node;
  ASSERT_TRUE(ReadNode(catalog.tree(), last));
  NodeBuffer node = catalog.tree().node;
  PutU32(node, node::ndFLink, first);
  ASSERT_TRUE(WriteNode(catalog.tree(), last, node));
  EXPECT_EQ(SurveyCatalog(catalog.tree()), nullptr);
}

// An index node changed behind the rebuild (here a key byte of one of its
// records, its children kept) is built again by the next rebuild even where
// its records and neighbours would be the same.
TEST(CatalogShapeTest, AnIndexNodeChangedSinceTheLastRebuildIsBuiltAgain) {
  Catalog catalog;
  const CatalogShape* shape = catalog.InsertNumbered(150);
  ASSERT_NE(shape, nullptr);
  ASSERT_GE(shape->indexNodes.size(), 3u);
  const std::uint32_t n = shape->indexNodes[1];  // below the root
  ASSERT_TRUE(ReadNode(catalog.tree(), n));
  const NodeBuffer built = catalog.tree().node;
  NodeBuffer changed = built;
  const std::optional<Bytes> record = RecordAt(changed, 1);
  ASSERT_TRUE(record.has_value());
  (*record)[catkey::ckrCName + 1] ^= 0x20;  // the name's first character
  ASSERT_TRUE(WriteNode(catalog.tree(), n, changed));

  EXPECT_EQ(RebuildCatalogIndex(catalog.ctx), RebuildStatus::kDone);
  ASSERT_TRUE(ReadNode(catalog.tree(), n));
  EXPECT_EQ(catalog.tree().node, built);
}

TEST(WorkFileTest, WrittenNodesReachTheFileWhenSynced) {
  Catalog catalog;
  TreeWorkFile& tree = catalog.tree();
  ASSERT_TRUE(SyncWorkFile(tree));
  tree.cache = NodeCache{};  // nothing read yet
  const std::uint32_t nodes = WorkFileNodeCount(tree);
  NodeBuffer node{};
  node.fill(0xA5);
  ASSERT_TRUE(WriteNode(tree, 7, node));
  // A neighbour's first read brings its page from the file, but not over
  // the node written.
  NodeBuffer eighth{};
  ASSERT_EQ(pread(fileno(tree.handle), eighth.data(), kNodeSize, 8 * kNodeSize), static_cast<ssize_t>(kNodeSize));
  ASSERT_TRUE(ReadNode(tree, 8));
  EXPECT_EQ(tree.node, eighth);
  ASSERT_TRUE(WriteNode(tree, nodes + 2, node));  // beyond the end: the file grows
  EXPECT_EQ(WorkFileNodeCount(tree), nodes + 3);
  ASSERT_TRUE(ReadNode(tree, 7));
  EXPECT_EQ(tree.node, node);
  EXPECT_EQ(NodeWrites(tree, 7), 1u);
  NodeBuffer onFile{};
  EXPECT_EQ(pread(fileno(tree.handle), onFile.data(), kNodeSize, 7 * kNodeSize), static_cast<ssize_t>(kNodeSize));
  EXPECT_NE(onFile, node);  // still in memory only
  ASSERT_TRUE(SyncWorkFile(tree));
  EXPECT_EQ(pread(fileno(tree.handle), onFile.data(), kNodeSize, 7 * kNodeSize), static_cast<ssize_t>(kNodeSize));
  EXPECT_EQ(onFile, node);
  const std::vector<std::uint8_t> bytes = catalog.Bytes();
  ASSERT_EQ(bytes.size(), (nodes + 3) * kNodeSize);
  EXPECT_TRUE(std::equal(node.begin(), node.end(), bytes.end() - kNodeSize));
  EXPECT_TRUE(std::equal(tree.header.begin(), tree.header.end(), bytes.begin()));
}

TEST(WorkFileTest, AWriteOfTheBytesANodeHoldsChangesNothing) {
  Catalog catalog;
  TreeWorkFile& tree = catalog.tree();
  ASSERT_TRUE(SyncWorkFile(tree));
  ASSERT_TRUE(ReadNode(tree, 9));
  const NodeBuffer before = tree.node;
  const std::uint32_t headerWrites = NodeWrites(tree, 0);
  ASSERT_TRUE(WriteNode(tree, 9, before));
  EXPECT_EQ(NodeWrites(tree, 9), 0u);
  EXPECT_EQ(NodeWrites(tree, 0), headerWrites);  // the header, written with every node, is unchanged too
  NodeBuffer node = before;
  node[100] ^= 0xFF;
  ASSERT_TRUE(WriteNode(tree, 9, node));
  ASSERT_TRUE(WriteNode(tree, 9, node));
  EXPECT_EQ(NodeWrites(tree, 9), 1u);
  ASSERT_TRUE(WriteNode(tree, 9, before));  // back: a change again
  EXPECT_EQ(NodeWrites(tree, 9), 2u);

  // Zeros beyond the file's end are not what a node holds: the file grows.
  const std::uint32_t nodes = WorkFileNodeCount(tree);
  ASSERT_TRUE(WriteNode(tree, nodes, NodeBuffer{}));
  EXPECT_EQ(NodeWrites(tree, nodes), 1u);
  EXPECT_EQ(catalog.Bytes().size(), (nodes + std::size_t{1}) * kNodeSize);
}

}  // namespace
}  // namespace tarvo
