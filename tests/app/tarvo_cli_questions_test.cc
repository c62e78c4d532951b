// Questions that destroy data keep it without a typed answer or --yes.
#include <gtest/gtest.h>

#include "support/cli_image.h"
#include "support/hfs_volume.h"

namespace tarvo {
namespace {

using Bytes8 = std::vector<std::uint8_t>;
using testing::CliResult;
using testing::Contains;

Bytes8 Text(const std::string& text) { return Bytes8(text.begin(), text.end()); }

class TarvoCliQuestionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::MakeHfsVolume(dir_.Path(""), cli_.image, "Work", 1024));
    const std::string note = testing::ShellQuote(dir_.Path("pc/NOTE.TXT"));
    testing::WriteWholeFile(dir_.Path("pc/NOTE.TXT"), Text("old note"));
    ASSERT_TRUE(testing::RunHfsutils(dir_.Path(""), cli_.image,
                                     {"hmkdir :Projects", "hcopy -t " + note + " :Projects:Plan",
                                      "hcopy -t " + note + " :Note.txt"}));
  }
  std::string Listing() { return testing::HfsutilsOutput(dir_.Path(""), cli_.image, "hls -lR"); }

  testing::ScratchDir dir_;
  testing::ImageCli cli_{dir_, dir_.Path("work.img")};
};

TEST_F(TarvoCliQuestionsTest, FolderThatIsNotEmptyIsDeletedOnlyOnATypedAnswerOrYes) {
  const std::string before = Listing();
  ASSERT_TRUE(Contains(before, "Plan")) << before;
  for (const std::string input : {"", "\n", "maybe\n"}) {
    const CliResult kept = cli_.Run({"-c", "DELETE Projects"}, input);
    EXPECT_TRUE(Contains(kept.err, "Tarvo: The directory is not empty. [ok/cancel] (empty: cancel)")) << kept.err;
    EXPECT_EQ(Listing(), before) << ::testing::PrintToString(input);
  }
  const CliResult yes = cli_.Run({"--yes", "-c", "DELETE Projects"});
  EXPECT_TRUE(Contains(yes.err, "Tarvo: The directory is not empty. [ok/cancel] (empty: cancel) ok (--yes)"))
      << yes.err;
  const std::string after = Listing();
  EXPECT_FALSE(Contains(after, "Projects")) << after;
  EXPECT_TRUE(Contains(after, "Note.txt"));
}

TEST_F(TarvoCliQuestionsTest, SeveralItemsAndAReplacedFileGoOnlyOnATypedAnswerOrYes) {
  testing::WriteWholeFile(dir_.Path("pc/NOTE.TXT"), Text("a longer new note"));
  const std::string before = Listing();
  const CliResult kept = cli_.Run({"-c", "MCOPY NOTE.TXT"});
  EXPECT_TRUE(Contains(kept.err, "already exists. OK to replace it? [yes/no/cancel] (empty: cancel)")) << kept.err;
  EXPECT_EQ(Listing(), before);
  cli_.Run({"--yes", "-c", "MCOPY NOTE.TXT"});
  const std::string after = Listing();
  EXPECT_TRUE(Contains(after, " 17 ")) << after;  // the new note's length
  EXPECT_FALSE(Contains(after, "(001)"));

  const CliResult several = cli_.Run({"--select", "*", "--menu", "112"});
  EXPECT_TRUE(Contains(several.err, "Tarvo: Deleting several files/directories? [ok/cancel] (empty: cancel)"))
      << several.err;
  EXPECT_EQ(Listing(), after);
  cli_.Run({"--yes", "--select", "*", "--menu", "112"});
  EXPECT_EQ(Listing(), "");
}

TEST(TarvoCliFormatQuestionTest, FormatNeedsATypedNameOrYes) {
  testing::ScratchDir dir;
  const std::string image = dir.Path("cartridge.img");
  CliResult run = testing::RunTarvoCli({"--create", "44", image, "-c", "F", "-c", "DIR"}, "First\n\n", dir.Path(""));
  EXPECT_TRUE(Contains(run.out, "Vol: First")) << run.out << run.err;
  const Bytes8 formatted = testing::ReadWholeFile(image);
  for (const std::string input : {"", "\n"}) {
    run = testing::RunTarvoCli({"--image", image, "/A00", "-c", "F"}, input, dir.Path(""));
    EXPECT_TRUE(Contains(
        run.err, "Caution !!!\nAll data will be destroyed.\nName: Untitled\n[new name/cancel] (empty: cancel)"))
        << run.err;
    EXPECT_TRUE(testing::ReadWholeFile(image) == formatted);
  }
  run = testing::RunTarvoCli({"--image", image, "/A00", "--yes", "-c", "FORMAT", "-c", "DIR"}, "", dir.Path(""));
  EXPECT_TRUE(Contains(run.err, "[new name/cancel] (empty: cancel) ok (--yes)")) << run.err;
  EXPECT_TRUE(Contains(run.out, "Vol: Untitled")) << run.out;
}

}  // namespace
}  // namespace tarvo
