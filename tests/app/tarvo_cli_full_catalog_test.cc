// tarvo-cli on a volume whose catalog cannot grow any more (filled with
// files until "Error trying to extend catalog.", no free run left for the
// catalog): RENAME, LABEL and a new name in the attributes dialog are
// refused with that message and leave the image as it was, and nothing
// done later finds a record missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "base/big_endian.h"
#include "hfs/volume_header.h"
#include "support/cli_process.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::CliResult;
using Bytes8 = std::vector<std::uint8_t>;

constexpr const char* kCannotExtend = "Error trying to extend catalog.";
constexpr int kMostFiles = 400;

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class TarvoCliFullCatalogTest : public ::testing::Test {
 protected:
  // A file takes all the free blocks but one, then empty files fill the
  // catalog until one more is refused.
  void SetUp() override {
    std::filesystem::create_directories(scratch_.Path("pc"));
    ASSERT_TRUE(testing::MakeHfsVolume(scratch_.Path(""), image_, "Full", 800));
    const Bytes8 image = Image();
    const std::uint32_t blockSize = GetU32(image, 1024 + mdb::drAlBlkSiz) & 0xFFFF;
    const std::uint32_t free = GetU16(image, 1024 + mdb::drFreeBks);
    ASSERT_GT(free, 1u);
    const std::string filler = scratch_.Path("filler.bin");
    testing::WriteWholeFile(filler, Bytes8(std::size_t{blockSize} * (free - 1), 0x3C));
    ASSERT_TRUE(
        testing::RunHfsutils(scratch_.Path(""), image_, {"hcopy -r " + testing::ShellQuote(filler) + " :Filler"}));

    for (int i = 0; i < kMostFiles; ++i) testing::WriteWholeFile(scratch_.Path("pc/E" + std::to_string(1000 + i)), {});
    const CliResult filled = Run({"-c", "mcopy *"});
    ASSERT_NE(filled.err.find(kCannotExtend), std::string::npos) << "the catalog never filled";
    ExpectClean();
    entries_ = Entries();
    ASSERT_GT(entries_.size(), 10u);
  }

  CliResult Run(std::vector<std::string> args, const std::string& input = "") {
    testing::CliRun run;
    run.args = {"--image", image_, "/A00"};
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.input = input;
    run.tempDir = scratch_.Path("");
    run.workDir = scratch_.Path("pc");
    CliResult result = testing::RunTarvoCli(run);
    EXPECT_TRUE(result.EndedCleanly()) << result.err;
    return result;
  }
  void ExpectClean() {
    testing::CliRun run;
    run.args = {"--image", image_ + ",ro", "--check"};
    run.tempDir = scratch_.Path("");
    const CliResult check = testing::RunTarvoCli(run);
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.out, "Volume check: no problems found.\n");
  }
  // The command is refused once, with the message, and changes nothing.
  void ExpectRefused(const std::vector<std::string>& args, const std::string& input = "") {
    const Bytes8 before = Image();
    const CliResult run = Run(args, input);
    EXPECT_EQ(Count(run.err, kCannotExtend), 1) << run.err;
    EXPECT_EQ(Image(), before);
    EXPECT_EQ(Entries(), entries_);
  }
  Bytes8 Image() const { return testing::ReadWholeFile(image_); }
  // The root's entries as hfsutils lists them (folders end in ':'), read
  // from a copy of the image.
  std::set<std::string> Entries() {
    const std::string copy = scratch_.Path("copy.img");
    std::filesystem::copy_file(image_, copy, std::filesystem::copy_options::overwrite_existing);
    std::set<std::string> names;
    std::string line;
    for (char c : testing::HfsutilsOutput(scratch_.Path(""), copy, "hls -1aF")) {
      if (c != '\n') {
        line += c;
      } else if (!line.empty()) {
        names.insert(line);
        line.clear();
      }
    }
    return names;
  }

  testing::ScratchDir scratch_;
  std::string image_ = scratch_.Path("full.img");
  std::set<std::string> entries_;
};

TEST_F(TarvoCliFullCatalogTest, RenamesAreRefusedWithNothingLost) {
  ExpectRefused({"-c", "rename E* G*"});
  ExpectRefused({"-c", "rename E1003 Renamed"});
  ExpectRefused({"--select", "E1004", "--menu", "113"}, "Renamed\n");
  ExpectClean();
}

TEST_F(TarvoCliFullCatalogTest, ANewNameInTheAttributesDialogIsRefusedWithTheOtherChanges) {
  ExpectRefused({"--select", "E1001", "-c", "attrib"}, "name Renamed\ntype ABCD\nwrite\n");
  ExpectClean();
}

TEST_F(TarvoCliFullCatalogTest, ALabelIsRefusedAndTheRootKeepsItsRecord) {
  ExpectRefused({"-c", "label Other"});
  // A later change of the same run finds the root and names it as before.
  const CliResult deleted = Run({"-c", "label Other", "-c", "delete E1000", "-c", "dir"});
  EXPECT_EQ(deleted.err, "Tarvo: " + std::string(kCannotExtend) + "\n");
  EXPECT_NE(deleted.out.find("Vol: Full"), std::string::npos) << deleted.out;
  ExpectClean();
  std::set<std::string> expected = entries_;
  expected.erase("E1000");
  EXPECT_EQ(Entries(), expected);
}

}  // namespace
}  // namespace tarvo
