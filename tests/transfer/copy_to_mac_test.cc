// Copying PC files and trees onto an hfsutils volume, and replacing items
// already there; hfsutils reads the result back.
#include "transfer/copy_to_mac.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utime.h>

#include "hfs/allocation.h"
#include "hfs/catalog_lookup.h"
#include "hfs/delete_entries.h"
#include "hfs/extent_search.h"
#include "hfs/flush.h"
#include "hfs/flush_report.h"
#include "hfs/mac_date.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "support/edit_volume.h"
#include "support/scratch_files.h"
#include "transfer/log_file.h"
#include "transfer/mac_folder.h"

namespace tarvo {
namespace {

using testing::EditVolume;
using Problems = std::vector<std::string>;

std::vector<std::uint8_t> Pattern(std::size_t n, int seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + seed + i / 251);
  return bytes;
}

class CopyToMacTest : public ::testing::Test {
 protected:
  CopyToMacTest() : pc_(v_.Path("pc")) { std::filesystem::create_directory(pc_); }
  ~CopyToMacTest() override { CloseLog(ctx().log); }
  Context& ctx() { return v_.ctx(); }
  std::string Put(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
    const std::filesystem::path path = pc_ / relative;
    std::filesystem::create_directories(path.parent_path());
    testing::WriteWholeFile(path.string(), bytes);
    return path.string();
  }
  int Copy(const std::string& pattern) { return CopyPcItems(ctx(), pc_, pattern, std::nullopt); }
  int CopyNew(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    Put(name, bytes);
    return Copy(name);
  }
  std::optional<CatalogRecord> Entry(const std::string& name) {
    return FindNamedRecord(ctx().volume.catalog, ctx().volume.current.currentDirId, name);
  }
  std::uint16_t Free() { return GetU16(ctx().volume.mdb, mdb::drFreeBks); }
  std::size_t Block() { return ctx().volume.allocBlockSize; }
  std::uint32_t Allocatable() {
    EXPECT_TRUE(EnsureBitmapLoaded(ctx()));
    return CountAllocatableBlocks(ctx().volume);
  }
  std::uint32_t DataLength(const std::string& name) {
    const std::optional<CatalogRecord> r = Entry(name);
    return r ? DataLogicalLength(*r) : 0;
  }
  // What the log gained since the last call (the first call opens it).
  std::string LogTail() {
    if (!ctx().log.file) {
      EXPECT_TRUE(OpenLogForCreate(ctx().log, v_.Path("copy.log")));
    }
    std::fflush(ctx().log.file);
    const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(v_.Path("copy.log"));
    std::string text(bytes.begin() + static_cast<std::ptrdiff_t>(logSeen_), bytes.end());
    logSeen_ = bytes.size();
    return text;
  }

  EditVolume v_;
  std::size_t logSeen_ = 0;
  std::filesystem::path pc_;
};

TEST_F(CopyToMacTest, ReadmeBecomesATextFileDatedFromThePcFile) {
  const std::vector<std::uint8_t> content = Pattern(1500, 1);
  const std::string path = Put("README.TXT", content);
  const std::time_t when = 1000000000;  // 2001-09-09
  utimbuf times{when, when};
  ASSERT_EQ(utime(path.c_str(), &times), 0);

  ASSERT_EQ(Copy("*.*"), 0);
  const std::optional<CatalogRecord> r = Entry("Readme.txt");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->key.name, "Readme.txt");
  EXPECT_EQ(FileType(*r), "TEXT");
  EXPECT_EQ(FileCreator(*r), "????");
  EXPECT_EQ(DataLogicalLength(*r), 1500u);
  EXPECT_EQ(ResourceLogicalLength(*r), 0u);
  const std::uint32_t local = PcTimeToMacDate(when);
  EXPECT_EQ(CreationDate(*r), local - local % 60);
  EXPECT_EQ(ModificationDate(*r), CreationDate(*r) + 1);
  EXPECT_EQ(v_.Problems(), Problems{});

