// Deleting and renaming entries and the volume: what they log, ask and
// refuse, on hfsutils volumes that hfsutils reads back.
#include <gtest/gtest.h>

#include <cstdio>

#include "hfs/btree.h"
#include "hfs/catalog_lookup.h"
#include "hfs/delete_entries.h"
#include "hfs/extent_search.h"
#include "hfs/flush.h"
#include "hfs/navigation.h"
#include "hfs/rename_entries.h"
#include "hfs/rename_volume.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "support/edit_volume.h"
#include "support/scratch_files.h"
#include "transfer/copy_to_mac.h"
#include "transfer/mac_folder.h"
#include "ui/edit_commands.h"
#include "ui/listing.h"

namespace tarvo {
namespace {

using testing::EditVolume;
using Problems = std::vector<std::string>;

class CatalogEditsTest : public ::testing::Test {
 protected:
  CatalogEditsTest() : pc_(v_.Path("pc")) { std::filesystem::create_directory(pc_); }
  Context& ctx() { return v_.ctx(); }
  void File(const std::string& name, std::size_t size = 600) {
    testing::WriteWholeFile((pc_ / name).string(), std::vector<std::uint8_t>(size, 7));
    ASSERT_EQ(CopyPcFile(ctx(), pc_ / name, std::nullopt), 0);
  }
  void Folder(const std::string& name) { ASSERT_EQ(MakeMacFolder(ctx(), name).status, FolderStatus::kCreated); }
  bool Has(const std::string& name) {
    return FindNamedRecord(ctx().volume.catalog, ctx().volume.current.currentDirId, name).has_value();
  }
  std::string Logged() {
    std::rewind(log_);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), log_));
    return text;
  }
  void OpenLog() { ctx().log.file = log_ = std::tmpfile(); }
  ~CatalogEditsTest() override {
    if (log_ != nullptr) {
      ctx().log.file = nullptr;
      std::fclose(log_);
    }
  }

  EditVolume v_;
  std::filesystem::path pc_;
  std::FILE* log_ = nullptr;
};

TEST_F(CatalogEditsTest, ANonEmptyDirectoryAsksOnceThenGoesWithItsSubtree) {
  const std::uint16_t freeBefore = GetU16(ctx().volume.mdb, mdb::drFreeBks);
  Folder("Tree");
  ASSERT_TRUE(ChangeDirectory(ctx(), "Tree"));
  File("one", 5000);
  Folder("Sub");
  ASSERT_TRUE(ChangeDirectory(ctx(), "Sub"));
  File("two", 3000);
  ASSERT_TRUE(RootDirectory(ctx()));
  File("kept");

  v_.ui().answers = {"cancel"};
  EXPECT_EQ(DeleteEntries(ctx(), "Tree"), DeleteStatus::kCancelled);
  EXPECT_TRUE(Has("Tree"));
  OpenLog();
  v_.ui().answers = {"ok"};
  EXPECT_EQ(DeleteEntries(ctx(), "Tree"), DeleteStatus::kDone);
  EXPECT_EQ(v_.ui().boxes.size(), 2u);  // the nested folder was not asked about
  EXPECT_EQ(Logged(), "*rd Tree\r\n*cd Tree\r\n*del one\r\n*rd Sub\r\n*cd Sub\r\n*del two\r\n");
  EXPECT_EQ(ctx().volume.current.currentDirId, kRootDirId);
  EXPECT_FALSE(Has("Tree"));
  EXPECT_EQ(GetU32(ctx().volume.mdb, mdb::drDirCnt), 0u);
  EXPECT_EQ(GetU16(ctx().volume.mdb, mdb::drNmRtDirs), 0u);
  EXPECT_EQ(GetU16(ctx().volume.mdb, mdb::drFreeBks), freeBefore - 2);  // "kept" holds two blocks
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsTree(), std::set<std::string>{":kept"});
}

