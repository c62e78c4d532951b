// tarvo-cli and names beyond ASCII: typed in a UTF-8 terminal, taken from
// PC file names and from MacBinary headers, they reach the catalog whole,
// in Mac Roman, and find what they name; hfsutils (a black box) reads the
// names back byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

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

// MD puts the letters after the first in lower case; nothing else changes
// but ':' and control characters, which become '_', as do the Windows
// characters Mac Roman lacks (Š, ½).
TEST_F(TarvoCliNamesTest, TypedFolderNamesKeepEveryCharacter) {
  Run({"-c", "md \"Tips • tricks\"", "-c", "md \"Price € ‰ † ‡ ƒ\"", "-c", "md \"“Quote” ‘a’ – — … ™\"",
       "-c", "md \"Œuvre œ ‹› ˆ˜ Ÿ · nbsp\u00a0x\"", "-c", "md \"a:b\x01" "c Š ½\""});
  ExpectClean();
  EXPECT_EQ(volume_.HfsutilsTree(),
            (std::set<std::string>{":Tips \xA5 tricks:", ":Price \xDB \xE4 \xA0 \xE0 \xC4:",
                                   ":\xD2quote\xD3 \xD4" "a\xD5 \xD0 \xD1 \xC9 \xAA:",
                                   ":\xCEuvre \xCF \xDC\xDD \xF6\xF7 \xD9 \xE1 nbsp\xCAx:", ":a_b_c _ _:"}));
  // Shown as typed, and found by the name shown.
  EXPECT_NE(Run({"-c", "dir"}).out.find("Tips • tricks"), std::string::npos);
  Run({"-c", "rename \"Tips • tricks\" \"Tips – tricks\"", "-c", "delete \"“Quote” ‘a’ – — … ™\""});
  EXPECT_TRUE(volume_.HfsutilsTree().contains(":Tips \xD0 tricks:"));
  EXPECT_FALSE(volume_.HfsutilsTree().contains(":\xD2quote\xD3 \xD4" "a\xD5 \xD0 \xD1 \xC9 \xAA:"));
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
  EXPECT_EQ(volume_.HfsutilsTree(), (std::set<std::string>{":Tips \xA5 tricks\xAA.txt", ":a_b__c\x7F\xA5"}));
  EXPECT_EQ(volume_.HfsutilsFile(":a_b__c\x7F\xA5").data, Text("odd\n"));

  // Back to the PC under the same name.
  fs::remove(Pc("Tips • Tricks™.TXT"));
  Run({"-c", "copy \"Tips • tricks™.txt\""});
  EXPECT_EQ(testing::ReadWholeFile(Pc("Tips • tricks™.txt")), Text("tips\n"));
}

}  // namespace
}  // namespace tarvo
