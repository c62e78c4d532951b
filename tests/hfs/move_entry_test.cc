// Files and folders moved across folders: records, threads and counters
// as the volume check and hfsutils see them afterwards.
#include "hfs/move_entry.h"

#include <gtest/gtest.h>

#include "hfs/catalog_lookup.h"
#include "hfs/flush.h"
#include "support/edit_volume.h"

namespace tarvo {
namespace {

std::uint32_t FolderId(Context& ctx, std::uint32_t parentId, const std::string& name) {
  const std::optional<CatalogRecord> record = FindNamedRecord(ctx.volume.catalog, parentId, name);
  return record && record->type == kDirectoryRecord ? DirectoryId(*record) : 0;
}

TEST(MoveEntryTest, FilesAndFoldersMoveAcrossFoldersWithTheirThreadsAndCounts) {
  testing::EditVolume v;
  testing::WriteWholeFile(v.Path("f.txt"), std::vector<std::uint8_t>{'m', 'o', 'v', 'e'});
  ASSERT_TRUE(v.HfsutilsWrite({"hmkdir :A", "hmkdir :A:B", "hmkdir :C",
                               "hcopy -r " + testing::ShellQuote(v.Path("f.txt")) + " :A:f"}));
  Context& ctx = v.ctx();
  const std::uint32_t a = FolderId(ctx, kRootDirId, "A");
  const std::uint32_t b = FolderId(ctx, a, "B");
  const std::uint32_t c = FolderId(ctx, kRootDirId, "C");
  ASSERT_NE(a * b * c, 0u);

  EXPECT_EQ(MoveEntry(ctx, a, "f", kRootDirId, "g"), MoveStatus::kDone);
  EXPECT_EQ(MoveEntry(ctx, kRootDirId, "A", c, "A2"), MoveStatus::kDone);
  // A folder never goes into itself or below it; a name is never taken twice.
  EXPECT_EQ(MoveEntry(ctx, c, "A2", b, "X"), MoveStatus::kIntoItself);
  EXPECT_EQ(MoveEntry(ctx, c, "A2", a, "X"), MoveStatus::kIntoItself);
  EXPECT_EQ(MoveEntry(ctx, kRootDirId, "g", kRootDirId, "C"), MoveStatus::kExists);
  EXPECT_EQ(MoveEntry(ctx, kRootDirId, "g", kRootDirId, "G"), MoveStatus::kDone);
  ASSERT_TRUE(FlushVolume(ctx).ok());

  EXPECT_EQ(v.Problems(), std::vector<std::string>{});
  EXPECT_EQ(v.HfsutilsTree(), (std::set<std::string>{":G", ":C:", ":C:A2:", ":C:A2:B:"}));
  EXPECT_EQ(v.HfsutilsFile(":G").data, (std::vector<std::uint8_t>{'m', 'o', 'v', 'e'}));
}

}  // namespace
}  // namespace tarvo
