// The write side of the engine: catalog insertion and deletion, node splits
// and the index kept in place, catalog growth, allocation and the flush, on
// hand-built trees and on real volumes that hfsutils (run as a black box)
// reads back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <set>

#include "hfs/allocation.h"
#include "hfs/btree.h"
#include "hfs/catalog_delete.h"
#include "hfs/catalog_insert.h"
#include "hfs/catalog_search.h"
#include "hfs/extent_search.h"
#include "hfs/flush.h"
#include "hfs/name_order.h"
#include "hfs/node_map.h"
#include "hfs/overflow_extent.h"
#include "hfs/tree_walk.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "device/sector_io.h"
#include "maintenance/check_tree.h"
#include "maintenance/check_volume.h"
#include "support/edit_volume.h"
#include "support/hfs_nodes.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::ScratchDir;
using testing::ShellQuote;

using Problems = std::vector<std::string>;

// What the volume check finds in a catalog tree alone, one line a finding.
Problems CheckCatalogTree(TreeWorkFile& tree) {
  std::vector<Finding> findings;
  CheckTree(tree, TreeKind::kCatalog, findings);
  CheckReport report{findings};
  return report.clean() ? Problems{} : CheckReportLines(report);
}

// --- Hand-built trees --------------------------------------------------------

// A catalog of `total` nodes: the header, then the given nodes, then free
// ones; the map marks the header and the given nodes in use. Without other
// figures the tree is the single leaf of node 1.
struct TreeFigures {
  std::uint32_t root = 1;
  std::uint16_t depth = 1;
  std::uint32_t lastLeaf = 1;
};
struct HandTree {
  HandTree(std::vector<NodeBuffer> used, std::uint32_t total, TreeFigures figures = {}) {
    NodeBuffer head = testing::BuildHeaderNode(figures.root, 1, figures.depth, total);
    PutU32(head, header::bthLNode, figures.lastLeaf);
    for (std::uint32_t n = 0; n <= used.size(); ++n) head[header::kMapRecord + n / 8] |= 0x80 >> (n % 8);
    std::vector<NodeBuffer> nodes{head};
    nodes.insert(nodes.end(), used.begin(), used.end());
    nodes.resize(total);
    file = std::make_unique<testing::TestTree>(nodes);
    ctx.ui = &ui;
    ctx.volume.catalog = file->tree;
  }
  ~HandTree() { ctx.volume.catalog.handle = nullptr; }  // the test tree closes it
  TreeWorkFile& tree() { return ctx.volume.catalog; }

  ScriptedUi ui;
  Context ctx;
  std::unique_ptr<testing::TestTree> file;
};

std::vector<std::uint8_t> Data(std::uint8_t type, std::size_t size) {
  std::vector<std::uint8_t> data(size, 0);
  data[0] = type;
  return data;
}

// The work file as it is on the PC (it has no name there).
std::vector<std::uint8_t> WorkFileBytes(const TreeWorkFile& tree) {
  return testing::ReadWholeFile("/proc/self/fd/" + std::to_string(fileno(tree.handle)));
}