  ASSERT_TRUE(FlushVolume(ctx()).ok());
  const testing::ExtractedFile out = v_.HfsutilsFile(":Readme.txt");
  ASSERT_TRUE(out.found);
  EXPECT_EQ(out.data, content);
  EXPECT_TRUE(out.rsrc.empty());
  EXPECT_EQ(out.type + out.creator, "TEXT????");
  EXPECT_EQ(out.modified, CreationDate(*r) + 1);
}

TEST_F(CopyToMacTest, AnExistingNameIsReplacedNumberedOrKept) {
  Put("README.TXT", Pattern(100, 1));
  ASSERT_EQ(Copy("README.TXT"), 0);
  // No: the count in three digits.
  ctx().settings.copiedFileCount = 6;
  v_.ui().answers = {"no"};
  ASSERT_EQ(Copy("README.TXT"), 0);
  EXPECT_EQ(v_.ui().boxes.back(), "The file Readme.txt already exists. OK to replace it?");
  EXPECT_TRUE(Entry("Readme.txt (007)"));
  // The numbered name taken as well: the next number, nothing deleted.
  ctx().settings.copiedFileCount = 6;
  v_.ui().answers = {"no"};
  ASSERT_EQ(Copy("README.TXT"), 0);
  EXPECT_TRUE(Entry("Readme.txt (007)"));
  EXPECT_TRUE(Entry("Readme.txt (008)"));
  // Cancel stops; Yes replaces.
  v_.ui().answers = {"cancel"};
  EXPECT_EQ(Copy("README.TXT"), kCopyCancelled);
  Put("README.TXT", Pattern(3000, 2));
  v_.ui().answers = {"yes"};
  ASSERT_EQ(Copy("README.TXT"), 0);
  EXPECT_EQ(DataLogicalLength(*Entry("Readme.txt")), 3000u);
  EXPECT_EQ(v_.Problems(), Problems{});

  // A long name keeps the suffix within 31 characters.
  Put("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.TXT", {});
  ASSERT_EQ(Copy("ABCDEF*"), 0);
  v_.ui().answers = {"no"};
  ctx().settings.copiedFileCount = 41;
  ASSERT_EQ(Copy("ABCDEF*"), 0);
  EXPECT_TRUE(Entry("Abcdefghijklmnopqrstuvwxy (042)"));
  EXPECT_EQ(v_.Problems(), Problems{});
}

TEST_F(CopyToMacTest, APcTreeBecomesFoldersAndZeroByteFilesHaveEmptyForks) {
  Put("DOCS/A.TXT", Pattern(10, 1));
  Put("DOCS/INNER/B.DOC", Pattern(5000, 2));
  Put("DOCS/EMPTY.BIN", {});
  std::filesystem::create_directories(pc_ / "DOCS" / ".hidden");
  Put("TOP.TXT", Pattern(1, 3));
  ASSERT_EQ(Copy("*.*"), 0);
  EXPECT_EQ(v_.Problems(), Problems{});
  const std::optional<CatalogRecord> docs = Entry("Docs");
  ASSERT_TRUE(docs);
  EXPECT_EQ(Valence(*docs), 3);  // A.TXT, EMPTY.BIN, INNER
  ASSERT_TRUE(FlushVolume(ctx()).ok());

  EXPECT_EQ(v_.HfsutilsTree(), (std::set<std::string>{":Docs:", ":Top.txt", ":Docs:A.txt", ":Docs:Empty.bin",
                                                      ":Docs:Inner:", ":Docs:Inner:B.doc"}));
  const testing::ExtractedFile doc = v_.HfsutilsFile(":Docs:Inner:B.doc");
  EXPECT_EQ(doc.data, Pattern(5000, 2));
  EXPECT_EQ(doc.type + doc.creator, "WDBNMSWD");
  const testing::ExtractedFile empty = v_.HfsutilsFile(":Docs:Empty.bin");
  EXPECT_TRUE(empty.found);
  EXPECT_TRUE(empty.data.empty());

  // Only files: the directory is skipped.
  ctx().settings.modeFlags |= kFilesOnly;
  Put("MORE/C.TXT", {1});
  ASSERT_EQ(Copy("MORE"), 0);
  EXPECT_FALSE(Entry("More"));
}

