// The catalog's name order against hfsutils: the keys of volumes hfsutils
// builds are in Tarvo's order (read from the leaf chain: hls sorts by byte
// value), names it takes as equal compare equal, and names either side puts
// in are found by the other. And the wildcards of typed commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#include "base/volume_state.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/name_order.h"
#include "support/cli_process.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

int Sign(int n) { return (n > 0) - (n < 0); }

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class NameOrderHfsutilsTest : public ::testing::Test {
 protected:
  std::string Home() const { return dir_.Path(""); }
  std::string Image() const { return dir_.Path("order.img"); }

  // A fresh hfsutils volume with an empty file for each name, made in
  // turn: a name equal to one already there replaces it.
  bool Build(const std::vector<std::string>& names) {
    std::vector<std::string> commands;
    for (const std::string& name : names) commands.push_back("hcopy -r /dev/null " + ShellQuote(":" + name));
    std::filesystem::remove(Image());
    return MakeHfsVolume(Home(), Image(), "Order", 4096) && RunHfsutils(Home(), Image(), commands);
  }

  // The names of the root folder as stored, in the order of the leaf chain.
  std::vector<std::string> StoredNames() const {
    MountedVolume volume(Image());
    std::vector<std::string> names;
    if (volume.Mount() <= 0) return names;
    TreeWorkFile& catalog = volume.ctx.volume.catalog;
    TreeWalk walk = StartWalk(catalog);
    for (FoundRecord found = FindCatalogRecord(catalog, "*", kWantEntry, kRootDirId); found;
         found = NextLeafRecord(catalog, walk)) {
      const std::optional<CatalogKey> key = ReadCatalogKey(found.record);
      if (!key || key->parentId != kRootDirId) break;
      names.push_back(key->name);
    }
    return names;
  }

  // tarvo-cli running the typed commands, with the PC directory current.
  CliResult Cli(const std::vector<std::string>& commands, const std::string& suffix = "") const {
    CliRun run;
    run.args = {"--image", Image() + suffix, "/A00"};
    for (const std::string& command : commands) run.args.insert(run.args.end(), {"-c", command});
    run.tempDir = dir_.Path("");
    std::filesystem::create_directories(Pc());
    run.workDir = Pc();
    return RunTarvoCli(run);
  }
  std::string Pc() const { return dir_.Path("pc"); }
  std::string Check() const { return RunTarvoCli({"--image", Image() + ",ro", "--check"}, "", dir_.Path("")).out; }

  // hfsutils finds the item at this path (Mac Roman, no backslash: hls
  // reads one as an escape) by its name.
  bool HfsutilsFinds(const std::string& path) const {
    return HfsutilsOutput(Home(), Image(), "hls -d -1 -N " + ShellQuote(path)) == path + "\n";
  }

  ScratchDir dir_;
};

// Every byte that may stand in a name, alone: made in rising and in
// falling order, so that of two equal names each is kept once. Each byte's
// place is that of its name in either volume; every pair of bytes must
// compare as their places do.
TEST_F(NameOrderHfsutilsTest, EveryPairOfCharactersComparesAsHfsutilsStoresThem) {
  std::vector<std::string> names;
  for (int c = 1; c < 256; ++c) {
    if (c != ':') names.emplace_back(1, static_cast<char>(c));
  }
  ASSERT_TRUE(Build(names));
  const std::vector<std::string> rising = StoredNames();
  ASSERT_TRUE(Build({names.rbegin(), names.rend()}));
  const std::vector<std::string> falling = StoredNames();
  ASSERT_EQ(rising.size(), falling.size());
  ASSERT_LT(rising.size(), names.size());  // letter case makes equals

  std::map<unsigned char, std::size_t> place;
  for (const std::vector<std::string>* stored : {&rising, &falling}) {
    for (std::size_t i = 0; i < stored->size(); ++i) place[static_cast<unsigned char>((*stored)[i][0])] = i;
  }
  ASSERT_EQ(place.size(), names.size());
  std::ostringstream wrong;
  int wrongPairs = 0;
  for (const auto& [a, placeA] : place) {
    for (const auto& [b, placeB] : place) {
      const int want = Sign(static_cast<int>(placeA) - static_cast<int>(placeB));
      if (Sign(CompareNames(std::string(1, static_cast<char>(a)), std::string(1, static_cast<char>(b)))) != want &&
          ++wrongPairs <= 20) {
        wrong << std::hex << int{a} << " vs " << int{b} << " should be " << std::dec << want << "\n";
      }
    }
  }
  EXPECT_EQ(wrongPairs, 0) << wrong.str();
}

