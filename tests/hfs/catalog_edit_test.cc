// Extents-tree splits for forks of many extents on an hfsutils volume, and
// the work files' absence from the temporary folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/extent_search.h"
#include "hfs/overflow_extent.h"
#include "hfs/work_file.h"
#include "maintenance/check_tree.h"
#include "maintenance/check_volume.h"
#include "support/edit_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

TEST(VolumeEditTest, TheExtentsTreeSplitsForForksOfManyExtents) {
  testing::EditVolume v(800, "Edit Vol");
  Context& ctx = v.ctx();
  constexpr std::uint16_t kRecords = 60;
  for (std::uint16_t i = 0; i < kRecords; ++i) {
    for (int e = 0; e < 3; ++e) {
      const std::uint16_t forkBlock = static_cast<std::uint16_t>(3 + 3 * i + e);
      ASSERT_EQ(AddOverflowExtent(ctx, BlockExtent{static_cast<std::uint16_t>(2 * forkBlock), 1}, 40, forkBlock,
                                  kDataFork),
                OverflowStatus::kDone)
          << forkBlock;
    }
  }
  TreeWorkFile& tree = ctx.volume.extents;
  EXPECT_GE(GetU16(tree.header, header::bthDepth), 2);
  EXPECT_EQ(GetU32(tree.header, header::bthNRecs), kRecords);
  std::vector<Finding> findings;
  CheckTree(tree, TreeKind::kExtents, findings);
  EXPECT_TRUE(CheckReport{findings}.clean()) << CheckReportLines(CheckReport{findings}).front();
  for (std::uint16_t i = 0; i < kRecords; ++i) {
    const FoundRecord found = FindExtentRecord(ctx, 40, static_cast<std::uint16_t>(3 + 3 * i), kDataFork);
    ASSERT_TRUE(found) << i;
    EXPECT_EQ(GetU16(found.record, 8), 2 * (3 + 3 * i + 2));
  }
}

TEST(HfsVolumeTest, WorkFilesLeaveNothingInTheTemporaryFolder) {
  testing::EditVolume v;
  testing::WriteWholeFile(v.Path("a.txt"), std::vector<std::uint8_t>{'h'});
  ASSERT_TRUE(v.HfsutilsWrite({"hcopy -r " + testing::ShellQuote(v.Path("a.txt")) + " :Both"}));
  v.Remount(true);
  Context& ctx = v.ctx();
  auto hasBoth = [&] { return bool(FindCatalogRecord(ctx.volume.catalog, "Both", kWantFile, kRootDirId)); };
  testing::ScratchDir temp;
  const char* saved = std::getenv("TMPDIR");
  const std::string restore = saved != nullptr ? saved : "";
  ::setenv("TMPDIR", temp.Path("").c_str(), 1);
  ASSERT_TRUE(hasBoth());
  EXPECT_EQ(OpenCatalogWorkFile(ctx), CatalogCopy::kWhole);
  ASSERT_NE(FindExtentRecord(ctx, 99, 0, kDataFork).status, SearchStatus::kDamaged);
  EXPECT_NE(ctx.volume.extents.handle, nullptr);
  EXPECT_TRUE(std::filesystem::is_empty(temp.Path("")));
  EXPECT_EQ(OpenCatalogWorkFile(ctx), CatalogCopy::kWhole);
  EXPECT_EQ(ctx.volume.extents.handle, nullptr);
  EXPECT_TRUE(hasBoth());
  if (saved != nullptr) {
    ::setenv("TMPDIR", restore.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
}

}  // namespace
}  // namespace tarvo
