#include "transfer/copy_to_mac.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/log_file.h"
#include "base/utf8.h"
#include "hfs/catalog_lookup.h"
#include "hfs/flush.h"
#include "hfs/mac_date.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "support/byte_pattern.h"
#include "support/edit_volume.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"
#include "transfer/copy_to_pc.h"
#include "transfer/mac_folder.h"
#include "ui/dispatcher.h"
#include "ui/name_dialog.h"

namespace tarvo {
namespace {

using testing::PatternBytes;
using testing::ShellQuote;
using Problems = std::vector<std::string>;
using Data = std::vector<std::uint8_t>;

class CopyToMacTest : public ::testing::Test {
 protected:
  CopyToMacTest() : pc_(v_.Path("pc")) { std::filesystem::create_directory(pc_); }
  ~CopyToMacTest() override { CloseLog(ctx().log); }
  Context& ctx() { return v_.ctx(); }
  std::string Put(const std::string& relative, const Data& bytes) {
    const std::filesystem::path path = pc_ / relative;
    std::filesystem::create_directories(path.parent_path());
    testing::WriteWholeFile(path.string(), bytes);
    return path.string();
  }
  PcCopyOutcome Copy(const std::string& pattern) { return CopyPcItems(ctx(), pc_, pattern, std::nullopt); }
  std::optional<CatalogRecord> Entry(const std::string& name) {
    return FindNamedRecord(ctx().volume.catalog, ctx().volume.current.currentDirId, name);
  }
  std::uint16_t Free() { return GetU16(ctx().volume.mdb, mdb::drFreeBks); }
  void ExpectWhole(const std::string& name, const Data& data, const Data& rsrc, const std::string& typeCreator,
                   std::uint16_t flags) {
    const testing::ExtractedFile got = v_.HfsutilsFile(name);
    EXPECT_EQ(got.data, data) << name;
    EXPECT_EQ(got.rsrc, rsrc) << name;
    EXPECT_EQ(got.type + got.creator, typeCreator) << name;
    EXPECT_EQ(got.finderFlags, flags) << name;
  }