TEST_F(CopyToMacTest, MacBinaryRestoresBothForksUnderTheHeadersName) {
  ctx().settings.modeFlags = kCopyMacBinary;
  const std::string longName(40, 'm');
  Put("PACKED.BIN", testing::MacBinaryFile(longName, "APPL", "Tarv", Pattern(700, 4), Pattern(300, 5)));
  Put("PLAIN.TXT", {1, 2, 3});
  ASSERT_EQ(Copy("PACKED.BIN"), 0);
  const std::optional<CatalogRecord> r = Entry(std::string(31, 'm'));
  ASSERT_TRUE(r);
  EXPECT_EQ(FileType(*r) + FileCreator(*r), "APPLTarv");

  EXPECT_EQ(Copy("PLAIN.TXT"), -1);
  // A message, not the status line: the next file's status would hide it.
  EXPECT_EQ(v_.ui().messages.back(), "Not a MacBinary file. PLAIN.TXT");
  EXPECT_FALSE(Entry("Plain.txt"));

  // The same header again: the prompt names the header's name, No numbers it.
  v_.ui().answers = {"no"};
  ctx().settings.copiedFileCount = 1;
  ASSERT_EQ(Copy("PACKED.BIN"), 0);
  EXPECT_EQ(v_.ui().boxes.back(), "The file " + std::string(31, 'm') + " already exists. OK to replace it?");
  EXPECT_TRUE(Entry(std::string(25, 'm') + " (002)"));
  EXPECT_EQ(v_.Problems(), Problems{});

  ASSERT_TRUE(FlushVolume(ctx()).ok());
  const testing::ExtractedFile out = v_.HfsutilsFile(":" + std::string(31, 'm'));
  EXPECT_EQ(out.data, Pattern(700, 4));
  EXPECT_EQ(out.rsrc, Pattern(300, 5));
  EXPECT_EQ(out.type + out.creator, "APPLTarv");
}

TEST_F(CopyToMacTest, AForkOnScatteredSpaceGoesOnInTheExtentsTreeAndLeavesWithItsFile) {
  // Free space in holes of two blocks: a large file takes many extents.
  for (int i = 0; i < 40; ++i) Put("F" + std::to_string(100 + i) + ".BIN", Pattern(2 * 512, i));
  ASSERT_EQ(Copy("F*"), 0);
  for (int i = 0; i < 40; i += 2) ASSERT_EQ(DeleteFile(ctx(), "F" + std::to_string(100 + i) + ".bin"), DeleteStatus::kDone);
  for (int i = 0; i < 40; ++i) std::filesystem::remove(pc_ / ("F" + std::to_string(100 + i) + ".BIN"));
  EXPECT_EQ(v_.Problems(), Problems{});

  // Everything but 8 blocks filled, so the big file must use the holes.
  const std::uint16_t holes = 20 * 2;
  Put("FILLER.BIN", Pattern(std::size_t{512} * (Free() - holes - 8), 7));
  ASSERT_EQ(Copy("FILLER.BIN"), 0);
  const std::vector<std::uint8_t> big = Pattern(512 * 30, 9);
  Put("BIG.BIN", big);
  ASSERT_EQ(Copy("BIG.BIN"), 0);
  const std::optional<CatalogRecord> r = Entry("Big.bin");
  ASSERT_TRUE(r);
  const std::uint32_t id = FileId(*r);
  const std::uint16_t inRecord = GetU16(DataExtents(*r), 2) + GetU16(DataExtents(*r), 6) + GetU16(DataExtents(*r), 10);
  EXPECT_TRUE(FindExtentRecord(ctx(), id, inRecord, kDataFork));
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsFile(":Big.bin").data, big);

  const std::uint16_t before = Free();
  ASSERT_EQ(DeleteFile(ctx(), "Big.bin"), DeleteStatus::kDone);
  EXPECT_EQ(Free(), before + 30);
  EXPECT_FALSE(FindExtentRecord(ctx(), id, inRecord, kDataFork));
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  v_.Remount();
  EXPECT_EQ(v_.Problems(), Problems{});
}

