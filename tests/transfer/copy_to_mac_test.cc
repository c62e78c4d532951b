#include "transfer/copy_to_mac.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/utf8.h"
#include "hfs/allocation.h"
#include "hfs/catalog_lookup.h"
#include "hfs/flush.h"
#include "hfs/mac_date.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "support/edit_volume.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"
#include "transfer/copy_to_pc.h"
#include "transfer/binhex.h"
#include "transfer/copy_to_pc.h"
#include "transfer/log_file.h"
#include "transfer/mac_folder.h"
#include "ui/dispatcher.h"

namespace tarvo {
namespace {

using testing::EditVolume;
using testing::ShellQuote;
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

TEST_F(CopyToMacTest, ATakenNumberedNameTakesTheNextAndALongNameKeepsTheSuffixWithin31) {
  Put("README.TXT", Pattern(100, 1));
  ASSERT_EQ(Copy("README.TXT"), 0);
  for (const char* name : {"Readme.txt (007)", "Readme.txt (008)"}) {
    ctx().settings.copiedFileCount = 6;
    v_.ui().answers = {"no"};
    ASSERT_EQ(Copy("README.TXT"), 0);
    EXPECT_EQ(v_.ui().boxes.back(), "The file Readme.txt already exists. OK to replace it?");
    EXPECT_TRUE(Entry(name));
  }
  EXPECT_TRUE(Entry("Readme.txt (007)"));
  v_.ui().answers = {"cancel"};
  EXPECT_EQ(Copy("README.TXT"), kCopyCancelled);

  Put("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.TXT", {});
  ASSERT_EQ(Copy("ABCDEF*"), 0);
  v_.ui().answers = {"no"};
  ctx().settings.copiedFileCount = 41;
  ASSERT_EQ(Copy("ABCDEF*"), 0);
  EXPECT_TRUE(Entry("Abcdefghijklmnopqrstuvwxy (042)"));
  EXPECT_EQ(v_.Problems(), Problems{});
}

TEST_F(CopyToMacTest, AMissingPcFileAndFilesOnlyCopyNothing) {
  EXPECT_EQ(CopyPcFile(ctx(), pc_ / "GONE.TXT", std::nullopt), -1);
  EXPECT_EQ(v_.ui().messages.back(), "Error opening file: GONE.TXT");
  ctx().settings.modeFlags |= kFilesOnly;
  Put("MORE/C.TXT", {1});
  ASSERT_EQ(Copy("MORE"), 0);
  EXPECT_FALSE(Entry("More"));
  EXPECT_EQ(v_.Problems(), Problems{});
}

TEST(PcNamesTest, PatternsMatchTheDosWayAndNamesTurnIntoMacRoman) {
  EXPECT_TRUE(MatchesPcPattern("readme", "*.*"));
  EXPECT_TRUE(MatchesPcPattern("Read.Me.txt", "*.TXT"));
  EXPECT_TRUE(MatchesPcPattern("README", "READ*.*"));
  EXPECT_TRUE(MatchesPcPattern("a1.doc", "A?.DOC"));
  EXPECT_FALSE(MatchesPcPattern("a12.doc", "A?.DOC"));
  EXPECT_FALSE(MatchesPcPattern("notes.txt", "*.DOC"));
  EXPECT_EQ(MacNameForPcName("README.TXT"), "Readme.txt");
  EXPECT_EQ(MacNameForPcName("ReadMe.TXT"), "ReadMe.TXT");
  EXPECT_EQ(MacNameForPcName("CAF\xc3\x89.TXT"), "Caf\x8E.txt");  // É, Mac 83, lowered to é
  EXPECT_EQ(MacNameForPcName(std::string(40, 'X')), "X" + std::string(30, 'x'));
  EXPECT_EQ(MacNameForPcName("A:\x01" "B\xe2\x80\xa2\xcf\x80\xe4\xb8\xad"), "A_\x01" "b\xA5\xB9_");  // bullet, pi
  EXPECT_EQ(MacNameForPcName("  "), "Untitled");
}

// A folder that is not empty asks once more; Cancel keeps it, and the new
// file's blocks go back.
TEST_F(CopyToMacTest, CancelOnAFolderThatIsNotEmptyKeepsItAndGivesTheBlocksBack) {
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
  EXPECT_EQ(v_.HfsutilsTree(), (std::set<std::string>{":Notes:", ":Notes:Inner.txt"}));
}

// Files hfsutils packed from a volume (hcopy -m, hcopy -b) arrive as they
// left: both forks, type, creator, Finder flags and, from MacBinary, dates.
TEST_F(CopyToMacTest, FilesPackedByHfsutilsArriveWhole) {
  const std::vector<std::uint8_t> data = Pattern(3000, 5), rsrc = Pattern(700, 6);
  const std::string source = ShellQuote(
      Put("source.bin", testing::MacBinaryFile("Src", "APPL", "TRVO", data, rsrc, 0xB0000001, 0xB0000002)));
  ASSERT_TRUE(v_.HfsutilsWrite({"hcopy -m " + source + " :Mb", "hcopy -m " + source + " :Hx", "hattrib +i :Mb",
                                "hattrib +i :Hx", "hcopy -m :Mb " + ShellQuote((pc_ / "mb.bin").string()),
                                "hcopy -b :Hx " + ShellQuote((pc_ / "hx.hqx").string()), "hdel :Mb :Hx"}));
  ctx().settings.modeFlags = kCopyMacBinary;
  ASSERT_EQ(Copy("mb.bin"), 0);
  ctx().settings.modeFlags = kCopyBinHex;
  ASSERT_EQ(Copy("hx.hqx"), 0);
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  for (const char* name : {":Mb", ":Hx"}) {
    const testing::ExtractedFile got = v_.HfsutilsFile(name);
    EXPECT_EQ(got.data, data) << name;
    EXPECT_EQ(got.rsrc, rsrc) << name;
    EXPECT_EQ(got.type + got.creator, "APPLTRVO") << name;
    EXPECT_EQ(got.finderFlags, 0x4000) << name;  // invisible
  }
  EXPECT_EQ(v_.HfsutilsFile(":Mb").created, 0xB0000001u);
  EXPECT_EQ(v_.HfsutilsFile(":Mb").modified, 0xB0000002u);
}

// hcopy -t converts line ends as Tarvo's text mode does, but the characters
// to and from Latin-1: its output, in UTF-8, is Tarvo's. A Mac text goes
// out and comes back as it was, as hcopy -t brings the same text in; a
// file that is not UTF-8 text comes in as it is.
TEST_F(CopyToMacTest, TextCopiesAgreeWithHfsutilsAndLeaveOtherFilesAlone) {
  const std::string macText = "Caf\x8E cr\x8Fme br\x9Bl\x8E" "e\rNa\x96ve \x8D" "a \x9A" "ber\r\rend\r";
  const std::string mac = ShellQuote(Put("mac", {macText.begin(), macText.end()}));
  const std::string latin = ShellQuote((pc_ / "latin.txt").string());
  ASSERT_TRUE(v_.HfsutilsWrite({"hcopy -r " + mac + " :Mac", "hattrib -t TEXT :Mac", "hcopy -t :Mac " + latin,
                                "hcopy -t " + latin + " :Hfs"}));
  const std::vector<std::uint8_t> latinBytes = testing::ReadWholeFile((pc_ / "latin.txt").string());
  std::filesystem::create_directory(pc_ / "out");
  DispatchCommand(ctx(), kMenuTextCopy);
  EXPECT_TRUE(ctx().menu.item(kMenuTextCopy).checked);
  {
    testing::InDirectory in(pc_ / "out");
    ASSERT_EQ(CopyMatchingItems(ctx(), "Mac"), 0);
  }
  const std::vector<std::uint8_t> out = testing::ReadWholeFile((pc_ / "out" / "Mac.txt").string());
  EXPECT_EQ(std::string(out.begin(), out.end()), AnsiToUtf8(std::string(latinBytes.begin(), latinBytes.end())));

  const std::vector<std::uint8_t> binary = {'a', '\r', '\n', 0xFF, 0, 'b', '\n'};
  Put("out/binary.txt", binary);
  ASSERT_EQ(CopyPcItems(ctx(), pc_ / "out", "*", std::nullopt), 0);
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  const testing::ExtractedFile back = v_.HfsutilsFile(":Mac.txt");
  EXPECT_EQ(std::string(back.data.begin(), back.data.end()), macText);
  EXPECT_EQ(back.data, v_.HfsutilsFile(":Hfs").data);
  EXPECT_EQ(back.type, "TEXT");
  EXPECT_EQ(v_.HfsutilsFile(":binary.txt").data, binary);
}

TEST_F(CopyToMacTest, ADamagedOrCutBinHexFileIsRefusedWithNothingWritten) {
  BinHexFile file;
  file.name = "Hx";
  file.type = "TEXT";
  file.creator = "ttxt";
  file.dataFork = Pattern(3000, 7);
  const std::string text = EncodeBinHex(file);
  std::string flipped = text;
  flipped[text.size() / 2] = flipped[text.size() / 2] == 'a' ? 'b' : 'a';
  Put("flipped.hqx", {flipped.begin(), flipped.end()});
  Put("cut.hqx", {text.begin(), text.begin() + static_cast<std::ptrdiff_t>(text.size() / 2)});
  ctx().settings.modeFlags = kCopyBinHex;
  const std::uint16_t free = Free();
  EXPECT_EQ(Copy("flipped.hqx"), -1);
  EXPECT_EQ(v_.ui().messages.back(), "The file flipped.hqx was not copied: the CRC of its data fork is wrong.");
  EXPECT_EQ(Copy("cut.hqx"), -1);
  EXPECT_EQ(v_.ui().messages.back(), "The file cut.hqx was not copied: it is cut short.");
  EXPECT_FALSE(Entry("Hx"));
  EXPECT_EQ(Free(), free);
  EXPECT_EQ(v_.Problems(), Problems{});
}

// A file with both forks goes out as AppleSingle and as AppleDouble and
// comes back in from each whole; the "._" file comes back as no file.
TEST_F(CopyToMacTest, AppleSingleAndAppleDoubleCopiesComeBackWhole) {
  const std::vector<std::uint8_t> data = Pattern(3000, 5), rsrc = Pattern(700, 6);
  const std::string source =
      Put("both.bin", testing::MacBinaryFile("Both", "APPL", "TRVO", data, rsrc, 0xB0000001, 0xB0000002));
  ASSERT_TRUE(v_.HfsutilsWrite({"hcopy -m " + ShellQuote(source) + " :Both", "hattrib +i :Both"}));
  std::filesystem::remove(source);
  for (const std::uint16_t mode : {kCopyAppleSingle, kCopyAppleDouble}) {
    const std::string folder = mode == kCopyAppleSingle ? "Single" : "Double";
    const std::filesystem::path out = pc_ / folder;
    std::filesystem::create_directory(out);
    ctx().settings.modeFlags = mode;
    {
      testing::InDirectory in(out);
      ASSERT_EQ(CopyMatchingItems(ctx(), "Both"), 0);
    }
    ctx().settings.modeFlags = kCopyData;
    ASSERT_EQ(Copy(folder), 0);
  }
  EXPECT_EQ(testing::ReadWholeFile((pc_ / "Double" / "Both.com").string()), data);
  const std::vector<std::uint8_t> partner = testing::ReadWholeFile((pc_ / "Double" / "._Both.com").string());
  ASSERT_GE(partner.size(), 26u);
  EXPECT_EQ(GetU32(partner, 0), 0x00051607u);
  EXPECT_EQ(std::string(partner.begin() + 8, partner.begin() + 24), "Mac OS X        ");
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsTree(), (std::set<std::string>{":Both*", ":Double:", ":Double:Both*", ":Single:",
                                                      ":Single:Both*"}));
  for (const char* name : {":Single:Both", ":Double:Both"}) {
    const testing::ExtractedFile got = v_.HfsutilsFile(name);
    EXPECT_EQ(got.data, data) << name;
    EXPECT_EQ(got.rsrc, rsrc) << name;
    EXPECT_EQ(got.type + got.creator, "APPLTRVO") << name;
    EXPECT_EQ(got.finderFlags, 0x4000) << name;
    EXPECT_EQ(got.created, 0xB0000001u) << name;
    EXPECT_EQ(got.modified, 0xB0000002u) << name;
  }
}

// An AppleSingle or AppleDouble file laid out as RFC 1740 gives it:
// magic, version 2, filler, entry count, descriptors (id, offset, length),
// then the entries in order.
std::vector<std::uint8_t> AppleFileBytes(std::uint32_t magic,
                                         const std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>>& entries) {
  std::vector<std::uint8_t> bytes(26 + 12 * entries.size());
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

std::vector<std::uint8_t> FinderInfo(const std::string& typeCreator, std::uint16_t flags) {
  std::vector<std::uint8_t> info(typeCreator.begin(), typeCreator.end());
  info.resize(32);
  PutU16(info, 8, flags);
  return info;
}

std::vector<std::uint8_t> Dates(std::uint32_t created, std::uint32_t modified) {
  std::vector<std::uint8_t> dates(16);
  PutU32(dates, 0, created);
  PutU32(dates, 4, modified);
  PutU32(dates, 8, 0x80000000);
  PutU32(dates, 12, 0x80000000);
  return dates;
}

// Files as macOS and other tools write them: an AppleSingle file, a file
// with its "._" partner beside it, and one whose partner a zip archive put
// in "__MACOSX"; the partners and that folder are not copied themselves.
TEST_F(CopyToMacTest, AppleSingleFilesAndAppleDoublePairsArriveWhole) {
  const std::vector<std::uint8_t> data = Pattern(2000, 8), rsrc = Pattern(500, 9);
  const std::string name = "Sing\xA5";  // Mac Roman bullet
  Put("single.as", AppleFileBytes(0x00051600, {{3, {name.begin(), name.end()}},
                                               {9, FinderInfo("APPLTRVO", 0x4400)},
                                               {8, Dates(0x10000000, 0x10000100)},
                                               {2, rsrc},
                                               {1, data}}));
  Put("pair.dat", data);
  Put("._pair.dat", AppleFileBytes(0x00051607, {{9, FinderInfo("TEXTttxt", 0x2000)}, {2, rsrc}}));
  Put("Zip/Sub/notes", data);
  Put("Zip/__MACOSX/Sub/._notes", AppleFileBytes(0x00051607, {{9, FinderInfo("PDF CARO", 0)}}));
  ASSERT_EQ(Copy("*"), 0);
  EXPECT_EQ(v_.ui().messages, std::vector<std::string>{});
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsTree(), (std::set<std::string>{":Sing\xA5*", ":pair.dat", ":Zip:", ":Zip:Sub:",
                                                      ":Zip:Sub:notes"}));
  const testing::ExtractedFile single = v_.HfsutilsFile(":Sing\xA5");
  EXPECT_EQ(single.data, data);
  EXPECT_EQ(single.rsrc, rsrc);
  EXPECT_EQ(single.type + single.creator, "APPLTRVO");
  EXPECT_EQ(single.finderFlags, 0x4400);
  EXPECT_EQ(single.created, PcTimeToMacDate(946684800 + 0x10000000));
  EXPECT_EQ(single.modified, PcTimeToMacDate(946684800 + 0x10000100));
  const testing::ExtractedFile pair = v_.HfsutilsFile(":pair.dat");
  EXPECT_EQ(pair.data, data);
  EXPECT_EQ(pair.rsrc, rsrc);
  EXPECT_EQ(pair.type + pair.creator, "TEXTttxt");
  EXPECT_EQ(pair.finderFlags, 0x2000);
  const testing::ExtractedFile notes = v_.HfsutilsFile(":Zip:Sub:notes");
  EXPECT_EQ(notes.data, data);
  EXPECT_EQ(notes.type + notes.creator, "PDF CARO");
}

// A damaged AppleSingle file is refused; beside a damaged partner the
// plain file comes in alone, and the user is told.
TEST_F(CopyToMacTest, DamagedAppleSingleAndAppleDoubleFiles) {
  std::vector<std::uint8_t> bad = AppleFileBytes(0x00051600, {{1, Pattern(100, 1)}});
  bad.resize(bad.size() - 1);
  Put("bad.as", bad);
  const std::uint16_t free = Free();
  EXPECT_EQ(Copy("bad.as"), -1);
  EXPECT_EQ(v_.ui().messages.back(), "The file bad.as was not copied: its entries run past its end.");
  std::vector<std::uint8_t> many = AppleFileBytes(0x00051600, {});
  PutU16(many, 24, 0xFFFF);
  Put("many.as", many);
  EXPECT_EQ(Copy("many.as"), -1);
  EXPECT_EQ(v_.ui().messages.back(), "The file many.as was not copied: it claims too many entries.");
  EXPECT_EQ(Free(), free);

  Put("plain.txt", Pattern(300, 2));
  Put("._plain.txt", std::vector<std::uint8_t>(40, 7));
  ASSERT_EQ(Copy("*.txt"), 0);
  EXPECT_EQ(v_.ui().messages.back(),
            "The file plain.txt: its AppleDouble file ._plain.txt is not used, as it is no AppleSingle or AppleDouble "
            "file; the data fork alone is copied.");
  ASSERT_TRUE(Entry("plain.txt"));
  EXPECT_EQ(DataLogicalLength(*Entry("plain.txt")), 300u);
  EXPECT_FALSE(Entry("._plain.txt"));
  EXPECT_EQ(v_.Problems(), Problems{});
}

TEST_F(CopyToMacTest, AReplacementTooLargeEvenWithTheOldFilesBlocksIsRefusedAndTheOldFileKept) {
  const std::vector<std::uint8_t> old = Pattern(20 * Block(), 1);
  ASSERT_EQ(CopyNew("OLD.BIN", old), 0);
  ASSERT_EQ(CopyNew("FILLER.BIN", Pattern((Allocatable() - 6) * Block(), 2)), 0);
  ASSERT_EQ(Allocatable(), 6u);
  v_.ui().answers = {"yes"};
  EXPECT_EQ(CopyNew("OLD.BIN", Pattern(27 * Block(), 4)), -1);
  EXPECT_EQ(v_.ui().messages.back(), "Not enough space on the volume.");
  EXPECT_EQ(Entry("Old.bin") ? DataLogicalLength(*Entry("Old.bin")) : 0, old.size());
  EXPECT_EQ(v_.Problems(), Problems{});
  ASSERT_TRUE(FlushVolume(ctx()).ok());
  EXPECT_EQ(v_.HfsutilsFile(":Old.bin").data, old);
}

}  // namespace
}  // namespace tarvo