TEST(CatalogEditTest, AnEmptiedLeafTakesItsEmptiedIndexNodeAndTheSpareRootWithIt) {
  // Twelve leaves under two index nodes (11 + 1 records) under a root.
  std::vector<NodeBuffer> nodes;
  std::vector<testing::RecordBytes> lower[2];
  for (std::uint32_t i = 1; i <= 12; ++i) {
    NodeBuffer leaf = testing::BuildNode(kLeafNode, 1, i < 12 ? i + 1 : 0, {testing::ThreadRecord(15 + i, 2, "d")});
    PutU32(leaf, node::ndBLink, i - 1);
    nodes.push_back(leaf);
    lower[i / 12].push_back(testing::IndexRecord(15 + i, "", i));
  }
  nodes.push_back(testing::BuildNode(kIndexNode, 2, 14, lower[0]));
  nodes.push_back(testing::BuildNode(kIndexNode, 2, 0, lower[1]));
  PutU32(nodes.back(), node::ndBLink, 13);
  nodes.push_back(testing::BuildNode(kIndexNode, 3, 0, {testing::IndexRecord(16, "", 13), testing::IndexRecord(27, "", 14)}));
  HandTree t(nodes, 40, TreeFigures{15, 3, 12});
  PutU32(t.tree().header, header::bthNRecs, 12);
  SyncFreeNodeCount(t.tree());
  EXPECT_EQ(CheckCatalogTree(t.tree()), Problems{});

  // The only record of the last leaf: the leaf goes, the index shrinks.
  EXPECT_EQ(DeleteCatalogRecord(t.ctx, 27, ""), CatalogEditStatus::kDone);
  EXPECT_EQ(GetU32(t.tree().header, header::bthLNode), 11u);
  EXPECT_EQ(GetU32(t.tree().header, header::bthFree), 40u - 13);  // header, 11 leaves, their index node
  EXPECT_EQ(GetU16(t.tree().header, header::bthDepth), 2);
  EXPECT_EQ(CheckCatalogTree(t.tree()), Problems{});
  // The freed leaf and index nodes are cleared.
  for (std::uint32_t n = 1; n < 40; ++n) {
    if (IsNodeInUse(t.tree(), n).value_or(true)) continue;
    ASSERT_TRUE(ReadNode(t.tree(), n));
    EXPECT_EQ(t.tree().node, NodeBuffer{}) << "free node " << n;
  }
  // The first leaf too: bthFNode moves on.
  EXPECT_EQ(DeleteCatalogRecord(t.ctx, 16, ""), CatalogEditStatus::kDone);
  EXPECT_EQ(GetU32(t.tree().header, header::bthFNode), 2u);
  EXPECT_EQ(DeleteCatalogRecord(t.ctx, 16, ""), CatalogEditStatus::kNotFound);
  EXPECT_EQ(CheckCatalogTree(t.tree()), Problems{});
}

// --- Real volumes --------------------------------------------------------------

std::vector<std::uint8_t> Pattern(std::size_t n, int seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + seed + i / 509);
  return bytes;
}

// Volume edits as the file-level operations make them, through the
// engine's primitives.
class Editor {
 public:
  explicit Editor(Context& ctx) : ctx_(ctx) {}

  std::uint32_t NextId() {
    const std::uint32_t id = GetU32(ctx_.volume.mdb, mdb::drNxtCNID);
    PutU32(ctx_.volume.mdb, mdb::drNxtCNID, id + 1);
    return id;
  }
  void Count(std::size_t field, int delta) {
    PutU32(ctx_.volume.mdb, field, GetU32(ctx_.volume.mdb, field) + delta);
  }
  void Count16(std::size_t field, int delta) {
    PutU16(ctx_.volume.mdb, field, static_cast<std::uint16_t>(GetU16(ctx_.volume.mdb, field) + delta));
  }
  // The valence of directory dirId, through its thread.
  void AddValence(std::uint32_t dirId, int delta) {
    TreeWorkFile& tree = ctx_.volume.catalog;
    const FoundRecord thread = FindCatalogRecord(tree, "*", kWantThread, dirId);
    ASSERT_TRUE(thread);
    const CatalogRecord t = *ReadCatalogRecord(thread.record);
    const FoundRecord dir = FindCatalogRecord(tree, ThreadName(t), kWantDirectory, ThreadParentId(t));
    ASSERT_TRUE(dir);
    Bytes data = *RecordData(dir.record);
    PutU16(data, dirrec::dirVal, static_cast<std::uint16_t>(GetU16(data, dirrec::dirVal) + delta));
    ASSERT_TRUE(WriteNode(tree, tree.nodeNumber, tree.node));
  }

  CatalogEditStatus MakeFolder(std::uint32_t parent, const std::string& name, std::uint32_t* idOut = nullptr) {
    const std::uint32_t id = NextId();
    std::vector<std::uint8_t> data = Data(kDirectoryRecord, dirrec::kSize);
    PutU32(data, dirrec::dirDirID, id);
    const CatalogEditStatus status = InsertCatalogRecord(ctx_, CatalogKey{0, parent, name}, data);
    if (status != CatalogEditStatus::kDone) return status;
    EXPECT_EQ(InsertThreadRecord(ctx_, id, parent, name), CatalogEditStatus::kDone);
    Count(mdb::drDirCnt, 1);
    if (parent == kRootDirId) Count16(mdb::drNmRtDirs, 1);
    AddValence(parent, 1);
    if (idOut != nullptr) *idOut = id;
    return status;
  }

