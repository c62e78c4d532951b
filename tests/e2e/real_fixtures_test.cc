// tarvo-cli on real-world images (a DiskCopy 4.2 file, an HFS partition
// behind an Apple map, a floppy followed by tag bytes...): their listings and
// volume information show what hfsutils established. A writable copy of
// each takes a new folder: the check finds nothing to refuse it for, nothing
// outside the volume's area changes, and the alternate header follows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <utility>

#include "support/cli_listing.h"
#include "support/cli_process.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

// A row the listing must hold. Empty texts are not checked; a signature of
// four characters checks the type only; "[valence]" for a folder.
struct RowFact {
  std::string name;
  std::string data, resource;
  std::string signature;
};

struct FolderFact {
  std::vector<std::string> path;  // folder names from the root
  int count = -1;                 // rows in the folder, -1 when not checked
  std::vector<RowFact> rows;
};

struct ImageFacts {
  std::string file;
  std::string volume;
  std::vector<std::string> info;  // lines of INFO
  std::vector<FolderFact> folders;
};

void PrintTo(const ImageFacts& image, std::ostream* out) { *out << image.file; }

// The first sector and sector count of an image's volume (the tag bytes
// after an 800K volume are not the volume's).
std::pair<std::size_t, std::size_t> AreaOf(const std::string& file) {
  if (file == "apm-prodos-hfs-cp2.iso") return {1604, 1600};
  if (file == "sys75-disk-tools-1440k.dsk") return {0, 2880};
  return {0, file == "excel30-folder-nested.img" ? 6736 : 1600};
}

const std::string kDir = "<DIR>";

const ImageFacts kImages[] = {
    {"apm-prodos-hfs-cp2.iso",
     "New Disk",
     {"Number of files: 1", "Number of folders: 0", "Free space: 771584", "MDB Offset: 1606"},
     // Type 70 C7 00 00: the control bytes show as '.', C7 as the Windows '«'.
     {{{}, 1, {{"HardPressed.CDV", "0", "31920", "p\xc2\xab..pdos"}}}}},
    {"sys75-disk-tools-1440k.dsk",
     "Disk Tools",
     {"Number of files: 7", "Number of folders: 9", "Free space: 137216", "Volume Size: 1471488"},
     {{{},
       -1,
       {{"Apple HD SC Setup", "0", "61279", "APPLscsi"},
        {"Desktop", "0", "8479", "FNDRERIK"},
        {"Desktop Folder", kDir, "", "[0]"},
        {"Trash", kDir, "", "[0]"}}},
      {{"System Folder"},
       -1,
       {{"System", "924", "871534", "zsysMACS"},
        {"Finder", "0", "300101", "FNDRMACS"},
        {"Apple Menu Items", kDir, "", "[0]"},
        {"Control Panels", kDir, "", "[0]"},
        {"Fonts", kDir, "", "[0]"},
        {"Startup Items", kDir, "", "[0]"}}},
      {{"System Folder", "Extensions"}, -1, {{"Apple CD-ROM", "", "26327", "INITpsap"}}},
      {{"System Folder", "Fonts"}, 0, {}},
      {{"Trash"}, 0, {}}}},
    {"ara-installer-disk1-dc42.image",
     "Installer Disk 1",
     {"Number of files: 31", "Number of folders: 2", "Free space: 87040", "MDB Offset: 2"},
     {{{},
       -1,
       {{"Read Me", "4811", "24728", "ttrottxt"},
        {"Installer", "0", "132324", "APPLbjbc"},
        {"Dial Up", kDir, "", "[23]"}}},
      {{"Dial Up"}, 23, {{"Apple Modem 2400", "2758", "520", "mltsslnk"}}},
      {{"Serial Switch"}, -1, {{"Read Me (Serial Switch)", "706", "286", "ttrottxt"}}}}},
    {"excel30-folder-nested.img",
     "Excel 3.0 Folder",
     {"Number of files: 59", "Number of folders: 3", "Free space: 69632", "Volume Size: 3445248"},
     {{{},
       -1,
       {{"Microsoft Excel", "0", "1284441", "APPLXCEL"},
        {"Microsoft Excel Tutorial", "767296", "23955", "STAKWILD"},
        {"READ ME", "3013", "", "TEXTttxt"},
        {"Macro Library", kDir, "", "[29]"}}},
      {{"Macro Library"}, 29, {{"Add-in Functions", "9561", "", "XLA "}, {"Custom Color Palettes", kDir, "", "[16]"}}},
      {{"Macro Library", "Custom Color Palettes"}, 16, {{"Autumn", "1836", "286", "XLS3XCEL"}}}}},
    {"gsos-simple-800k.dsk",
     "HFS - GS/OS",
     {"Number of files: 13", "Number of folders: 3", "Free space: 481280"},
     {{{},
       -1,
       {{"SIZES", kDir, "", "[9]"},
        {"Empty Folder", kDir, "", "[0]"},
        {"Finder.Data", "145", "0", "p\u2026..pdos"},  // type byte C9: the ellipsis
        {"HardPressed.FXT", "15096", "0", "p∂.."}}},
      // Type 70 06 20 00: 'p', a control byte, a blank, a zero byte.
      {{"SIZES"},
       9,
       {{"L0", "0", "0", "p. .pdos"},
        {"L1", "1", "0", "p. .pdos"},
        {"L2", "2", "0", "p. .pdos"},
        {"L511", "511", "0", "p. .pdos"},
        {"L512", "512", "0", "p. .pdos"},
        {"L513", "513", "0", "p. .pdos"},
        {"L8192", "8192", "0", "p. .pdos"},
        {"L131072", "131072", "0", "p. .pdos"},
        {"L131073", "131073", "0", "p. .pdos"}}},
      {{"Empty Folder"}, 0, {}},
      {{"Sub-Folder"}, 2, {{"HardPressed.CDV", "0", "31920", ""}, {"Finder.Data", "42", "", ""}}}}},
    {"sys607-system-tools-tagtail.dsk",
     "System Tools",
     {"Number of files: 11", "Number of folders: 1", "Free space: 28160", "Volume Size: 816128",
      "Number of Sectors: 1594"},
     {{{},
       -1,
       {{"Read Me", "5366", "344", "ttrottxt"},
        {"Installer Script", "", "44959", "cfbjcfbj"},
        {"Installer", "", "129214", "APPLcfbj"}}},
      {{"System Folder"},
       -1,
       {{"System", "860", "399712", "ZSYSMACS"}, {"Clipboard File", "26", "415", "CLIPMACS"}}}}},
};

