// tarvo-cli and names beyond ASCII: typed in a UTF-8 terminal, taken from
// PC file names and from MacBinary headers, they reach the catalog whole,
// in Mac Roman, and find what they name; hfsutils (a black box) reads the
// names back byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/cli_image.h"
#include "support/edit_volume.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using Bytes8 = std::vector<std::uint8_t>;
using testing::CliResult;

Bytes8 Text(const std::string& text) { return Bytes8(text.begin(), text.end()); }

class TarvoCliNamesTest : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args) {
    CliResult result = cli_.Run(args);
    EXPECT_EQ(result.err, "");
    return result;
  }
  void ExpectClean() { EXPECT_EQ(Run({"--check"}).out, "Volume check: no problems found.\n"); }
  std::string Pc(const std::string& name) const { return scratch_.Path("pc/" + name); }
  // A file made by hfsutils from the given content.
  void HfsutilsFile(const std::string& macName, const std::string& content) {
    const std::string source = scratch_.Path("source");
    testing::WriteWholeFile(source, Text(content));
    ASSERT_TRUE(volume_.HfsutilsWrite({"hcopy -r " + source + " " + testing::ShellQuote(":" + macName)}));
    fs::remove(source);
  }

  testing::ScratchDir scratch_;
  testing::EditVolume volume_;
  testing::ImageCli cli_{scratch_, volume_.image()};
};

// MD keeps the name's case unless it is all capitals (NEWDIR becomes
// Newdir); nothing else changes but ':' and control characters, which
// become '_', as do the Windows characters Mac Roman lacks (Š, ½).
TEST_F(TarvoCliNamesTest, TypedFolderNamesKeepEveryCharacter) {
  Run({"-c", "md \"Tips • tricks\"", "-c", "md \"Price € ‰ † ‡ ƒ\"", "-c", "md \"“Quote” ‘a’ – — … ™\"",
       "-c", "md \"Œuvre œ ‹› ˆ˜ Ÿ · nbsp\u00a0x\"", "-c", "md \"a:b\x01" "c Š ½\"", "-c", "md \"π≠∞ ﬁ\uF8FF ı˚\"",
       "-c", "md \"My Photos\"", "-c", "md NEWDIR"});
  ExpectClean();
  EXPECT_EQ(volume_.HfsutilsTree(),
            (std::set<std::string>{":Tips \xA5 tricks:", ":Price \xDB \xE4 \xA0 \xE0 \xC4:",
                                   ":\xD2Quote\xD3 \xD4" "a\xD5 \xD0 \xD1 \xC9 \xAA:",
                                   ":\xCEuvre \xCF \xDC\xDD \xF6\xF7 \xD9 \xE1 nbsp\xCAx:", ":a_b_c _ _:",
                                   ":\xB9\xAD\xB0 \xDE\xF0 \xF5\xFB:", ":My Photos:", ":Newdir:"}));
  // Shown as typed, and found by the name shown.
  const std::string listed = Run({"-c", "dir"}).out;
  EXPECT_NE(listed.find("Tips • tricks"), std::string::npos);
  EXPECT_NE(listed.find("π≠∞ ﬁ\uF8FF ı˚"), std::string::npos);
  Run({"-c", "rename \"Tips • tricks\" \"Tips – tricks\"", "-c", "delete \"“Quote” ‘a’ – — … ™\"",
       "-c", "rename \"π≠∞ ﬁ\uF8FF ı˚\" \"∆ ≈\""});
  EXPECT_TRUE(volume_.HfsutilsTree().contains(":Tips \xD0 tricks:"));
  EXPECT_TRUE(volume_.HfsutilsTree().contains(":\xC6 \xC5:"));
  EXPECT_FALSE(volume_.HfsutilsTree().contains(":\xD2Quote\xD3 \xD4" "a\xD5 \xD0 \xD1 \xC9 \xAA:"));
}

TEST_F(TarvoCliNamesTest, ATrademarkNameIsNotTheNameWithoutIt) {
  HfsutilsFile("StuffIt Expander", "plain\n");
  HfsutilsFile("StuffIt Expander\xAA", "trademark\n");
  Run({"-c", "copy \"StuffIt Expander™\""});
  std::vector<std::string> copied;
  for (const fs::directory_entry& entry : fs::directory_iterator(Pc(""))) {
    copied.push_back(entry.path().filename().string());
  }
  ASSERT_EQ(copied.size(), 1u);
  EXPECT_TRUE(copied[0].starts_with("StuffIt Expander™")) << copied[0];
  EXPECT_EQ(testing::ReadWholeFile(Pc(copied[0])), Text("trademark\n"));

  Run({"-c", "delete \"StuffIt Expander™\""});
  ExpectClean();
  EXPECT_EQ(volume_.HfsutilsTree(), std::set<std::string>{":StuffIt Expander"});
}