  testing::EditVolume v_;
  std::filesystem::path pc_;
};

TEST_F(CopyToMacTest, ATakenNumberedNameTakesTheNextAndALongNameKeepsTheSuffixWithin31) {
  Put("README.TXT", PatternBytes(100, 1));
  ASSERT_EQ(Copy("README.TXT"), PcCopyOutcome::kDone);
  for (const char* name : {"Readme.txt (007)", "Readme.txt (008)"}) {
    ctx().settings.copiedFileCount = 6;
    v_.ui().answers = {"no"};
    ASSERT_EQ(Copy("README.TXT"), PcCopyOutcome::kDone);
    EXPECT_EQ(v_.ui().boxes.back(), "The file Readme.txt already exists. OK to replace it?");
    EXPECT_TRUE(Entry(name));
  }
  EXPECT_TRUE(Entry("Readme.txt (007)"));
  v_.ui().answers = {"cancel"};
  EXPECT_EQ(Copy("README.TXT"), PcCopyOutcome::kCancelled);

  Put("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.TXT", {});
  ASSERT_EQ(Copy("ABCDEF*"), PcCopyOutcome::kDone);
  v_.ui().answers = {"no"};
  ctx().settings.copiedFileCount = 41;
  ASSERT_EQ(Copy("ABCDEF*"), PcCopyOutcome::kDone);
  EXPECT_TRUE(Entry("Abcdefghijklmnopqrstuvwxy (042)"));
  EXPECT_EQ(v_.Problems(), Problems{});
}

TEST_F(CopyToMacTest, AMissingPcFileAndFilesOnlyCopyNothing) {
  EXPECT_EQ(CopyPcFile(ctx(), pc_ / "GONE.TXT", std::nullopt), PcCopyOutcome::kFailed);
  EXPECT_EQ(v_.ui().messages.back(), "Error opening file: GONE.TXT");
  ctx().settings.modeFlags |= kFilesOnly;
  Put("MORE/C.TXT", {1});
  ASSERT_EQ(Copy("MORE"), PcCopyOutcome::kDone);
  EXPECT_FALSE(Entry("More"));
  EXPECT_EQ(v_.Problems(), Problems{});
}

TEST_F(CopyToMacTest, CancelOnAFolderThatIsNotEmptyKeepsItAndGivesTheBlocksBack) {
  ASSERT_EQ(MakeMacFolder(ctx(), "Notes").status, FolderStatus::kCreated);
  ASSERT_TRUE(ChangeDirectory(ctx(), "Notes"));
  Put("INNER.TXT", PatternBytes(10, 3));
  ASSERT_EQ(Copy("INNER.TXT"), PcCopyOutcome::kDone);
  ASSERT_TRUE(RootDirectory(ctx()));
  const std::uint16_t free = Free();
  ASSERT_TRUE(OpenLogForCreate(ctx().log, v_.Path("copy.log")));
  std::fflush(ctx().log.file);
  const std::size_t logged = testing::ReadWholeFile(v_.Path("copy.log")).size();
  v_.ui().answers = {"yes", "cancel"};
  Put("NOTES", PatternBytes(3000, 4));
  EXPECT_EQ(Copy("NOTES"), PcCopyOutcome::kCancelled);
  EXPECT_EQ(v_.ui().boxes.back(), "The directory is not empty.");
  EXPECT_EQ(MacItemType(ctx(), "Notes"), MacItem::kFolder);
  EXPECT_EQ(Free(), free);
  std::fflush(ctx().log.file);
  EXPECT_EQ(testing::ReadWholeFile(v_.Path("copy.log")).size(), logged);
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsTree(), (std::set<std::string>{":Notes:", ":Notes:Inner.txt"}));
}

// hcopy -t converts line ends as Tarvo's text mode does, but the characters
// to and from Latin-1: its output, in UTF-8, is Tarvo's.
TEST_F(CopyToMacTest, TextCopiesAgreeWithHfsutilsAndLeaveOtherFilesAlone) {
  const std::string macText = "Caf\x8E cr\x8Fme br\x9Bl\x8E" "e\rNa\x96ve \x8D" "a \x9A" "ber\r\rend\r";
  const std::string mac = ShellQuote(Put("mac", {macText.begin(), macText.end()}));
  const std::string latin = ShellQuote((pc_ / "latin.txt").string());
  ASSERT_TRUE(v_.HfsutilsWrite({"hcopy -r " + mac + " :Mac", "hattrib -t TEXT :Mac", "hcopy -t :Mac " + latin,
                                "hcopy -t " + latin + " :Hfs"}));
  const Data latinBytes = testing::ReadWholeFile((pc_ / "latin.txt").string());
  std::filesystem::create_directory(pc_ / "out");
  DispatchCommand(ctx(), kMenuTextCopy);
  EXPECT_TRUE(ctx().menu.item(kMenuTextCopy).checked);
  {
    testing::InDirectory in(pc_ / "out");
    ASSERT_EQ(CopyMatchingItems(ctx(), "Mac", AskPcFileName), ItemCopy::kDone);
  }
  const Data out = testing::ReadWholeFile((pc_ / "out" / "Mac.txt").string());
  EXPECT_EQ(std::string(out.begin(), out.end()), AnsiToUtf8(std::string(latinBytes.begin(), latinBytes.end())));

  const Data binary = {'a', '\r', '\n', 0xFF, 0, 'b', '\n'};
  Put("out/binary.txt", binary);
  ASSERT_EQ(CopyPcItems(ctx(), pc_ / "out", "*", std::nullopt), PcCopyOutcome::kDone);
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  const testing::ExtractedFile back = v_.HfsutilsFile(":Mac.txt");
  EXPECT_EQ(std::string(back.data.begin(), back.data.end()), macText);
  EXPECT_EQ(back.data, v_.HfsutilsFile(":Hfs").data);
  EXPECT_EQ(back.type, "TEXT");
  EXPECT_EQ(v_.HfsutilsFile(":binary.txt").data, binary);
}

TEST_F(CopyToMacTest, AppleSingleAndAppleDoubleCopiesComeBackWhole) {
  const Data data = PatternBytes(3000, 5), rsrc = PatternBytes(700, 6);
  const std::string source =
      Put("both.bin", testing::MacBinaryFile("Both", "APPL", "TRVO", data, rsrc, 0xB0000001, 0xB0000002));
  ASSERT_TRUE(v_.HfsutilsWrite({"hcopy -m " + ShellQuote(source) + " :Both", "hattrib +i :Both"}));
  std::filesystem::remove(source);
  for (const std::uint16_t mode : {kCopyAppleSingle, kCopyAppleDouble}) {
    const std::string folder = mode == kCopyAppleSingle ? "Single" : "Double";
    std::filesystem::create_directory(pc_ / folder);
    ctx().settings.modeFlags = mode;
    {
      testing::InDirectory in(pc_ / folder);
      ASSERT_EQ(CopyMatchingItems(ctx(), "Both", AskPcFileName), ItemCopy::kDone);
    }
    ctx().settings.modeFlags = kCopyData;
    ASSERT_EQ(Copy(folder), PcCopyOutcome::kDone);
  }
  EXPECT_EQ(testing::ReadWholeFile((pc_ / "Double" / "Both.com").string()), data);
  const Data partner = testing::ReadWholeFile((pc_ / "Double" / "._Both.com").string());
  ASSERT_GE(partner.size(), 26u);
  EXPECT_EQ(GetU32(partner, 0), 0x00051607u);
  EXPECT_EQ(std::string(partner.begin() + 8, partner.begin() + 24), "Mac OS X        ");
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsTree(), (std::set<std::string>{":Both*", ":Double:", ":Double:Both*", ":Single:",
                                                      ":Single:Both*"}));
  for (const char* name : {":Single:Both", ":Double:Both"}) {
    ExpectWhole(name, data, rsrc, "APPLTRVO", 0x4000);
    EXPECT_EQ(v_.HfsutilsFile(name).created, 0xB0000001u) << name;
    EXPECT_EQ(v_.HfsutilsFile(name).modified, 0xB0000002u) << name;
  }
}