class RealFixtureTest : public ::testing::TestWithParam<ImageFacts> {};

TEST_P(RealFixtureTest, ListingsShowTheKnownFacts) {
  const ImageFacts& facts = GetParam();
  const std::string image = std::string(TARVO_FIXTURES_DIR) + "/" + facts.file;
  ASSERT_TRUE(std::filesystem::exists(image)) << image;

  std::vector<std::string> args = {"--image", image + ",ro", "-c", "INFO"};
  for (const FolderFact& folder : facts.folders) {
    args.insert(args.end(), {"-c", "CD \\"});
    for (const std::string& name : folder.path) args.insert(args.end(), {"-c", "CD \"" + name + "\""});
    args.insert(args.end(), {"-c", "DIR /A"});
  }
  const CliResult run = RunTarvoCli(args);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const std::string& line : facts.info) EXPECT_NE(run.out.find(line + "\n"), std::string::npos) << line;

  const std::vector<Listing> listings = ParseListings(run.out);
  ASSERT_EQ(listings.size(), facts.folders.size()) << run.out;
  for (std::size_t i = 0; i < listings.size(); ++i) {
    const FolderFact& folder = facts.folders[i];
    const Listing& listing = listings[i];
    SCOPED_TRACE("folder " + (folder.path.empty() ? "Root" : folder.path.back()));
    EXPECT_EQ(listing.volume, facts.volume);
    EXPECT_EQ(listing.dir, folder.path.empty() ? "Root" : folder.path.back());
    if (folder.count >= 0) {
      EXPECT_EQ(listing.rows.size(), static_cast<std::size_t>(folder.count));
    }
    EXPECT_EQ(listing.noFile, folder.count == 0);
    for (const RowFact& fact : folder.rows) {
      const auto row = std::find_if(listing.rows.begin(), listing.rows.end(),
                                    [&](const ListedRow& r) { return r.name == fact.name; });
      ASSERT_NE(row, listing.rows.end()) << fact.name;
      if (!fact.data.empty()) {
        EXPECT_EQ(row->data, fact.data) << fact.name;
      }
      if (!fact.resource.empty()) {
        EXPECT_EQ(row->resource, fact.resource) << fact.name;
      }
      EXPECT_EQ(row->signature.substr(0, fact.signature.size()), fact.signature) << fact.name;
    }
  }
}

TEST_P(RealFixtureTest, AWritableCopyTakesANewFolder) {
  const ImageFacts& facts = GetParam();
  // The image bus write-protects a DiskCopy image: its checksums would break.
  if (facts.file.find("-dc42.") != std::string::npos) GTEST_SKIP();
  ScratchDir dir;
  const std::string copy = dir.Path("copy.img");
  std::filesystem::copy_file(std::string(TARVO_FIXTURES_DIR) + "/" + facts.file, copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
  const std::vector<std::uint8_t> before = ReadWholeFile(copy);

  const CliResult run = RunTarvoCli({"--image", copy, "--check", "-c", "MD Fresh", "-c", "DIR /A"}, "", dir.Path(""));
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<Listing> listings = ParseListings(run.out);
  ASSERT_EQ(listings.size(), 1u) << run.out;
  EXPECT_TRUE(std::any_of(listings[0].rows.begin(), listings[0].rows.end(),
                          [](const ListedRow& row) { return row.name == "Fresh" && row.folder; }));
  const CliResult after = RunTarvoCli({"--image", copy + ",ro", "--check"}, "", dir.Path(""));
  EXPECT_EQ(after.exitCode, 0) << after.out;

  const std::vector<std::uint8_t> written = ReadWholeFile(copy);
  ASSERT_EQ(written.size(), before.size());
  const auto [first, count] = AreaOf(facts.file);
  const auto at = [&written](std::size_t sector) { return written.begin() + static_cast<std::ptrdiff_t>(sector * 512); };
  const auto start = static_cast<std::ptrdiff_t>(first * 512), end = static_cast<std::ptrdiff_t>((first + count) * 512);
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + start, written.begin())) << "changed before the volume";
  EXPECT_TRUE(std::equal(before.begin() + end, before.end(), written.begin() + end)) << "changed after the volume";
  EXPECT_TRUE(std::equal(at(first + count - 2), at(first + count - 1), at(first + 2))) << "the alternate header";
}

INSTANTIATE_TEST_SUITE_P(Images, RealFixtureTest, ::testing::ValuesIn(kImages),
                         [](const ::testing::TestParamInfo<ImageFacts>& info) {
                           std::string name = info.param.file.substr(0, info.param.file.find('.'));
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace tarvo
