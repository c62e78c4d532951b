// Navigation on a volume hfsutils (run as a black box) builds, and the
// work files' absence from the temporary folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/extent_search.h"
#include "hfs/navigation.h"
#include "hfs/work_file.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::MountedVolume;
using testing::RunHfsutils;
using testing::ScratchDir;
using testing::ShellQuote;
using testing::WriteWholeFile;

std::optional<CatalogRecord> Find(MountedVolume& v, std::string_view pattern, int type, std::uint32_t parent) {
  const FoundRecord found = FindCatalogRecord(v.ctx.volume.catalog, pattern, type, parent);
  return found ? ReadCatalogRecord(found.record) : std::nullopt;
}

// Seven items in the root: folders Sub, Big (45 files), Many (300 files)
// and "\x80rger", files Both, Odd and "Caf\x8e".
class HfsVolumeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new ScratchDir;
    image_ = scratch_->Path("volume.img");
    const std::string home = scratch_->Path("");
    ASSERT_TRUE(testing::MakeHfsVolume(home, image_, "Test Vol", 40 * 1024));
    WriteWholeFile(scratch_->Path("a.txt"), std::vector<std::uint8_t>{'h'});
    std::string big = "hcopy -r", many = "hcopy -r";
    for (int i = 0; i < 300; ++i) {
      char name[8];
      std::snprintf(name, sizeof name, "f%03d", i);
      WriteWholeFile(scratch_->Path(name), std::vector<std::uint8_t>(name, name + 4));
      many += " " + ShellQuote(scratch_->Path(name));
      if (i < 45) big += " " + ShellQuote(scratch_->Path(name));
    }
    const std::string a = "hcopy -r " + ShellQuote(scratch_->Path("a.txt")) + " ";
    ASSERT_TRUE(RunHfsutils(home, image_,
                            {"hmkdir :Sub", "hmkdir :Big", "hmkdir :Many", "hmkdir " + ShellQuote(":\x80rger"),
                             a + ":Both", a + ":Odd", a + ShellQuote(":Caf\x8e"), big + " :Big:", many + " :Many:"}));
  }
  static void TearDownTestSuite() { delete scratch_; }

  void SetUp() override {
    v_ = std::make_unique<MountedVolume>(image_);
    ASSERT_EQ(v_->attachError, "");
    ASSERT_GT(v_->Mount(), 0);
  }

  static ScratchDir* scratch_;
  static std::string image_;
  std::unique_ptr<MountedVolume> v_;
};

ScratchDir* HfsVolumeTest::scratch_ = nullptr;
std::string HfsVolumeTest::image_;

TEST_F(HfsVolumeTest, NavigationReportsValencesAndLogsMoves) {
  std::FILE* log = std::tmpfile();
  v_->ctx.log.file = log;
  EXPECT_EQ(ChangeDirectory(v_->ctx, "big"), std::optional<std::uint16_t>(45));
  EXPECT_EQ(v_->ctx.volume.current.currentDirName, "Big ");
  EXPECT_EQ(v_->ctx.volume.current.parentDirId, kRootDirId);
  EXPECT_FALSE(ChangeDirectory(v_->ctx, "nothing"));
  EXPECT_EQ(v_->ctx.volume.current.currentDirName, "Big ");  // unchanged
  EXPECT_EQ(ParentDirectory(v_->ctx), std::optional<std::uint16_t>(7));
  EXPECT_EQ(v_->ctx.volume.current.currentDirName, "Root  ");
  EXPECT_FALSE(ParentDirectory(v_->ctx));  // the root has no parent
  EXPECT_EQ(ChangeDirectory(v_->ctx, "Many"), std::optional<std::uint16_t>(300));
  EXPECT_EQ(RootDirectory(v_->ctx), std::optional<std::uint16_t>(7));
  v_->ctx.log.file = nullptr;
  std::rewind(log);
  char text[64] = {};
  std::fread(text, 1, sizeof text - 1, log);
  std::fclose(log);
  EXPECT_STREQ(text, "*cd big\r\n*cd..\n*cd Many\r\n*cd\\\n");
}

TEST_F(HfsVolumeTest, WorkFilesLeaveNothingInTheTemporaryFolder) {
  ScratchDir temp;
  const char* saved = std::getenv("TMPDIR");
  const std::string restore = saved != nullptr ? saved : "";
  ::setenv("TMPDIR", temp.Path("").c_str(), 1);
  const std::optional<CatalogRecord> both = Find(*v_, "Both", kWantFile, kRootDirId);
  ASSERT_TRUE(both);
  EXPECT_EQ(OpenCatalogWorkFile(v_->ctx), 1);
  ASSERT_NE(FindExtentRecord(v_->ctx, 99, 0, kDataFork).status, SearchStatus::kDamaged);
  EXPECT_NE(v_->ctx.volume.extents.handle, nullptr);
  EXPECT_TRUE(std::filesystem::is_empty(temp.Path("")));
  EXPECT_EQ(OpenCatalogWorkFile(v_->ctx), 1);
  EXPECT_EQ(v_->ctx.volume.extents.handle, nullptr);
  EXPECT_TRUE(Find(*v_, "Both", kWantFile, kRootDirId));
  if (saved != nullptr) {
    ::setenv("TMPDIR", restore.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
}

}  // namespace
}  // namespace tarvo
