// The extents tree growing for forks of many extents: written files read
// back by hfsutils, and an extents file whose three extents are used up
// refusing the file with the volume as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "hfs/allocation.h"
#include "hfs/btree.h"
#include "hfs/catalog_search.h"
#include "hfs/delete_entries.h"
#include "hfs/extent_record.h"
#include "hfs/flush.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "support/byte_pattern.h"
#include "support/edit_volume.h"
#include "transfer/pc_copy_report.h"
#include "transfer/pc_file_reader.h"
#include "transfer/write_file.h"

namespace tarvo {
namespace {

constexpr std::uint32_t kExtentsNodes = 4;
constexpr std::uint32_t kHoleBlocks = 10;  // the shortest free run a file takes when a longer one lies after it

class ExtentsGrowthTest : public ::testing::Test {
 protected:
  ExtentsGrowthTest() : v_(3000, "Grow") {}

  // The extents file cut down to four nodes lying in `extents` (blocks of
  // the file as hformat made it), with a clump of four blocks: a few dozen
  // overflow records fill it.
  void ShrinkExtentsFile(const std::vector<BlockExtent>& extents) {
    Context& ctx = v_.ctx();
    VolumeState& v = ctx.volume;
    ASSERT_EQ(v.allocBlockSize, kNodeSize);
    OpenExtentsWorkFile(ctx);
    TreeWorkFile& tree = v.extents;
    ASSERT_EQ(GetU32(tree.header, header::bthNRecs), 0u);
    PutU32(tree.header, header::bthNNodes, kExtentsNodes);
    PutU32(tree.header, header::bthFree, kExtentsNodes - 1);
    ASSERT_TRUE(WriteNode(tree, 0, tree.header));

    ASSERT_TRUE(EnsureBitmapLoaded(ctx));
    std::vector<bool> kept(GetU16(v.mdb, mdb::drXTExtRec + 2));
    ExtentRecordBytes record{};
    for (std::size_t i = 0; i < extents.size(); ++i) {
      PutU16(record, 4 * i, extents[i].startBlock);
      PutU16(record, 4 * i + 2, extents[i].blockCount);
      for (std::uint16_t b = 0; b < extents[i].blockCount; ++b) kept[extents[i].startBlock + b] = true;
    }
    for (std::uint16_t b = 0; b < kept.size(); ++b) {
      ExtentRecordBytes dropped{};
      PutU16(dropped, 0, b);
      PutU16(dropped, 2, kept[b] ? 0 : 1);
      FreeExtentRecord(ctx, dropped);
    }
    std::copy(record.begin(), record.end(), v.mdb.begin() + mdb::drXTExtRec);
    PutU32(v.mdb, mdb::drXTFlSize, kExtentsNodes * kNodeSize);
    PutU32(v.mdb, mdb::drXTClpSiz, kExtentsNodes * kNodeSize);
    ASSERT_TRUE(FlushVolume(ctx).ok());
    v_.Remount();
  }

  // Free space in `holes` runs of ten blocks, each after a one-block file,
  // so that a file takes one extent per run.
  void FragmentFreeSpace(int holes) {
    for (int i = 0; i < holes; ++i) {
      WriteFile("Pad " + std::to_string(i), 1);
      WriteFile("Hole " + std::to_string(i), kHoleBlocks);
    }
    for (int i = 0; i < holes; ++i) {
      ASSERT_EQ(DeleteItem(v_.ctx(), "Hole " + std::to_string(i), nullptr), DeleteStatus::kDone);
    }
    ASSERT_TRUE(FlushVolume(v_.ctx()).ok());
  }

  static std::vector<std::uint8_t> Content(const std::string& name, std::uint32_t blocks) {
    return testing::PatternBytes(blocks * kNodeSize - 7, static_cast<unsigned>(name.size()));
  }

  FileWrite WriteFile(const std::string& name, std::uint32_t blocks) {
    const std::string pc = v_.Path("pc.bin");
    testing::WriteWholeFile(pc, Content(name, blocks));
    std::FILE* file = std::fopen(pc.c_str(), "rb");
    const FileWrite written = WriteFileToVolume(
        v_.ctx(), PlainFileSource(file, *PcFileFactsOf(file), name, "BINA????", ForkChoice::kData), name, kRootDirId, 0);
    TellFileWrite(v_.ctx(), written, name, name);
    std::fclose(file);
    std::remove(pc.c_str());
    return written;
  }

  testing::EditVolume v_;
};

TEST_F(ExtentsGrowthTest, GrowsForMoreOverflowExtentsThanItsNodesHoldAndHfsutilsReadsEveryFile) {
  ShrinkExtentsFile({{0, kExtentsNodes}});
  FragmentFreeSpace(320);
  const std::vector<std::string> names = {"Many A", "Many BB", "Many CCC"};
  for (const std::string& name : names) ASSERT_EQ(WriteFile(name, 100 * kHoleBlocks), FileWrite::kDone) << name;
  ASSERT_TRUE(FlushVolume(v_.ctx()).ok());

  const VolumeState& v = v_.ctx().volume;
  EXPECT_GT(GetU32(v.mdb, mdb::drXTFlSize), kExtentsNodes * kNodeSize);
  EXPECT_GT(GetU32(v.extents.header, header::bthNRecs), 90u);
  EXPECT_EQ(v_.Problems(), std::vector<std::string>{});
  for (const std::string& name : names) {
    const testing::ExtractedFile read = v_.HfsutilsFile(":" + name);
    ASSERT_TRUE(read.found) << name;
    EXPECT_TRUE(read.data == Content(name, 100 * kHoleBlocks)) << name;
  }
}

TEST_F(ExtentsGrowthTest, ThreeExtentsUsedUpRefuseTheFileAsAFullVolumeWithNothingChanged) {
  // Nodes 0, 1 and 2-3, apart: no run on the volume extends the last.
  ShrinkExtentsFile({{0, 1}, {2, 1}, {4, 2}});
  FragmentFreeSpace(160);
  const std::array<std::uint8_t, 512> before = v_.ctx().volume.mdb;
  OpenExtentsWorkFile(v_.ctx());
  const std::uint32_t records = GetU32(v_.ctx().volume.extents.header, header::bthNRecs);  // the catalog's own

  EXPECT_EQ(WriteFile("Too Many", 150 * kHoleBlocks), FileWrite::kNoSpace);
  EXPECT_EQ(v_.ui().messages, std::vector<std::string>{"Not enough space on the volume."});
  ASSERT_TRUE(FlushVolume(v_.ctx()).ok());
  const VolumeState& v = v_.ctx().volume;
  EXPECT_TRUE(std::equal(before.begin() + mdb::drXTFlSize, before.begin() + mdb::drXTExtRec + kExtentRecordSize,
                         v.mdb.begin() + mdb::drXTFlSize));
  EXPECT_EQ(GetU16(v.mdb, mdb::drFreeBks), GetU16(before, mdb::drFreeBks));
  EXPECT_EQ(GetU32(v.extents.header, header::bthNRecs), records);
  EXPECT_FALSE(FindCatalogRecord(v_.ctx().volume.catalog, "Too Many", kWantFile, kRootDirId));
  EXPECT_EQ(v_.Problems(), std::vector<std::string>{});
}

}  // namespace
}  // namespace tarvo