TEST_F(CatalogEditsTest, RenamingKeepsTheTailVisitsEachEntryOnceAndNeverDoublesAName) {
  File("AB12");
  File("AB3");
  File("other");
  Folder("ABdir");
  OpenLog();
  EXPECT_EQ(RenameEntries(ctx(), "AB*", "XY*"), RenameStatus::kDone);
  EXPECT_TRUE(Has("XY12"));
  EXPECT_TRUE(Has("XY3"));
  EXPECT_TRUE(Has("XYdir"));
  EXPECT_EQ(Logged(), "*ren Ab12\tXY12\r\n*ren Ab3\tXY3\r\n*ren ABdir\tXYdir\r\n");  // copies are Ab...
  ASSERT_TRUE(ChangeDirectory(ctx(), "XYdir"));
  EXPECT_EQ(ctx().volume.current.currentDirName, "XYdir ");
  ASSERT_TRUE(ParentDirectory(ctx()));
  ASSERT_TRUE(ChangeDirectory(ctx(), "XYdir"));
  ASSERT_TRUE(ParentDirectory(ctx()));

  // New names that match the pattern again are not renamed twice.
  EXPECT_EQ(RenameEntries(ctx(), "X*", "XX*"), RenameStatus::kDone);
  EXPECT_TRUE(Has("XXY12"));
  EXPECT_FALSE(Has("XXXY12"));
  // Its own name: nothing; a taken name: refused, both entries kept.
  EXPECT_EQ(RenameEntries(ctx(), "other", "other"), RenameStatus::kNotFound);
  EXPECT_EQ(RenameEntries(ctx(), "other", "XXY3"), RenameStatus::kFailed);
  EXPECT_TRUE(Has("other"));
  EXPECT_TRUE(Has("XXY3"));
  // Letter case only.
  EXPECT_EQ(RenameEntries(ctx(), "other", "OTHER"), RenameStatus::kDone);
  EXPECT_EQ(FindNamedRecord(ctx().volume.catalog, kRootDirId, "other")->key.name, "OTHER");
  // One side only asks; the name is cut to 31.
  v_.ui().answers = {"cancel"};
  EXPECT_EQ(RenameEntries(ctx(), "OTHER", "Y*"), RenameStatus::kCancelled);
  EXPECT_EQ(v_.ui().boxes.back(), "Renaming with a wildcard on one side only?");
  EXPECT_EQ(RenameEntries(ctx(), "OTHER", std::string(40, 'n')), RenameStatus::kDone);
  EXPECT_TRUE(Has(std::string(31, 'n')));
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsTree(),
            (std::set<std::string>{":XXY12", ":XXY3", ":XXYdir:", ":" + std::string(31, 'n')}));
}

TEST_F(CatalogEditsTest, TheVolumeNameGoesIntoTheHeaderTheRootAndItsThread) {
  OpenLog();
  ASSERT_TRUE(RenameVolume(ctx(), std::string("Archive ") + std::string(22, 'z')));
  const std::string stored = "Archive " + std::string(19, 'z');
  EXPECT_EQ(Logged(), "*label " + stored + "\r\n");
  EXPECT_EQ(ctx().settings.windowTitle, "Tarvo : " + stored);
  v_.Remount();  // flushed by the rename
  EXPECT_EQ(VolumeName(ctx().volume), stored);
  EXPECT_TRUE(FindNamedRecord(ctx().volume.catalog, kRootParentId, stored));
  EXPECT_EQ(v_.Problems(), Problems{});
  Folder("In");
  ASSERT_TRUE(ChangeDirectory(ctx(), "In"));
  ASSERT_TRUE(ParentDirectory(ctx()));  // through the root's thread
  EXPECT_EQ(ctx().volume.current.currentDirId, kRootDirId);
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_TRUE(v_.HfsutilsWrite({"hmkdir :More", "hls :More"}));
}

TEST(RenameVolumeTest, WithoutAMountedVolumeTheShortMountRunsFirst) {
  EditVolume v;
  testing::MountedVolume fresh(v.image(), false);  // not mounted
  ASSERT_TRUE(RenameVolume(fresh.ctx, "Label"));
  EXPECT_EQ(VolumeName(fresh.ctx.volume), "Label");

  testing::ScratchDir dir;
  testing::WriteWholeFile(dir.Path("blank.img"), std::vector<std::uint8_t>(256 * 1024, 0));
  testing::MountedVolume blank(dir.Path("blank.img"), false);
  try {
    RenameVolume(blank.ctx, "Label");
    ADD_FAILURE() << "no volume, yet renamed";
  } catch (const FatalExit& exit) {
    EXPECT_EQ(exit.exitCode, 1);
    EXPECT_EQ(blank.ui.messages.back(), "This is not a Macintosh volume.");
  }
}

TEST_F(CatalogEditsTest, ASelectedRowIsRenamedByItsOwnName) {
  File("Q!");
  File("Q*");
  LoadListing(ctx());
  ListingView& view = ctx().listing;
  for (std::uint16_t row = 0; row < view.count; ++row) {
    if (view.rows[row].name == "Q*") SelectEntry(view, row);
  }
  v_.ui().answers = {"Renamed"};
  EXPECT_EQ(RenameSelectionCommand(ctx()), 1);
  EXPECT_TRUE(Has("Q!"));
  EXPECT_TRUE(Has("Renamed"));
  EXPECT_FALSE(Has("Q*"));
  EXPECT_TRUE(v_.ui().boxes.empty());
}

}  // namespace
}  // namespace tarvo
