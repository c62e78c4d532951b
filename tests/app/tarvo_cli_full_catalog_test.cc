// A catalog that cannot grow: renames, LABEL and ATTRIB refused, nothing lost.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "base/big_endian.h"
#include "hfs/volume_header.h"
#include "support/cli_image.h"
#include "support/hfs_volume.h"

namespace tarvo {
namespace {

using Bytes8 = std::vector<std::uint8_t>;

constexpr const char* kCannotExtend = "Error trying to extend catalog.";

class TarvoCliFullCatalogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::MakeHfsVolume(scratch_.Path(""), cli_.image, "Full", 800));
    const Bytes8 image = Image();
    const std::uint32_t blockSize = GetU32(image, 1024 + mdb::drAlBlkSiz) & 0xFFFF;
    const std::uint32_t free = GetU16(image, 1024 + mdb::drFreeBks);
    ASSERT_GT(free, 1u);
    const std::string filler = scratch_.Path("filler.bin");
    testing::WriteWholeFile(filler, Bytes8(std::size_t{blockSize} * (free - 1), 0x3C));
    ASSERT_TRUE(
        testing::RunHfsutils(scratch_.Path(""), cli_.image, {"hcopy -r " + testing::ShellQuote(filler) + " :Filler"}));
    for (int i = 0; i < 400; ++i) testing::WriteWholeFile(scratch_.Path("pc/E" + std::to_string(1000 + i)), {});
    ASSERT_TRUE(testing::Contains(cli_.Run({"-c", "mcopy *"}).err, kCannotExtend)) << "the catalog never filled";
    cli_.ExpectClean();
    entries_ = Entries();
    ASSERT_GT(entries_.size(), 10u);
  }

  void ExpectRefused(const std::vector<std::string>& args, const std::string& input = "") {
    const Bytes8 before = Image();
    const testing::CliResult run = cli_.Run(args, input);
    EXPECT_EQ(testing::CountOf(run.err, kCannotExtend), 1) << run.err;
    EXPECT_EQ(Image(), before);
    EXPECT_EQ(Entries(), entries_);
  }
  Bytes8 Image() const { return testing::ReadWholeFile(cli_.image); }
  std::set<std::string> Entries() {
    const std::string copy = scratch_.Path("copy.img");
    std::filesystem::copy_file(cli_.image, copy, std::filesystem::copy_options::overwrite_existing);
    std::set<std::string> names;
    std::istringstream lines(testing::HfsutilsOutput(scratch_.Path(""), copy, "hls -1aF"));
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty()) names.insert(line);
    }
    return names;
  }

  testing::ScratchDir scratch_;
  testing::ImageCli cli_{scratch_, scratch_.Path("full.img")};
  std::set<std::string> entries_;
};

TEST_F(TarvoCliFullCatalogTest, RenamesLabelsAndTheAttributesDialogAreRefusedWithNothingLost) {
  ExpectRefused({"-c", "rename E* G*"});
  ExpectRefused({"-c", "rename E1003 Renamed"});
  ExpectRefused({"--select", "E1004", "--menu", "113"}, "Renamed\n");
  ExpectRefused({"--select", "E1001", "-c", "attrib"}, "name Renamed\ntype ABCD\nwrite\n");
  ExpectRefused({"-c", "label Other"});
  cli_.ExpectClean();
  const testing::CliResult deleted = cli_.Run({"-c", "label Other", "-c", "delete E1000", "-c", "dir"});
  EXPECT_EQ(deleted.err, "Tarvo: " + std::string(kCannotExtend) + "\n");
  EXPECT_NE(deleted.out.find("Vol: Full"), std::string::npos) << deleted.out;
  cli_.ExpectClean();
  std::set<std::string> expected = entries_;
  expected.erase("E1000");
  EXPECT_EQ(Entries(), expected);
}

}  // namespace
}  // namespace tarvo
