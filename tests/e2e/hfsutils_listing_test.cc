// tarvo-cli against hfsutils: volumes built with hformat, hmkdir, hcopy and
// hattrib are browsed with CD and DIR /A, and every listing shows what
// `hls -laN` shows for the same folder (both sorted by name): names, folders
// with their valence, fork lengths, type and creator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "base/big_endian.h"
#include "base/utf8.h"
#include "support/cli_listing.h"
#include "support/cli_process.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

// One row of `hls -laN`: "f  TYPE/CREA  rsrc  data  date  name" or
// "d  n items  date  name", the name from column 46 on.
struct HlsEntry {
  std::string name;  // UTF-8
  bool folder = false;
  unsigned long valence = 0;
  std::string type, creator;
  std::uint32_t resourceLength = 0, dataLength = 0;
};

std::vector<HlsEntry> ParseHls(const std::string& out) {
  std::vector<HlsEntry> entries;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() <= 46) continue;
    HlsEntry entry;
    entry.folder = line[0] == 'd';
    entry.name = line.substr(46);
    if (entry.folder) {
      entry.valence = std::strtoul(line.c_str() + 2, nullptr, 10);
    } else {
      entry.type = line.substr(3, 4);
      entry.creator = line.substr(8, 4);
      entry.resourceLength = static_cast<std::uint32_t>(std::strtoul(line.substr(12, 10).c_str(), nullptr, 10));
      entry.dataLength = static_cast<std::uint32_t>(std::strtoul(line.substr(22, 10).c_str(), nullptr, 10));
    }
    entry.name = MacRomanToUtf8(entry.name);
    entries.push_back(entry);
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return entries;
}

// The command typed (UTF-8; none for the start) and the hfsutils path (Mac
// Roman) of the folder then listed.
struct Step {
  std::string command, hfsPath;
};

// Every step's command, then DIR /A, in one tarvo-cli run.
void ExpectListingsMatchHls(const std::string& home, const std::string& image, const std::vector<Step>& steps) {
  std::vector<std::string> args = {"--image", image + ",ro"};
  for (const Step& step : steps) {
    if (!step.command.empty()) args.insert(args.end(), {"-c", step.command});
    args.insert(args.end(), {"-c", "DIR /A"});
  }
  const CliResult run = RunTarvoCli(args);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<Listing> listings = ParseListings(run.out);
  ASSERT_EQ(listings.size(), steps.size()) << run.out;

  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE("folder " + MacRomanToUtf8(steps[i].hfsPath));
    const std::string path = steps[i].hfsPath;
    const std::string leaf = path == ":" ? "Root" : MacRomanToUtf8(path.substr(path.rfind(':', path.size() - 1) + 1));
    EXPECT_EQ(listings[i].dir, leaf);
    const std::vector<HlsEntry> expected = ParseHls(HfsutilsOutput(home, image, "hls -laN " + ShellQuote(path)));
    std::vector<ListedRow> rows = listings[i].rows;
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    EXPECT_EQ(listings[i].noFile, expected.empty());
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const HlsEntry& want = expected[r];
      EXPECT_EQ(rows[r].name, want.name);
      EXPECT_EQ(rows[r].folder, want.folder) << rows[r].name;
      if (want.folder) {
        EXPECT_EQ(rows[r].signature, "[" + std::to_string(want.valence) + "]") << rows[r].name;
        EXPECT_EQ(rows[r].resource, "") << rows[r].name;
      } else {
        EXPECT_EQ(rows[r].data, ShownLength(want.dataLength)) << rows[r].name;
        EXPECT_EQ(rows[r].resource, ShownLength(want.resourceLength)) << rows[r].name;
        EXPECT_EQ(rows[r].signature, want.type + want.creator) << rows[r].name;
      }
    }
  }
}

// The depth of the catalog B-tree of the bare volume.
std::uint16_t CatalogDepth(const std::string& image) {
  const std::vector<std::uint8_t> mdb = ReadFileRange(image, 1024, 512);
  const std::uint64_t catalog = std::uint64_t{GetU16(mdb, 0x1C)} * 512 + std::uint64_t{GetU16(mdb, 0x96)} * GetU32(mdb, 0x14);
  return GetU16(ReadFileRange(image, catalog, 512), 14);
}

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t fill) { return std::vector<std::uint8_t>(n, fill); }

// Writes a host file and returns its quoted path for an hcopy.
std::string HostFile(const ScratchDir& dir, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  WriteWholeFile(dir.Path(name), bytes);
  return ShellQuote(dir.Path(name));
}