  CatalogEditStatus MakeFile(std::uint32_t parent, const std::string& name, const std::vector<std::uint8_t>& content) {
    const std::uint32_t blockSize = ctx_.volume.allocBlockSize;
    const auto blocks = static_cast<std::uint32_t>((content.size() + blockSize - 1) / blockSize);
    std::vector<std::uint8_t> data = Data(kFileRecord, filrec::kSize);
    BlockExtent extent;
    if (blocks > 0) {
      const std::optional<BlockExtent> got = AllocateBlocks(ctx_, blocks);
      if (!got || got->blockCount != blocks) return CatalogEditStatus::kNoRoom;
      extent = *got;
      ScratchDir dir;
      testing::WriteWholeFile(dir.Path("data"), content);
      std::FILE* in = std::fopen(dir.Path("data").c_str(), "rb");
      EXPECT_TRUE(WriteBlocksFromFile(ctx_, in, extent.startBlock, blocks, content.size()).ok());
      std::fclose(in);
    }
    const std::uint32_t id = NextId();
    std::copy_n("BINAtest", 8, data.begin() + filrec::fdType);
    PutU32(data, filrec::filFlNum, id);
    PutU32(data, filrec::filLgLen, static_cast<std::uint32_t>(content.size()));
    PutU32(data, filrec::filPyLen, blocks * blockSize);
    PutU16(data, filrec::filExtRec, extent.startBlock);
    PutU16(data, filrec::filExtRec + 2, extent.blockCount);
    const CatalogEditStatus status = InsertCatalogRecord(ctx_, CatalogKey{0, parent, name}, data);
    if (status != CatalogEditStatus::kDone) {
      FreeExtentRecord(ctx_, ConstBytes(data).subspan(filrec::filExtRec, 12));
      return status;
    }
    Count(mdb::drFilCnt, 1);
    if (parent == kRootDirId) Count16(mdb::drNmFls, 1);
    AddValence(parent, 1);
    return status;
  }

 private:
  Context& ctx_;
};

// One small hfsutils volume per test (800 KB, 512-byte blocks, a catalog of
// 12 nodes), mounted for writing.
class VolumeEditTest : public ::testing::Test {
 protected:
  explicit VolumeEditTest(int kilobytes = 800) : v_(kilobytes, "Edit Vol") {}
  Context& ctx() { return v_.ctx(); }
  void ExpectSound() { EXPECT_EQ(v_.Problems(), Problems{}); }

  // What hfsutils lists on a copy of the image (after reading every record
  // in the long listing): ":" paths of every entry, folders ending in ':'.
  std::set<std::string> HfsutilsListing() {
    const std::string copy = v_.Path("long.img");
    std::filesystem::copy_file(v_.image(), copy, std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(testing::RunHfsutils(v_.Path(""), copy, {"hls -laR >/dev/null"}));
    return v_.HfsutilsTree();
  }

  testing::EditVolume v_;
};

// Names in a scrambled order, so records go into the middle of leaves.
std::vector<std::string> Names(int count, int seed) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%s %03d", i % 3 == 0 ? "Report" : (i % 3 == 1 ? "data" : "Zeta file"), i);
    names.push_back(name);
  }
  std::shuffle(names.begin(), names.end(), std::mt19937(seed));
  return names;
}