// Names of several characters, drawn from the characters whose order
// surprises: compared character by character, a prefix first, and names
// hfsutils takes as equal (the later one replacing the earlier) equal.
TEST_F(NameOrderHfsutilsTest, LongerNamesCompareCharacterByCharacter) {
  const std::string alphabet = "aAbB \xCA[]\\()_`\x87\x88\xCB\xA7sS\xE5\xE7\xD8\xD9~";
  std::mt19937 random(15);
  std::vector<std::string> names;
  for (int i = 0; i < 120; ++i) {
    std::string name(1 + random() % 4, ' ');
    for (char& c : name) c = alphabet[random() % alphabet.size()];
    names.push_back(name);
  }
  ASSERT_TRUE(Build(names));

  std::vector<std::string> expected;
  for (const std::string& name : names) {
    std::erase_if(expected, [&](const std::string& kept) { return CompareNames(kept, name) == 0; });
    expected.push_back(name);
  }
  std::sort(expected.begin(), expected.end(),
            [](const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; });
  EXPECT_EQ(StoredNames(), expected);
}

// hfsutils stored "[draft]", "Why?" and "Why!" among other names: tarvo-cli
// checks the volume clean, enters the folders by their names (though "Why!"
// sorts before "Why?" and matches it as a pattern) and writes to it; then
// hfsutils finds every name, "Straße" and "Álvaro" among them.
TEST_F(NameOrderHfsutilsTest, NamesEachSideStoresAreFoundByTheOther) {
  ASSERT_TRUE(Build({"Alpha", "(draft)", "Zeta", "\\notes", "a\xCA" "b", "Strauss", "Bob"}));
  // hfsutils reads '?' as a wildcard too: "Why?" is made while nothing else matches it.
  ASSERT_TRUE(RunHfsutils(Home(), Image(), {"hmkdir " + ShellQuote(":[draft]"), "hmkdir ':Why?'",
                                            "hmkdir ':Why?:Inner'", "hmkdir ':Why!'"}));
  EXPECT_EQ(Check(), "Volume check: no problems found.\n");
  const CliResult found = Cli({"CD [draft]", "DIR", "CD \\", "CD Why?", "DIR", "CD Inner", "CD ..", "DIR"}, ",ro");
  EXPECT_EQ(found.err, "");
  EXPECT_NE(found.out.find("Dir: [draft]"), std::string::npos) << found.out;
  EXPECT_EQ(Count(found.out, "Dir: Why?"), 2) << found.out;

  const CliResult written = Cli({"MD [final]", "MD zz", "MD Straße", "MD Álvaro"});
  ASSERT_EQ(written.exitCode, 0) << written.err;
  EXPECT_EQ(Check(), "Volume check: no problems found.\n");
  for (const std::string name : {"[final]", "[draft]", "zz", "Alpha", "(draft)", "Zeta", "a\xCA" "b", "Stra\xA7" "e",
                                 "\xE7lvaro", "Bob", "Strauss"}) {
    EXPECT_TRUE(HfsutilsFinds(":" + name)) << name;
  }
  const std::vector<std::string> inserted = {"Bob", "Stra\xA7" "e", "Strauss", "\xE7lvaro"};
  std::vector<std::string> stored = StoredNames();
  std::erase_if(stored, [&](const std::string& name) { return std::count(inserted.begin(), inserted.end(), name) == 0; });
  EXPECT_EQ(stored, inserted);
}

// COPY and DELETE take only the names their pattern matches: the text
// after '*' counts and '?' stands for one character.
TEST_F(NameOrderHfsutilsTest, CopyAndDeleteTakeOnlyTheMatchingNames) {
  ASSERT_TRUE(Build({}));
  const std::string content = dir_.Path("content");
  WriteWholeFile(content, std::vector<std::uint8_t>{'x'});
  std::vector<std::string> make = {"hmkdir :Work", "hmkdir :Work:Sub"};
  // "\x80rger" is "Ärger" in Mac Roman, which the catalog holds equal to "ärger".
  for (const char* name : {"a.bak", "B.BAK", "notes.txt", "bak", "x.bak.old", "abc", "ac", "abbc", "AXC", "\x80rger"}) {
    make.push_back("hcopy -r " + ShellQuote(content) + " " + ShellQuote(std::string(":Work:") + name));
  }
  ASSERT_TRUE(RunHfsutils(Home(), Image(), make));
  const CliResult run = Cli({"CD Work", "COPY *.txt", "COPY ?b?", "DELETE *.bak", "DELETE a?c", "DELETE ärger"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::set<std::string> copied;
  for (const auto& entry : std::filesystem::directory_iterator(Pc())) copied.insert(entry.path().stem());
  EXPECT_EQ(copied, (std::set<std::string>{"notes", "abc"}));  // the type may add an extension
  EXPECT_EQ(Check(), "Volume check: no problems found.\n");
  std::set<std::string> left;
  std::istringstream lines(HfsutilsOutput(Home(), Image(), "hls -1 -a -N :Work"));
  for (std::string line; std::getline(lines, line);) left.insert(line);
  EXPECT_EQ(left, (std::set<std::string>{"Sub", "notes.txt", "bak", "x.bak.old", "ac", "abbc"}));
}

}  // namespace
}  // namespace tarvo