TEST_F(TarvoCliNamesTest, PcAndMacBinaryNamesArriveWholeAndClean) {
  testing::WriteWholeFile(Pc("Tips • Tricks™.TXT"), Text("tips\n"));
  testing::WriteWholeFile(Pc("odd.bin"), testing::MacBinaryFile("a:b\x01\x1F" "c\x7F\xA5", "TEXT", "ttxt",
                                                                Text("odd\n"), {}));
  Run({"-c", "mcopy *.txt", "-c", "mcopy /b odd.bin"});
  ExpectClean();
  EXPECT_EQ(volume_.HfsutilsTree(), (std::set<std::string>{":Tips \xA5 Tricks\xAA.TXT", ":a_b__c\x7F\xA5"}));
  EXPECT_EQ(volume_.HfsutilsFile(":a_b__c\x7F\xA5").data, Text("odd\n"));

  // Back to the PC under the same name.
  fs::remove(Pc("Tips • Tricks™.TXT"));
  Run({"-c", "copy \"Tips • Tricks™.TXT\""});
  EXPECT_EQ(testing::ReadWholeFile(Pc("Tips • Tricks™.TXT")), Text("tips\n"));
}

// Every Mac Roman character but '/' (which a Linux name cannot hold) and
// ':' (which a Mac name cannot) goes out in a PC name and comes back the
// same; the PC names are the characters' Unicode (NFC).
TEST_F(TarvoCliNamesTest, EveryMacCharacterMakesTheTripThroughAPcFolder) {
  std::vector<std::string> names = {"Pi \xB9 \xF0 \xDE \xDB \x8E.dat"};
  std::string chunk;
  for (int c = 1; c < 256; ++c) {
    if (c != '/' && c != ':') chunk += static_cast<char>(c);
    if (chunk.size() == 25 || (c == 255 && !chunk.empty())) {
      names.push_back("n" + std::string(1, static_cast<char>('a' + names.size())) + chunk + ".dat");
      chunk.clear();
    }
  }
  const std::string source = scratch_.Path("source");
  testing::WriteWholeFile(source, Text("x"));
  std::vector<std::string> commands;
  for (const std::string& name : names) commands.push_back("hcopy -r " + source + " " + testing::ShellQuote(":" + name));
  ASSERT_TRUE(volume_.HfsutilsWrite(commands));
  fs::remove(source);

  Run({"-c", "copy *", "-c", "md back", "-c", "cd back", "-c", "mcopy *.*"});
  EXPECT_TRUE(fs::exists(Pc("Pi π \uF8FF ﬁ € é.dat")));
  ExpectClean();
  auto listed = [this](const std::string& folder) {
    // Escaped, so that a line feed in a name cannot split it.
    std::istringstream out(testing::HfsutilsOutput(scratch_.Path(""), volume_.image(), "hls -1b " + folder));
    std::set<std::string> lines;
    for (std::string line; std::getline(out, line);) lines.insert(line);
    return lines;
  };
  std::set<std::string> original = listed(":");
  EXPECT_EQ(original.erase("back"), 1u);
  EXPECT_EQ(original.size(), names.size());
  EXPECT_EQ(listed(":back"), original);
}

// Names as macOS writes them (decomposed accents) arrive composed; names
// in mixed case keep it, names in capitals only are put in mixed case.
TEST_F(TarvoCliNamesTest, DecomposedAndMixedCaseNamesArriveAsWritten) {
  fs::create_directory(Pc("MyProject"));
  for (const char* name : {"Cafe\u0301 A\u030Ar.txt", "README.TXT", "MyProject/ReadMe.TXT"}) {
    testing::WriteWholeFile(Pc(name), Text("x"));
  }
  Run({"-c", "mcopy *.*"});
  ExpectClean();
  EXPECT_EQ(volume_.HfsutilsTree(), (std::set<std::string>{":Caf\x8E \x81r.txt", ":Readme.txt", ":MyProject:",
                                                           ":MyProject:ReadMe.TXT"}));
}

}  // namespace
}  // namespace tarvo
