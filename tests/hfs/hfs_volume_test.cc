// The read side of the engine on a volume hfsutils (run as a black box)
// builds: navigation, forks that run past their extents, the work files and
// the volume header copies.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "base/big_endian.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/extent_search.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::MacBinaryFile;
using testing::MountedVolume;
using testing::ReadFileRange;
using testing::RunHfsutils;
using testing::ScratchDir;
using testing::ShellQuote;
using testing::WriteWholeFile;

std::vector<std::uint8_t> Pattern(std::size_t n, int seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + seed + i / 251);
  return bytes;
}

std::optional<CatalogRecord> Find(MountedVolume& v, std::string_view pattern, int type, std::uint32_t parent) {
  const FoundRecord found = FindCatalogRecord(v.ctx.volume.catalog, pattern, type, parent);
  return found ? ReadCatalogRecord(found.record) : std::nullopt;
}

// One 40 MB volume (1024-byte allocation blocks) for the whole suite:
//   :Sub:a.txt            TEXT/ttxt, data "hello"
//   :Both                 APPL/TEST, data 1000 bytes, resource 3000 bytes
//   :Odd                  data 1500 bytes (ends inside a block)
//   :Big:                 45 files;  :Many: 300 files f000..f299
//   :\x80rger:            a folder;  :Caf\x8e  a file (Mac Roman names)
class HfsVolumeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new ScratchDir;
    image_ = scratch_->Path("volume.img");
    const std::string home = scratch_->Path("");
    ASSERT_TRUE(testing::MakeHfsVolume(home, image_, "Test Vol", 40 * 1024));
    WriteWholeFile(scratch_->Path("a.txt"), std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'});
    WriteWholeFile(scratch_->Path("both.bin"), MacBinaryFile("Both", "APPL", "TEST", Pattern(1000, 1), Pattern(3000, 2)));
    WriteWholeFile(scratch_->Path("Odd"), Pattern(1500, 3));
    std::string big = "hcopy -r", many = "hcopy -r";
    for (int i = 0; i < 300; ++i) {
      char name[8];
      std::snprintf(name, sizeof name, "f%03d", i);
      WriteWholeFile(scratch_->Path(name), std::vector<std::uint8_t>(name, name + 4));
      many += " " + ShellQuote(scratch_->Path(name));
      if (i < 45) big += " " + ShellQuote(scratch_->Path(name));
    }
    ASSERT_TRUE(RunHfsutils(home, image_,
                            {"hmkdir :Sub", "hmkdir :Big", "hmkdir :Many", "hmkdir " + ShellQuote(":\x80rger"),
                             "hcopy -r " + ShellQuote(scratch_->Path("a.txt")) + " :Sub:a.txt",
                             "hattrib -t TEXT -c ttxt :Sub:a.txt",
                             "hcopy -m " + ShellQuote(scratch_->Path("both.bin")) + " :Both",
                             "hcopy -r " + ShellQuote(scratch_->Path("Odd")) + " :Odd",
                             "hcopy -r " + ShellQuote(scratch_->Path("a.txt")) + " " + ShellQuote(":Caf\x8e"),
                             big + " :Big:", many + " :Many:"}));
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
  ScratchDir out_;
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

TEST_F(HfsVolumeTest, AForkBeyondItsExtentsStopsWithAReport) {
  const std::optional<CatalogRecord> both = Find(*v_, "Both", kWantFile, kRootDirId);
  ASSERT_TRUE(both);
  std::uint8_t oneBlock[12] = {};
  PutU16(oneBlock, 0, GetU16(DataExtents(*both), 0));
  PutU16(oneBlock, 2, 1);
  std::FILE* out = std::tmpfile();
  const ForkCopy copy = CopyForkToFile(v_->ctx, oneBlock, out, FileId(*both), 5000, kDataFork);
  std::fclose(out);
  EXPECT_EQ(copy.status, ForkCopyStatus::kExtentsMissing);
  EXPECT_EQ(copy.copiedBytes, 1024u);
  EXPECT_NE(v_->ctx.volume.extents.handle, nullptr);  // opened for the lookup
}

// The work files have no name in the temporary folder from the moment
// they are open, so a program killed while mounted leaves none there.
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

TEST_F(HfsVolumeTest, HeaderIsWrittenToBothCopiesButNeverIntoTheVolume) {
  const std::string copy = out_.Path("copy.img");
  std::filesystem::copy_file(image_, copy);
  MountedVolume v(copy, false);
  ASSERT_GT(v.Mount(), 0);
  PutU32(v.ctx.volume.mdb, mdb::drFilCnt, 0x12345678);
  ASSERT_EQ(WriteVolumeHeader(v.ctx), 0);
  const std::uint32_t last = v.ctx.volume.deviceSectors;
  EXPECT_EQ(GetU32(ReadFileRange(copy, 2 * 512, 512), mdb::drFilCnt), 0x12345678u);
  EXPECT_EQ(GetU32(ReadFileRange(copy, std::uint64_t{last - 2} * 512, 512), mdb::drFilCnt), 0x12345678u);

  // A device size that would put the alternate inside the allocation area.
  PutU32(v.ctx.volume.mdb, mdb::drFilCnt, 0x0BADF00D);
  v.ctx.volume.deviceSectors = 1000;
  ASSERT_EQ(WriteVolumeHeader(v.ctx), 0);
  EXPECT_NE(GetU32(ReadFileRange(copy, 998 * 512, 512), mdb::drFilCnt), 0x0BADF00Du);
}

}  // namespace
}  // namespace tarvo