TEST_F(CopyToMacTest, AFullVolumeAProtectedMediumAndAMissingFileLeaveTheVolumeAsItWas) {
  Put("KEPT.TXT", Pattern(900, 1));
  ASSERT_EQ(Copy("KEPT.TXT"), 0);
  const std::uint16_t free = Free();
  Put("HUGE.BIN", Pattern(std::size_t{512} * (free + 1), 2));
  EXPECT_EQ(Copy("HUGE.BIN"), -1);
  EXPECT_EQ(v_.ui().messages.back(), "Not enough space on the volume.");
  EXPECT_FALSE(Entry("Huge.bin"));
  EXPECT_EQ(Free(), free);
  std::filesystem::remove(pc_ / "HUGE.BIN");

  EXPECT_EQ(CopyPcFile(ctx(), pc_ / "GONE.TXT", std::nullopt), -1);
  EXPECT_EQ(v_.ui().messages.back(), "Error opening file: GONE.TXT");
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());

  // Every write refused: the file is not recorded and its blocks go back.
  v_.Remount(true);
  Put("NEW.TXT", Pattern(2000, 3));
  EXPECT_EQ(Copy("NEW.TXT"), -1);
  EXPECT_EQ(v_.ui().messages.back(), "Error writing to the volume: the file New.txt was not copied.");
  EXPECT_FALSE(Entry("New.txt"));
  EXPECT_EQ(Free(), free);
  EXPECT_EQ(v_.Problems(), Problems{});
  // Nothing changed, so the flush has nothing to write and nothing to report.
  EXPECT_TRUE(FlushVolumeAndReport(ctx()));
  EXPECT_EQ(v_.ui().messages.back(), "Error writing to the volume: the file New.txt was not copied.");
  v_.Remount();
  EXPECT_EQ(v_.HfsutilsTree(), std::set<std::string>{":Kept.txt"});
}

TEST(PcNamesTest, PatternsMatchTheDosWayAndNamesTurnIntoMacRoman) {
  EXPECT_TRUE(MatchesPcPattern("readme", "*.*"));
  EXPECT_TRUE(MatchesPcPattern("Read.Me.txt", "*.TXT"));
  EXPECT_TRUE(MatchesPcPattern("README", "READ*.*"));
  EXPECT_TRUE(MatchesPcPattern("a1.doc", "A?.DOC"));
  EXPECT_FALSE(MatchesPcPattern("a12.doc", "A?.DOC"));
  EXPECT_FALSE(MatchesPcPattern("notes.txt", "*.DOC"));
  EXPECT_EQ(MacNameForPcName("README.TXT"), "Readme.txt");
  EXPECT_EQ(MacNameForPcName("CAF\xc3\x89.TXT"), "Caf\x83.txt");  // É: ANSI C9, Mac 83
  EXPECT_EQ(MacNameForPcName(std::string(40, 'X')), "X" + std::string(30, 'x'));
  EXPECT_EQ(MacNameForPcName("A:\x01" "B\xe2\x80\xa2"), "A__b\xA5");  // bullet
  EXPECT_EQ(MacNameForPcName("  "), "Untitled");
}