// A bare 40 MB volume (1024-byte allocation blocks):
//   :Docs:                  both forks, resource only, 10 MB, a Mac Roman name
//   :Docs:Nested:Deeper:    empty
//   :Many:                  40 files
//   :\x86" "ber \xa7\xa9:      ("Über ß©") two files with Mac Roman names
//   :Bulk:                  300 files and a folder: index nodes in the catalog
TEST(HfsutilsListingTest, BareVolumeFoldersListAsHlsShowsThem) {
  ScratchDir dir;
  const std::string home = dir.Path(""), bare = dir.Path("bare.img");
  ASSERT_TRUE(MakeHfsVolume(home, bare, "Bare Volume", 40 * 1024));
  const std::string both = HostFile(dir, "both.bin", MacBinaryFile("x", "TEXT", "ttxt", Bytes(1000, 'd'), Bytes(300, 'r')));
  const std::string rsrc = HostFile(dir, "rsrc.bin", MacBinaryFile("x", "APPL", "Tool", {}, Bytes(5000, 'r')));
  const std::string big = HostFile(dir, "big", Bytes(10485760, 0));
  const std::string small = HostFile(dir, "small", Bytes(17, 's'));
  std::vector<std::string> commands = {
      "hmkdir :Docs", "hmkdir :Docs:Nested", "hmkdir :Docs:Nested:Deeper", "hmkdir :Many",
      "hmkdir " + ShellQuote(":\x86" "ber \xa7\xa9"), "hmkdir :Bulk", "hmkdir " + ShellQuote(":Bulk:zz Sub"),
      "hcopy -m " + both + " " + ShellQuote(":Docs:Both Forks"), "hcopy -m " + rsrc + " :Docs:Resources",
      "hcopy -r " + big + " :Docs:Big", "hattrib -t BINA -c 'hDmp' :Docs:Big",
      "hcopy -r " + small + " " + ShellQuote(":Docs:Caf\x8e Menu"),
      "hattrib -t 'ttro' -c 'ttxt' " + ShellQuote(":Docs:Caf\x8e Menu"),
      "hcopy -r " + small + " :Docs:Nested:inner.txt",
      "hcopy -m " + both + " " + ShellQuote(":\x86" "ber \xa7\xa9:Se\x96" "or\xaa"),
      "hcopy -r " + small + " " + ShellQuote(":\x86" "ber \xa7\xa9:\x80 \xaf"),
      "hcopy -r " + small + " " + ShellQuote(":Bulk:zz Sub:last one")};
  std::string many = "hcopy -r", bulk = "hcopy -r";
  for (int i = 0; i < 300; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Entry %03d", i);
    (i < 40 ? many : bulk) += " " + HostFile(dir, name, Bytes(static_cast<std::size_t>(i), 'e'));
  }
  commands.push_back(many + " :Many:");
  commands.push_back(bulk + " :Bulk:");
  ASSERT_TRUE(RunHfsutils(home, bare, commands));
  EXPECT_GE(CatalogDepth(bare), 3);  // the Bulk folder spreads over index nodes
  ExpectListingsMatchHls(home, bare,
                         {
                             {"", ":"},
                             {"CD Docs", ":Docs"},
                             {"CD Nested", ":Docs:Nested"},
                             {"CD Deeper", ":Docs:Nested:Deeper"},
                             {"CD ..", ":Docs:Nested"},
                             {"CD ..", ":Docs"},
                             {"CD ..", ":"},
                             {"CD Many", ":Many"},
                             {"CD \\", ":"},
                             {"CD \"\xc3\x9c" "ber \xc3\x9f\xc2\xa9\"", ":\x86" "ber \xa7\xa9"},
                             {"CD ..", ":"},
                             {"CD Bulk", ":Bulk"},
                             {"CD \"zz Sub\"", ":Bulk:zz Sub"},
                             {"CD ..", ":Bulk"},
                         });
}

// A 2 MB HFS partition at block 96 behind a driver descriptor and a map.
TEST(HfsutilsListingTest, PartitionBehindAppleMapListsAsHlsShowsIt) {
  ScratchDir dir;
  const std::string home = dir.Path(""), mapped = dir.Path("mapped.img");
  const std::string tool = HostFile(dir, "tool.bin", MacBinaryFile("x", "APPL", "TOOL", {}, Bytes(2000, 't')));
  const std::string text = HostFile(dir, "text", Bytes(333, 'x'));
  ASSERT_TRUE(MakeMappedHfsVolume(home, mapped, "Mapped", 4096) &&
              RunHfsutils(home, mapped,
                          {"hmkdir :Apps", "hmkdir :Apps:Empty", "hcopy -m " + tool + " :Apps:Tool",
                           "hcopy -r " + text + " " + ShellQuote(":Read Me"),
                           "hattrib -t TEXT -c ttxt " + ShellQuote(":Read Me")}));
  ExpectListingsMatchHls(home, mapped,
                         {{"", ":"}, {"CD Apps", ":Apps"}, {"CD Empty", ":Apps:Empty"}, {"CD ..", ":Apps"},
                          {"CD ..", ":"}});
  // The volume header is read 2 sectors into the partition, not at the
  // start of the medium.
  const CliResult info = RunTarvoCli({"--image", mapped + ",ro", "-c", "INFO"});
  EXPECT_NE(info.out.find("MDB Offset: 98\n"), std::string::npos) << info.out;
}

}  // namespace
}  // namespace tarvo
