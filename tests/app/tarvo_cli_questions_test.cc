// tarvo-cli's questions that destroy data: the format, a folder that is
// not empty, several items deleted at once, a file replaced. Without a
// typed answer (standard input empty, or an empty line) they keep the data;
// a typed answer or --yes lets them go ahead; the question and its answers
// are always shown on standard error.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_process.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using Bytes8 = std::vector<std::uint8_t>;
using testing::CliResult;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

Bytes8 Text(const std::string& text) { return Bytes8(text.begin(), text.end()); }

class TarvoCliQuestionsTest : public ::testing::Test {
 protected:
  // A volume with a folder that is not empty and a file beside it.
  void SetUp() override {
    std::filesystem::create_directories(dir_.Path("pc"));
    ASSERT_TRUE(testing::MakeHfsVolume(dir_.Path(""), Image(), "Work", 1024));
    testing::WriteWholeFile(dir_.Path("pc/NOTE.TXT"), Text("old note"));
    ASSERT_TRUE(testing::RunHfsutils(dir_.Path(""), Image(),
                                     {"hmkdir :Projects", "hcopy -t " + testing::ShellQuote(dir_.Path("pc/NOTE.TXT")) +
                                                              " :Projects:Plan",
                                      "hcopy -t " + testing::ShellQuote(dir_.Path("pc/NOTE.TXT")) + " :Note.txt"}));
  }

  std::string Image() const { return dir_.Path("work.img"); }
  // tarvo-cli on the volume, drive chosen with /A00, in the PC folder.
  CliResult Run(std::vector<std::string> args, const std::string& input) {
    testing::CliRun run;
    run.args = {"--image", Image(), "/A00"};
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.input = input;
    run.workDir = dir_.Path("pc");
    run.tempDir = dir_.Path("pc");
    CliResult result = testing::RunTarvoCli(run);
    EXPECT_TRUE(result.EndedCleanly()) << result.err;
    return result;
  }
  // Every item with its size, as hfsutils lists it.
  std::string Listing() { return testing::HfsutilsOutput(dir_.Path(""), Image(), "hls -lR"); }

  testing::ScratchDir dir_;
};

TEST_F(TarvoCliQuestionsTest, FolderThatIsNotEmptyIsDeletedOnlyOnATypedAnswerOrYes) {
  const std::string before = Listing();
  ASSERT_TRUE(Has(before, "Plan")) << before;
  for (const std::string input : {"", "\n", "maybe\n"}) {
    const CliResult kept = Run({"-c", "DELETE Projects"}, input);
    EXPECT_TRUE(Has(kept.err, "Tarvo: The directory is not empty. [ok/cancel] (empty: cancel)")) << kept.err;
    EXPECT_EQ(Listing(), before) << ::testing::PrintToString(input);
  }
  const CliResult yes = Run({"--yes", "-c", "DELETE Projects"}, "");
  EXPECT_TRUE(Has(yes.err, "Tarvo: The directory is not empty. [ok/cancel] (empty: cancel) ok (--yes)")) << yes.err;
  const std::string after = Listing();
  EXPECT_FALSE(Has(after, "Projects")) << after;
  EXPECT_TRUE(Has(after, "Note.txt"));
}

TEST_F(TarvoCliQuestionsTest, SeveralItemsAreDeletedOnlyOnATypedAnswerOrYes) {
  const std::string before = Listing();
  const CliResult kept = Run({"--select", "*", "--menu", "112"}, "");
  EXPECT_TRUE(Has(kept.err, "Tarvo: Deleting several files/directories? [ok/cancel] (empty: cancel)")) << kept.err;
  EXPECT_EQ(Listing(), before);
  Run({"--yes", "--select", "*", "--menu", "112"}, "");
  EXPECT_EQ(Listing(), "");
}

TEST_F(TarvoCliQuestionsTest, FileIsReplacedOnlyOnATypedAnswerOrYes) {
  testing::WriteWholeFile(dir_.Path("pc/NOTE.TXT"), Text("a longer new note"));
  const std::string before = Listing();
  const CliResult kept = Run({"-c", "MCOPY NOTE.TXT"}, "");
  EXPECT_TRUE(Has(kept.err, "already exists. OK to replace it? [yes/no/cancel] (empty: cancel)")) << kept.err;
  EXPECT_EQ(Listing(), before);
  Run({"--yes", "-c", "MCOPY NOTE.TXT"}, "");
  const std::string after = Listing();
  EXPECT_TRUE(Has(after, " 17 ")) << after;  // the new note's length
  EXPECT_FALSE(Has(after, "(001)"));
}

// The format destroys the whole medium: a name typed in "Formatting"
// formats, so does --yes (with the name shown); nothing else does.
TEST_F(TarvoCliQuestionsTest, FormatNeedsATypedNameOrYes) {
  const std::string image = dir_.Path("cartridge.img");
  CliResult run = testing::RunTarvoCli({"--create", "44", image, "-c", "F", "-c", "DIR"}, "\nFirst\n\n", dir_.Path(""));
  EXPECT_TRUE(Has(run.out, "Vol: First")) << run.out << run.err;
  const Bytes8 formatted = testing::ReadWholeFile(image);
  for (const std::string input : {"", "\n"}) {
    run = testing::RunTarvoCli({"--image", image, "/A00", "-c", "F"}, input, dir_.Path(""));
    EXPECT_TRUE(
        Has(run.err, "Caution !!!\nAll data will be destroyed.\nName: Untitled\n[new name/cancel] (empty: cancel)"))
        << run.err;
    EXPECT_TRUE(testing::ReadWholeFile(image) == formatted);
  }
  run = testing::RunTarvoCli({"--image", image, "/A00", "--yes", "-c", "FORMAT", "-c", "DIR"}, "", dir_.Path(""));
  EXPECT_TRUE(Has(run.err, "[new name/cancel] (empty: cancel) ok (--yes)")) << run.err;
  EXPECT_TRUE(Has(run.out, "Vol: Untitled")) << run.out;
}

}  // namespace
}  // namespace tarvo