TEST_F(CopyToMacTest, MakeMacFolderRefusesATakenNameAndLogs) {
  LogTail();
  const MadeFolder made = MakeMacFolder(ctx(), "PHOTOS");
  EXPECT_EQ(made.status, FolderStatus::kCreated);
  EXPECT_EQ(made.macName, "Photos");
  EXPECT_EQ(MakeMacFolder(ctx(), "photos").status, FolderStatus::kExists);
  EXPECT_EQ(v_.ui().messages.back(), "A directory exists already with this name.");
  EXPECT_EQ(MakeMacFolder(ctx(), "").macName, "New folder");
  EXPECT_EQ(MacItemType(ctx(), "Photos  "), MacItem::kFolder);
  EXPECT_EQ(LogTail(), "*md Photos\r\n*md New folder\r\n");
  EXPECT_EQ(v_.Problems(), Problems{});
}

// "Yes" to the replace question: the new file takes the old item's name.
TEST_F(CopyToMacTest, WithRoomForBothTheOldItemGoesOnceTheNewFileIsWritten) {
  ASSERT_EQ(CopyNew("README.TXT", Pattern(700, 1)), 0);
  LogTail();
  v_.ui().answers = {"yes"};
  ASSERT_EQ(CopyNew("README.TXT", Pattern(1900, 2)), 0);
  EXPECT_EQ(LogTail(), "*del Readme.txt\r\nREADME.TXT\tReadme.txt\r\n");
  EXPECT_EQ(DataLength("Readme.txt"), 1900u);
  EXPECT_EQ(v_.Problems(), Problems{});

  // A folder that is not empty asks once more; Cancel keeps it, and the
  // new file's blocks go back.
  ASSERT_EQ(MakeMacFolder(ctx(), "Notes").status, FolderStatus::kCreated);
  ASSERT_TRUE(ChangeDirectory(ctx(), "Notes"));
  ASSERT_EQ(CopyNew("INNER.TXT", Pattern(10, 3)), 0);
  ASSERT_TRUE(RootDirectory(ctx()));
  const std::uint16_t free = Free();
  LogTail();
  v_.ui().answers = {"yes", "cancel"};
  EXPECT_EQ(CopyNew("NOTES", Pattern(3000, 4)), kCopyCancelled);
  EXPECT_EQ(v_.ui().boxes.back(), "The directory is not empty.");
  EXPECT_EQ(MacItemType(ctx(), "Notes"), MacItem::kFolder);
  EXPECT_EQ(Free(), free);
  EXPECT_EQ(LogTail(), "");
  EXPECT_EQ(v_.Problems(), Problems{});

  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsTree(), (std::set<std::string>{":Readme.txt", ":Notes:", ":Notes:Inner.txt"}));
  EXPECT_EQ(v_.HfsutilsFile(":Readme.txt").data, Pattern(1900, 2));
}

TEST_F(CopyToMacTest, AFileLargerThanTheFreeSpaceTakesTheBlocksOfTheOneItReplaces) {
  ASSERT_EQ(CopyNew("OLD.BIN", Pattern(20 * Block(), 1)), 0);
  const std::vector<std::uint8_t> filler = Pattern((Allocatable() - 6) * Block(), 2);
  ASSERT_EQ(CopyNew("FILLER.BIN", filler), 0);
  ASSERT_EQ(Allocatable(), 6u);
  const std::uint16_t free = Free();
  LogTail();

  // 24 blocks: only with the old file's 20.
  const std::vector<std::uint8_t> larger = Pattern(24 * Block() - 100, 3);
  v_.ui().answers = {"yes"};
  ASSERT_EQ(CopyNew("OLD.BIN", larger), 0);
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
  EXPECT_EQ(CopyNew("OLD.BIN", Pattern(27 * Block(), 4)), -1);
  EXPECT_EQ(v_.ui().messages.back(), "Not enough space on the volume.");
  EXPECT_EQ(DataLength("Old.bin"), larger.size());
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsFile(":Old.bin").data, larger);
  EXPECT_EQ(v_.HfsutilsFile(":Filler.bin").data, filler);
}

}  // namespace
}  // namespace tarvo