TEST_F(VolumeEditTest, TheCatalogGrowsThroughOverflowExtentsWhenFreeSpaceIsScattered) {
  // Free space in runs of 10 blocks between one-block files: each growth
  // gets a new extent, and the fourth goes into the extents tree.
  Editor edit(ctx());
  std::vector<BlockExtent> gaps;
  for (int i = 0; i < 6; ++i) {
    gaps.push_back(*AllocateBlocks(ctx(), 10));
    ASSERT_EQ(edit.MakeFile(kRootDirId, "pin " + std::to_string(i), Pattern(300, i)), CatalogEditStatus::kDone);
  }
  for (const BlockExtent& gap : gaps) {
    std::array<std::uint8_t, 12> record{};
    PutU16(record, 0, gap.startBlock);
    PutU16(record, 2, gap.blockCount);
    FreeExtentRecord(ctx(), record);
  }
  std::uint32_t folder = 0;
  ASSERT_EQ(edit.MakeFolder(kRootDirId, "Spread", &folder), CatalogEditStatus::kDone);
  const std::vector<std::string> names = Names(120, 4);
  for (const std::string& name : names) ASSERT_EQ(edit.MakeFile(folder, name, {}), CatalogEditStatus::kDone);

  EXPECT_NE(GetU16(ctx().volume.mdb, mdb::drCTExtRec + 10), 0);  // all three header extents used
  const std::uint32_t inHeader = GetU16(ctx().volume.mdb, mdb::drCTExtRec + 2) +
                                 GetU16(ctx().volume.mdb, mdb::drCTExtRec + 6) +
                                 GetU16(ctx().volume.mdb, mdb::drCTExtRec + 10);
  EXPECT_TRUE(FindExtentRecord(ctx(), kCatalogFileId, static_cast<std::uint16_t>(inHeader), kDataFork));
  ExpectSound();
  ASSERT_TRUE(FlushVolume(ctx()).ok());

  std::set<std::string> expected{":Spread:"};
  for (int i = 0; i < 6; ++i) expected.insert(":pin " + std::to_string(i));
  for (const std::string& name : names) expected.insert(":Spread:" + name);
  EXPECT_EQ(HfsutilsListing(), expected);
  v_.Remount();  // the catalog copied back through its overflow record
  ExpectSound();
  EXPECT_TRUE(FindCatalogRecord(ctx().volume.catalog, names.back(), kWantFile, folder));
}

TEST_F(VolumeEditTest, AFullVolumeRefusesCatalogGrowthAndKeepsEverythingElse) {
  Editor edit(ctx());
  std::uint32_t folder = 0;
  ASSERT_EQ(edit.MakeFolder(kRootDirId, "Kept", &folder), CatalogEditStatus::kDone);
  std::vector<BlockExtent> filler;
  while (std::optional<BlockExtent> e = AllocateBlocks(ctx(), 0xFFFF)) filler.push_back(*e);
  while (std::optional<BlockExtent> e = AllocateBlocks(ctx(), 1)) filler.push_back(*e);
  EXPECT_EQ(v_.ui().boxes.back(), "Not enough space on the volume.");

  std::vector<std::string> kept;
  CatalogEditStatus status = CatalogEditStatus::kDone;
  for (const std::string& name : Names(200, 5)) {
    const std::vector<std::uint8_t> snapshot = WorkFileBytes(ctx().volume.catalog);
    const NodeBuffer header = ctx().volume.catalog.header;
    status = edit.MakeFile(folder, name, {});
    if (status != CatalogEditStatus::kDone) {
      EXPECT_EQ(WorkFileBytes(ctx().volume.catalog), snapshot);
      EXPECT_EQ(ctx().volume.catalog.header, header);
      break;
    }
    kept.push_back(name);
  }
  EXPECT_EQ(status, CatalogEditStatus::kNoRoom);
  EXPECT_EQ(v_.ui().boxes.back(), "Error trying to extend catalog.");
  EXPECT_FALSE(kept.empty());

  for (const BlockExtent& e : filler) {
    std::array<std::uint8_t, 12> record{};
    PutU16(record, 0, e.startBlock);
    PutU16(record, 2, e.blockCount);
    FreeExtentRecord(ctx(), record);
  }
  ExpectSound();
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  std::set<std::string> expected{":Kept:"};
  for (const std::string& name : kept) expected.insert(":Kept:" + name);
  EXPECT_EQ(HfsutilsListing(), expected);
}

TEST_F(VolumeEditTest, AFlushThatCannotWriteSaysWhat) {
  v_.Remount(true);  // a write-protected medium
  Editor edit(ctx());
  ASSERT_EQ(edit.MakeFile(kRootDirId, "lost", {}), CatalogEditStatus::kDone);
  const FlushStatus status = FlushVolume(ctx());
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.notWritten & (kFlushVolumeHeader | kFlushCatalogTree), kFlushVolumeHeader | kFlushCatalogTree);
}

// A 4 MB volume, for catalogs of thousands of records.
class LargeVolumeEditTest : public VolumeEditTest {
 protected:
  LargeVolumeEditTest() : VolumeEditTest(4096) {}
};

// Macintosh names of 1 to 31 characters, any byte but ':'.
std::string RandomName(std::mt19937& random) {
  std::string name(std::uniform_int_distribution<std::size_t>(1, kMaxNameLength)(random), '\0');
  for (char& c : name) {
    do c = static_cast<char>(random() % 256);
    while (c == ':');
  }
  return name;
}

