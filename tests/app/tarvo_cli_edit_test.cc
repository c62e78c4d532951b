// tarvo-cli changing a volume: MCOPY of a PC tree, the menu commands, and
// the write guards of 1024-byte and damaged media.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "base/big_endian.h"
#include "hfs/volume_header.h"
#include "support/byte_pattern.h"
#include "support/cli_image.h"
#include "support/edit_volume.h"

namespace tarvo {
namespace {

using testing::PatternBytes;
namespace fs = std::filesystem;
using Bytes8 = std::vector<std::uint8_t>;
using testing::CliResult;
using testing::CountOf;

constexpr const char* kRefusal = "Write functions are not yet validated for media with 1024 bytes/sector.";
// 2024-03-01 12:34:00 UTC, a whole minute: the copy drops the seconds.
constexpr std::int64_t kPcTime = 1709296440;
constexpr std::uint32_t kMacTime = static_cast<std::uint32_t>(kPcTime + 2082844800);

class TarvoCliEditTest : public ::testing::Test {
 protected:
  TarvoCliEditTest() : volume_(2048, "Edits") { cli_.env = {"TZ=UTC"}; }

  CliResult Run(const std::vector<std::string>& args, const std::string& input = "") { return cli_.Run(args, input); }
  void ExpectClean() { cli_.ExpectClean(); }
  std::string Pc(const std::string& name) const { return scratch_.Path("pc/" + name); }
  void PcFile(const std::string& name, const Bytes8& bytes) {
    fs::create_directories(fs::path(Pc(name)).parent_path());
    testing::WriteWholeFile(Pc(name), bytes);
    fs::last_write_time(Pc(name), fs::file_time_type::clock::from_sys(
                                      std::chrono::sys_seconds(std::chrono::seconds(kPcTime))));
  }
  Bytes8 Image() const { return testing::ReadWholeFile(volume_.image()); }
  std::set<std::string> Tree() { return volume_.HfsutilsTree(); }

