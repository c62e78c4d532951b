// "Yes" to the replace question on an hfsutils volume: the new file takes
// the old item's name with the log telling so, also when the volume has
// room for the new file only once the old one is gone; hfsutils (a black
// box) reads the result back.
#include "transfer/replace_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "hfs/allocation.h"
#include "hfs/catalog_lookup.h"
#include "hfs/flush.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "support/edit_volume.h"
#include "support/scratch_files.h"
#include "transfer/copy_to_mac.h"
#include "transfer/log_file.h"
#include "transfer/mac_folder.h"

namespace tarvo {
namespace {

using testing::EditVolume;
using Problems = std::vector<std::string>;

std::vector<std::uint8_t> Pattern(std::size_t n, int seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 29 + seed + i / 509);
  return bytes;
}

class ReplaceFileTest : public ::testing::Test {
 protected:
  ReplaceFileTest() : pc_(v_.Path("pc")) {
    std::filesystem::create_directory(pc_);
    EXPECT_TRUE(OpenLogForCreate(ctx().log, v_.Path("copy.log")));
  }
  ~ReplaceFileTest() override { CloseLog(ctx().log); }
  Context& ctx() { return v_.ctx(); }
  std::size_t Block() { return ctx().volume.allocBlockSize; }
  std::uint16_t Free() { return GetU16(ctx().volume.mdb, mdb::drFreeBks); }
  std::uint32_t Allocatable() {
    EXPECT_TRUE(EnsureBitmapLoaded(ctx()));
    return CountAllocatableBlocks(ctx().volume);
  }
  // The PC file NAME with the content, copied into the current folder.
  int Copy(const std::string& name, const std::vector<std::uint8_t>& content) {
    testing::WriteWholeFile((pc_ / name).string(), content);
    return CopyPcItems(ctx(), pc_, name, std::nullopt);
  }
  std::uint32_t DataLength(const std::string& macName) {
    const std::optional<CatalogRecord> r = FindNamedRecord(ctx().volume.catalog, kRootDirId, macName);
    return r ? DataLogicalLength(*r) : 0;
  }
  // What the log gained since the last call.
  std::string LogTail() {
    std::fflush(ctx().log.file);
    const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(v_.Path("copy.log"));
    std::string text(bytes.begin() + static_cast<std::ptrdiff_t>(logSeen_), bytes.end());
    logSeen_ = bytes.size();
    return text;
  }

  EditVolume v_;
  std::filesystem::path pc_;
  std::size_t logSeen_ = 0;
};

TEST_F(ReplaceFileTest, WithRoomForBothTheOldItemGoesOnceTheNewFileIsWritten) {
  ASSERT_EQ(Copy("README.TXT", Pattern(700, 1)), 0);
  LogTail();
  v_.ui().answers = {"yes"};
  ASSERT_EQ(Copy("README.TXT", Pattern(1900, 2)), 0);
  EXPECT_EQ(LogTail(), "*del Readme.txt\r\nREADME.TXT\tReadme.txt\r\n");
  EXPECT_EQ(DataLength("Readme.txt"), 1900u);
  EXPECT_EQ(v_.Problems(), Problems{});

  // A folder that is not empty asks once more; Cancel keeps it, and the
  // new file's blocks go back.
  ASSERT_EQ(MakeMacFolder(ctx(), "Notes").status, FolderStatus::kCreated);
  ASSERT_TRUE(ChangeDirectory(ctx(), "Notes"));
  ASSERT_EQ(Copy("INNER.TXT", Pattern(10, 3)), 0);
  ASSERT_TRUE(RootDirectory(ctx()));
  const std::uint16_t free = Free();
  LogTail();
  v_.ui().answers = {"yes", "cancel"};
  EXPECT_EQ(Copy("NOTES", Pattern(3000, 4)), kCopyCancelled);
  EXPECT_EQ(v_.ui().boxes.back(), "The directory is not empty.");
  EXPECT_EQ(MacItemType(ctx(), "Notes"), MacItem::kFolder);
  EXPECT_EQ(Free(), free);
  EXPECT_EQ(LogTail(), "");
  EXPECT_EQ(v_.Problems(), Problems{});

  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsTree(), (std::set<std::string>{":Readme.txt", ":Notes:", ":Notes:Inner.txt"}));
  EXPECT_EQ(v_.HfsutilsFile(":Readme.txt").data, Pattern(1900, 2));
}

TEST_F(ReplaceFileTest, AFileLargerThanTheFreeSpaceTakesTheBlocksOfTheOneItReplaces) {
  ASSERT_EQ(Copy("OLD.BIN", Pattern(20 * Block(), 1)), 0);
  const std::vector<std::uint8_t> filler = Pattern((Allocatable() - 6) * Block(), 2);
  ASSERT_EQ(Copy("FILLER.BIN", filler), 0);
  ASSERT_EQ(Allocatable(), 6u);
  const std::uint16_t free = Free();
  LogTail();

  // 24 blocks: only with the old file's 20.
  const std::vector<std::uint8_t> larger = Pattern(24 * Block() - 100, 3);
  v_.ui().answers = {"yes"};
  ASSERT_EQ(Copy("OLD.BIN", larger), 0);
  EXPECT_EQ(v_.ui().messages, std::vector<std::string>{});
  EXPECT_EQ(LogTail(), "*del Old.bin\r\nOLD.BIN\tOld.bin\r\n");
  EXPECT_EQ(DataLength("Old.bin"), larger.size());
  EXPECT_EQ(Free(), free - 4);
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsTree(), (std::set<std::string>{":Old.bin", ":Filler.bin"}));
  EXPECT_EQ(v_.HfsutilsFile(":Old.bin").data, larger);

  // Too large even without the old file: refused, the old file kept.
  v_.ui().answers = {"yes"};
  EXPECT_EQ(Copy("OLD.BIN", Pattern(27 * Block(), 4)), -1);
  EXPECT_EQ(v_.ui().messages.back(), "Not enough space on the volume.");
  EXPECT_EQ(DataLength("Old.bin"), larger.size());
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsFile(":Old.bin").data, larger);
  EXPECT_EQ(v_.HfsutilsFile(":Filler.bin").data, filler);
}

}  // namespace
}  // namespace tarvo
