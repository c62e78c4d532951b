// tarvo-cli and PC names beyond ASCII, read back by hfsutils byte for byte.
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
    EXPECT_EQ(testing::WithoutCopySummaries(result.err), "");
    return result;
  }
  void ExpectClean() { EXPECT_EQ(Run({"--check"}).out, "Volume check: no problems found.\n"); }
  std::string Pc(const std::string& name) const { return scratch_.Path("pc/" + name); }
  testing::ScratchDir scratch_;
  testing::EditVolume volume_;
  testing::ImageCli cli_{scratch_, volume_.image()};
};

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