using Key = std::pair<std::uint32_t, std::string>;
struct CatalogOrder {
  bool operator()(const Key& a, const Key& b) const {
    return a.first != b.first ? a.first < b.first : CompareNames(a.second, b.second) < 0;
  }
};

// The named records (threads left out) of the given folders, walking the
// leaf chain.
std::vector<Key> LeafKeys(TreeWorkFile& tree, const std::vector<std::uint32_t>& folders) {
  std::vector<Key> keys;
  TreeWalk walk = StartWalk(tree);
  for (std::uint32_t n = GetU32(tree.header, header::bthFNode); n != 0; n = NodeForwardLink(tree.node)) {
    if (!WalkTo(tree, walk, n)) {
      ADD_FAILURE() << "leaf chain broken at " << n;
      break;
    }
    for (std::uint16_t i = 0; i < NodeRecordCount(tree.node); ++i) {
      const std::optional<CatalogKey> key = ReadCatalogKey(*RecordAt(tree.node, i));
      if (key && !key->name.empty() && std::count(folders.begin(), folders.end(), key->parentId) > 0) {
        keys.emplace_back(key->parentId, key->name);
      }
    }
  }
  return keys;
}

TEST_F(LargeVolumeEditTest, RandomInsertionsAndDeletionsKeepASoundTreeInKeyOrder) {
  Editor edit(ctx());
  std::vector<std::uint32_t> folders(4);
  for (std::size_t i = 0; i < folders.size(); ++i) {
    ASSERT_EQ(edit.MakeFolder(kRootDirId, "Folder " + std::to_string(i), &folders[i]), CatalogEditStatus::kDone);
  }
  TreeWorkFile& tree = ctx().volume.catalog;
  const std::uint32_t recordsBefore = GetU32(tree.header, header::bthNRecs);
  const std::vector<std::uint8_t> data = Data(kFileRecord, filrec::kSize);
  std::mt19937 random(17);
  std::set<Key, CatalogOrder> model;
  std::uint16_t deepest = 0;
  // Three batches mostly add, three mostly take away, the last one all.
  for (int batch = 0; batch < 7; ++batch) {
    const int steps = batch < 6 ? 900 : static_cast<int>(model.size());
    for (int step = 0; step < steps; ++step) {
      const bool insert = batch < 6 && (model.empty() || static_cast<int>(random() % 10) < (batch < 3 ? 8 : 3));
      if (insert) {
        const Key key{folders[random() % folders.size()], RandomName(random)};
        const bool added = model.insert(key).second;
        ASSERT_EQ(InsertCatalogRecord(ctx(), CatalogKey{0, key.first, key.second}, data),
                  added ? CatalogEditStatus::kDone : CatalogEditStatus::kExists);
      } else {
        const auto gone = std::next(model.begin(), static_cast<std::ptrdiff_t>(random() % model.size()));
        ASSERT_EQ(DeleteCatalogRecord(ctx(), gone->first, gone->second), CatalogEditStatus::kDone);
        model.erase(gone);
      }
    }
    deepest = std::max(deepest, GetU16(tree.header, header::bthDepth));
    ASSERT_EQ(CheckCatalogTree(tree), Problems{}) << "batch " << batch;
    ASSERT_EQ(LeafKeys(tree, folders), std::vector<Key>(model.begin(), model.end())) << "batch " << batch;
    for (const Key& key : model) ASSERT_TRUE(LocateCatalogKey(tree, key.second, key.first).exists);
  }
  EXPECT_GE(deepest, 4);
  EXPECT_EQ(GetU32(tree.header, header::bthNRecs), recordsBefore);
}

// Long names in ascending order: each leaf splits at its end and keeps two
// file records, so a catalog fills with few files.
std::string LongName(int i) {
  char number[16];
  std::snprintf(number, sizeof number, "%06d", i);
  std::string name = std::string("Empty ") + number + " ";
  name.resize(kMaxNameLength, '.');
  return name;
}

