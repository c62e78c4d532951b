// Catalog growth through overflow extents and extents-tree splits on
// hfsutils volumes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>

#include "hfs/allocation.h"
#include "hfs/btree.h"
#include "hfs/catalog_insert.h"
#include "hfs/catalog_search.h"
#include "hfs/extent_search.h"
#include "hfs/flush.h"
#include "hfs/overflow_extent.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "device/sector_io.h"
#include "maintenance/check_tree.h"
#include "maintenance/check_volume.h"
#include "support/edit_volume.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::ScratchDir;

using Problems = std::vector<std::string>;

std::vector<std::uint8_t> Data(std::uint8_t type, std::size_t size) {
  std::vector<std::uint8_t> data(size, 0);
  data[0] = type;
  return data;
}

void FreeRun(Context& ctx, BlockExtent run) {
  std::array<std::uint8_t, 12> record{};
  PutU16(record, 0, run.startBlock);
  PutU16(record, 2, run.blockCount);
  FreeExtentRecord(ctx, record);
}

std::vector<std::uint8_t> Pattern(std::size_t n, int seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + seed + i / 509);
  return bytes;
}

// Folders and files made through the engine's primitives.
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

// A small hfsutils volume (800 KB, 512-byte blocks, 12 catalog nodes).
class VolumeEditTest : public ::testing::Test {
 protected:
  VolumeEditTest() : v_(800, "Edit Vol") {}
  Context& ctx() { return v_.ctx(); }
  void ExpectSound() { EXPECT_EQ(v_.Problems(), Problems{}); }

  std::set<std::string> HfsutilsListing() {
    const std::string copy = v_.Path("long.img");
    std::filesystem::copy_file(v_.image(), copy, std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(testing::RunHfsutils(v_.Path(""), copy, {"hls -laR >/dev/null"}));
    return v_.HfsutilsTree();
  }

  testing::EditVolume v_;
};

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
  Editor edit(ctx());
  std::vector<BlockExtent> gaps;
  for (int i = 0; i < 6; ++i) {
    gaps.push_back(*AllocateBlocks(ctx(), 10));
    ASSERT_EQ(edit.MakeFile(kRootDirId, "pin " + std::to_string(i), Pattern(300, i)), CatalogEditStatus::kDone);
  }
  for (const BlockExtent& gap : gaps) FreeRun(ctx(), gap);
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

TEST_F(VolumeEditTest, TheExtentsTreeSplitsForForksOfManyExtents) {
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