  testing::ScratchDir scratch_;
  testing::EditVolume volume_;
  testing::ImageCli cli_{scratch_, volume_.image()};
};

Bytes8 Text(const std::string& text) { return Bytes8(text.begin(), text.end()); }

TEST_F(TarvoCliEditTest, McopyCopiesAPcTreeThatHfsutilsReadsBack) {
  PcFile("README.TXT", Text("hello\n"));
  PcFile("LETTER.DOC", PatternBytes(3000));
  PcFile("tree/big.dat", PatternBytes(70000));
  PcFile("tree/sub/deep/NOTE.TXT", Text("deep\n"));
  PcFile("tree/EMPTY.TXT", {});
  Bytes8 packed = testing::MacBinaryFile("Packed App", "APPL", "Tarv", PatternBytes(1000), PatternBytes(600));
  for (int i = 0; i < 4; ++i) {
    packed[91 + i] = static_cast<std::uint8_t>(0xB0123456u >> (24 - 8 * i));  // created
    packed[95 + i] = static_cast<std::uint8_t>(0xB0654321u >> (24 - 8 * i));  // modified
  }
  PcFile("app.bin", packed);

  const CliResult run = Run({"-c", "mcopy *.txt", "-c", "mcopy LETTER.*", "-c", "mcopy tree", "-c", "mcopy /b app.bin"});
  EXPECT_EQ(run.err,
            "Tarvo: 1 file copied, 6 bytes; 0 skipped, 0 failed.\n"
            "Tarvo: 1 file copied, 3000 bytes; 0 skipped, 0 failed.\n"
            "Tarvo: 3 files copied, 70005 bytes; 0 skipped, 0 failed.\n"
            "Tarvo: 1 file copied, 1792 bytes; 0 skipped, 0 failed.\n");
  ExpectClean();
  EXPECT_EQ(Tree(), (std::set<std::string>{":Readme.txt", ":Letter.doc", ":tree:", ":Packed App*", ":tree:big.dat",
                                           ":tree:Empty.txt", ":tree:sub:", ":tree:sub:deep:",
                                           ":tree:sub:deep:Note.txt"}));

  const testing::ExtractedFile readme = volume_.HfsutilsFile(":Readme.txt");
  EXPECT_EQ(readme.type + readme.creator, "TEXT????");
  EXPECT_EQ(readme.data, Text("hello\n"));
  EXPECT_TRUE(readme.rsrc.empty());
  EXPECT_EQ(readme.created, kMacTime);
  EXPECT_EQ(readme.modified, kMacTime + 1);
  const testing::ExtractedFile letter = volume_.HfsutilsFile(":Letter.doc");
  EXPECT_EQ(letter.type + letter.creator, "WDBNMSWD");
  EXPECT_EQ(letter.data, PatternBytes(3000));
  EXPECT_EQ(volume_.HfsutilsFile(":tree:big.dat").data, PatternBytes(70000));
  EXPECT_EQ(volume_.HfsutilsFile(":tree:sub:deep:Note.txt").data, Text("deep\n"));
  EXPECT_TRUE(volume_.HfsutilsFile(":tree:Empty.txt").found);
  const testing::ExtractedFile app = volume_.HfsutilsFile(":Packed App");
  EXPECT_EQ(app.type + app.creator, "APPLTarv");
  EXPECT_EQ(app.data, PatternBytes(1000));
  EXPECT_EQ(app.rsrc, PatternBytes(600));
  EXPECT_EQ(app.created, 0xB0123456u);
  EXPECT_EQ(app.modified, 0xB0654321u);

  const Bytes8 before = Image();
  Run({"-c", "mcopy *.none"});
  EXPECT_EQ(Image(), before);
  PcFile("PLAIN.TXT", Text("plain\n"));
  EXPECT_EQ(Run({"-c", "mcopy /b PLAIN.TXT"}).err,
            "Tarvo: Not a MacBinary file. PLAIN.TXT\nTarvo: 0 files copied, 0 bytes; 0 skipped, 1 failed.\n");
  EXPECT_EQ(Image(), before);
}

TEST_F(TarvoCliEditTest, MenuCommandsAskOnStandardInput) {
  PcFile("ONE.TXT", Text("one"));
  PcFile("TWO.TXT", Text("two"));
  PcFile("skip.dat", Text("x"));
  Run({"--menu", "111"}, "Menu folder\n");
  Run({"--menu", "107"}, "mask *.txt\nselect TWO.TXT\n");
  Run({"--select", "Menu*", "--menu", "113"}, "Renamed\n");
  Run({"--menu", "103"}, "Relabelled\n");
  ExpectClean();
  EXPECT_EQ(Tree(), (std::set<std::string>{":Renamed:", ":Two.txt"}));
  EXPECT_NE(Run({"-c", "dir"}).out.find("Vol: Relabelled"), std::string::npos);

  Run({"--menu", "107"}, "cd ..\ncd pc\nall\nyes\n");
  EXPECT_EQ(Tree(), (std::set<std::string>{":Renamed:", ":Two.txt", ":One.txt", ":skip.dat"}));
  Run({"--menu", "107"}, "select ONE.TXT\nno\n");
  EXPECT_TRUE(Tree().contains(":One.txt (001)")) << ::testing::PrintToString(Tree());
  // A rename to a name taken is refused and told; one with a wildcard on
  // one side only asks first.
  const CliResult taken = Run({"-c", "rename One.txt Two.txt"});
  EXPECT_EQ(CountOf(taken.err, "An item exists already with the name Two.txt."), 1) << taken.err;
  const CliResult oneSided = Run({"-c", "rename One* X"}, "cancel\n");
  EXPECT_EQ(CountOf(oneSided.err, "Renaming with a wildcard on one side only?"), 1) << oneSided.err;
  EXPECT_TRUE(Tree().contains(":One.txt"));

  const Bytes8 before = Image();
  Run({"--select", "*.txt", "--menu", "112"}, "cancel\n");
  EXPECT_EQ(Image(), before);
  const CliResult deleted = Run({"--select", "*", "--menu", "112"}, "ok\n");
  EXPECT_EQ(CountOf(deleted.err, "Deleting several files/directories?"), 1);
  ExpectClean();
  EXPECT_TRUE(Tree().empty());
}

TEST_F(TarvoCliEditTest, MediaWith1024ByteSectorsRefuseEveryWrite) {
  Bytes8 image = Image();
  image[0] = 'E', image[1] = 'R', image[2] = 0x04, image[3] = 0x00;
  testing::WriteWholeFile(volume_.image(), image);
  PcFile("A.TXT", Text("a"));
  cli_.pickDrive = false;
  const CliResult run = cli_.Run({"--select", "*", "-c", "md X", "-c", "rename a b", "-c", "label L", "-c", "delete *",
                             "-c", "erase *", "-c", "mcopy *", "-c", "attrib", "--menu", "103", "--menu", "107",
                             "--menu", "111", "--menu", "112", "--menu", "113", "-c", "dir"},
                                "", ",1024");
  EXPECT_EQ(CountOf(run.err, kRefusal), 12) << run.err;
  EXPECT_NE(run.out.find("Vol: Edits"), std::string::npos);
  EXPECT_EQ(Image(), image);
}

// Catalog extents after an empty descriptor are not the catalog's: writes
// are refused; an empty descriptor that merely ends the record is sound.
TEST_F(TarvoCliEditTest, CatalogExtentRecordEndsAtItsFirstEmptyDescriptor) {
  constexpr std::size_t kCatalogExtents = 1024 + mdb::drCTExtRec;
  Bytes8 image = Image();
  const std::uint16_t start = GetU16(image, kCatalogExtents);
  const std::uint16_t count = GetU16(image, kCatalogExtents + 2);
  ASSERT_GT(count, 4);
  ASSERT_EQ(GetU16(image, kCatalogExtents + 6), 0);
  PutU16(image, kCatalogExtents + 2, 4);
  PutU16(image, kCatalogExtents + 4, static_cast<std::uint16_t>(start + 4));
  PutU16(image, kCatalogExtents + 8, static_cast<std::uint16_t>(start + 4));
  PutU16(image, kCatalogExtents + 10, static_cast<std::uint16_t>(count - 4));
  testing::WriteWholeFile(volume_.image(), image);
  const CliResult check = Run({"--check"});
  EXPECT_EQ(check.exitCode, 1);
  EXPECT_NE(check.out.find("The catalog file: blocks " + std::to_string(start + 4) + "-" +
                           std::to_string(start + count - 1) +
                           " follow an empty extent descriptor and are not part of the fork\n"),
            std::string::npos)
      << check.out;
  PcFile("A.TXT", Text("a"));
  for (const std::string write : {"md X", "mcopy A.TXT", "label L"}) {
    const CliResult refused = Run({"-c", write});
    EXPECT_NE(refused.err.find("The volume is damaged where this command would write:"), std::string::npos)
        << write << ": " << refused.err;
    EXPECT_TRUE(Image() == image) << write << " changed the image";
  }

  PutU16(image, kCatalogExtents + 2, count);
  PutU16(image, kCatalogExtents + 10, 0);
  testing::WriteWholeFile(volume_.image(), image);
  ExpectClean();
  Run({"-c", "md X", "-c", "mcopy A.TXT"});
  ExpectClean();
  EXPECT_EQ(Tree(), (std::set<std::string>{":X:", ":A.txt"}));
}

}  // namespace
}  // namespace tarvo