// Empty files into `folder` until the catalog refuses one, `most` are in
// or `enough` says so; the names taken.
std::vector<std::string> FillWithEmptyFiles(Editor& edit, std::uint32_t folder, int most,
                                            const std::function<bool()>& enough = [] { return false; }) {
  std::vector<std::string> names;
  for (int i = 0; i < most && !enough(); ++i) {
    const CatalogEditStatus status = edit.MakeFile(folder, LongName(i), {});
    if (status != CatalogEditStatus::kDone) {
      EXPECT_EQ(status, CatalogEditStatus::kNoRoom);
      break;
    }
    names.push_back(LongName(i));
  }
  return names;
}

std::uint32_t NodesInUse(const TreeWorkFile& tree) {
  return GetU32(tree.header, header::bthNNodes) - GetU32(tree.header, header::bthFree);
}

// A 136 MB volume: hformat gives its catalog 2120 nodes and a map node.
class MappedCatalogEditTest : public VolumeEditTest {
 protected:
  MappedCatalogEditTest() : VolumeEditTest(136000) {}
};

TEST_F(MappedCatalogEditTest, ACatalogWithMapNodesFromHfsutilsGrowsPastThem) {
  TreeWorkFile& tree = ctx().volume.catalog;
  const std::uint32_t firstMapNode = NodeForwardLink(tree.header);
  ASSERT_NE(firstMapNode, 0u);
  const std::uint32_t reach = NodeMapReach(tree);
  ASSERT_GT(reach, GetU32(tree.header, header::bthNNodes));
  Editor edit(ctx());
  std::uint32_t folder = 0;
  ASSERT_EQ(edit.MakeFolder(kRootDirId, "More", &folder), CatalogEditStatus::kDone);
  const std::vector<std::string> names =
      FillWithEmptyFiles(edit, folder, 30000, [&tree, reach] { return NodesInUse(tree) > reach; });
  ASSERT_GT(NodesInUse(tree), reach);
  EXPECT_EQ(NodeForwardLink(tree.header), firstMapNode);  // the new map node follows hfsutils' own
  EXPECT_GE(NodeMapReach(tree), GetU32(tree.header, header::bthNNodes));
  ExpectSound();
  ASSERT_TRUE(FlushVolume(ctx()).ok());

  // hfsutils lists every file and goes on writing to the volume.
  std::string expected;
  for (const std::string& name : names) expected += name + "\n";
  const std::string listing = v_.Path("more.txt");
  ASSERT_TRUE(v_.HfsutilsWrite({"hls -1a :More > " + ShellQuote(listing), "hmkdir :More:Later", "hmkdir :Later"}));
  const std::vector<std::uint8_t> listed = testing::ReadWholeFile(listing);
  EXPECT_EQ(std::string(listed.begin(), listed.end()), expected);
  v_.Remount();
  ExpectSound();
  EXPECT_TRUE(FindCatalogRecord(ctx().volume.catalog, "Later", kWantDirectory, folder));
}

TEST_F(VolumeEditTest, TheExtentsTreeSplitsForForksOfManyExtents) {
  // One fork of many one-block extents, none next to the one before it.
  constexpr std::uint16_t kRecords = 60;
  for (std::uint16_t i = 0; i < kRecords; ++i) {
    for (int e = 0; e < 3; ++e) {
      const std::uint16_t forkBlock = static_cast<std::uint16_t>(3 + 3 * i + e);
      ASSERT_EQ(AddOverflowExtent(ctx(), BlockExtent{static_cast<std::uint16_t>(2 * forkBlock), 1}, 40, forkBlock,
                                  kDataFork),
                OverflowStatus::kDone)
          << forkBlock;
    }
  }
  TreeWorkFile& tree = ctx().volume.extents;
  EXPECT_GE(GetU16(tree.header, header::bthDepth), 2);
  EXPECT_EQ(GetU32(tree.header, header::bthNRecs), kRecords);
  std::vector<Finding> findings;
  CheckTree(tree, TreeKind::kExtents, findings);
  EXPECT_TRUE(CheckReport{findings}.clean()) << CheckReportLines(CheckReport{findings}).front();
  for (std::uint16_t i = 0; i < kRecords; ++i) {
    const FoundRecord found = FindExtentRecord(ctx(), 40, static_cast<std::uint16_t>(3 + 3 * i), kDataFork);
    ASSERT_TRUE(found) << i;
    EXPECT_EQ(GetU16(found.record, 8), 2 * (3 + 3 * i + 2));  // the third extent of the record
  }
}

}  // namespace
}  // namespace tarvo