// Magic, version 2, filler, entry count, descriptors (id, offset, length),
// then the entries in order.
Data AppleFileBytes(std::uint32_t magic, const std::vector<std::pair<std::uint32_t, Data>>& entries) {
  Data bytes(26 + 12 * entries.size());
  PutU32(bytes, 0, magic);
  PutU32(bytes, 4, 0x00020000);
  PutU16(bytes, 24, static_cast<std::uint16_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    PutU32(bytes, 26 + 12 * i, entries[i].first);
    PutU32(bytes, 30 + 12 * i, static_cast<std::uint32_t>(bytes.size()));
    PutU32(bytes, 34 + 12 * i, static_cast<std::uint32_t>(entries[i].second.size()));
    bytes.insert(bytes.end(), entries[i].second.begin(), entries[i].second.end());
  }
  return bytes;
}

Data FinderInfo(const std::string& typeCreator, std::uint16_t flags) {
  Data info(typeCreator.begin(), typeCreator.end());
  info.resize(32);
  PutU16(info, 8, flags);
  return info;
}

TEST_F(CopyToMacTest, AppleSingleFilesAndAppleDoublePairsArriveWhole) {
  const Data data = PatternBytes(2000, 8), rsrc = PatternBytes(500, 9);
  const std::string name = "Sing\xA5";
  Data dates(16);
  PutU32(dates, 0, 0x10000000);
  PutU32(dates, 4, 0x10000100);
  PutU32(dates, 8, 0x80000000);
  PutU32(dates, 12, 0x80000000);
  Put("single.as", AppleFileBytes(0x00051600, {{3, {name.begin(), name.end()}},
                                               {9, FinderInfo("APPLTRVO", 0x4400)},
                                               {8, dates},
                                               {2, rsrc},
                                               {1, data}}));
  Put("pair.dat", data);
  Put("._pair.dat", AppleFileBytes(0x00051607, {{9, FinderInfo("TEXTttxt", 0x2000)}, {2, rsrc}}));
  Put("Zip/Sub/notes", data);
  Put("Zip/__MACOSX/Sub/._notes", AppleFileBytes(0x00051607, {{9, FinderInfo("PDF CARO", 0)}}));
  ASSERT_EQ(Copy("*"), PcCopyOutcome::kDone);
  EXPECT_EQ(v_.ui().messages, std::vector<std::string>{});
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsTree(), (std::set<std::string>{":Sing\xA5*", ":pair.dat", ":Zip:", ":Zip:Sub:",
                                                      ":Zip:Sub:notes"}));
  ExpectWhole(":Sing\xA5", data, rsrc, "APPLTRVO", 0x4400);
  EXPECT_EQ(v_.HfsutilsFile(":Sing\xA5").created, PcTimeToMacDate(946684800 + 0x10000000));
  EXPECT_EQ(v_.HfsutilsFile(":Sing\xA5").modified, PcTimeToMacDate(946684800 + 0x10000100));
  ExpectWhole(":pair.dat", data, rsrc, "TEXTttxt", 0x2000);
  const testing::ExtractedFile notes = v_.HfsutilsFile(":Zip:Sub:notes");
  EXPECT_EQ(notes.data, data);
  EXPECT_EQ(notes.type + notes.creator, "PDF CARO");
}

TEST_F(CopyToMacTest, DamagedAppleSingleAndAppleDoubleFiles) {
  Data bad = AppleFileBytes(0x00051600, {{1, PatternBytes(100, 1)}});
  bad.resize(bad.size() - 1);
  Put("bad.as", bad);
  const std::uint16_t free = Free();
  EXPECT_EQ(Copy("bad.as"), PcCopyOutcome::kFailed);
  EXPECT_EQ(v_.ui().messages.back(), "The file bad.as was not copied: its entries run past its end.");
  Data many = AppleFileBytes(0x00051600, {});
  PutU16(many, 24, 0xFFFF);
  Put("many.as", many);
  EXPECT_EQ(Copy("many.as"), PcCopyOutcome::kFailed);
  EXPECT_EQ(v_.ui().messages.back(), "The file many.as was not copied: it claims too many entries.");
  EXPECT_EQ(Free(), free);

  Put("plain.txt", PatternBytes(300, 2));
  Put("._plain.txt", Data(40, 7));
  ASSERT_EQ(Copy("*.txt"), PcCopyOutcome::kDone);
  EXPECT_EQ(v_.ui().messages.back(),
            "The file plain.txt: its AppleDouble file ._plain.txt is not used, as it is no AppleSingle or AppleDouble "
            "file; the data fork alone is copied.");
  ASSERT_TRUE(Entry("plain.txt"));
  EXPECT_EQ(DataLogicalLength(*Entry("plain.txt")), 300u);
  EXPECT_FALSE(Entry("._plain.txt"));
  EXPECT_EQ(v_.Problems(), Problems{});
}

}  // namespace
}  // namespace tarvo
