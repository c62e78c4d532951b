// Copies to the PC that find their name taken: the question (replace, skip,
// keep both, each also for all), --existing, --yes and the end of input.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_image.h"
#include "support/hfs_volume.h"

namespace tarvo {
namespace {

using Bytes8 = std::vector<std::uint8_t>;
using testing::CliResult;
using testing::Contains;
using testing::CountOf;

constexpr const char* kNoteQuestion =
    "Tarvo: \"Note.txt\" already exists on the PC. [replace/skip/keep, or with \"all\"] (empty: keep)";

Bytes8 Text(const std::string& text) { return Bytes8(text.begin(), text.end()); }

class TarvoCliExistingFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::MakeHfsVolume(dir_.Path(""), cli_.image, "Work", 2048));
    testing::WriteWholeFile(dir_.Path("in.txt"), Text("new text"));
    testing::WriteWholeFile(dir_.Path("big.txt"), Bytes8(600 * 1024, 'x'));
    const std::string in = testing::ShellQuote(dir_.Path("in.txt"));
    ASSERT_TRUE(testing::RunHfsutils(dir_.Path(""), cli_.image,
                                     {"hcopy -r " + in + " :Note.txt", "hcopy -r " + in + " :Plan.txt",
                                      "hmkdir :Projects", "hcopy -r " + in + " :Projects:Plan.txt",
                                      "hcopy -r " + testing::ShellQuote(dir_.Path("big.txt")) + " :Big.txt"}));
    for (const char* name : {"Note.txt", "Plan.txt", "Projects/Plan.txt", "Big.txt"}) {
      std::filesystem::create_directories(std::filesystem::path(PcPath(name)).parent_path());
      testing::WriteWholeFile(PcPath(name), Text("old"));
    }
  }
  std::string PcPath(const std::string& name) const { return dir_.Path("pc/" + name); }
  std::string PcText(const std::string& name) const {
    const Bytes8 bytes = testing::ReadWholeFile(PcPath(name));
    return std::string(bytes.begin(), bytes.end());
  }
  // The names in the PC directory, hidden ones included, in order.
  std::vector<std::string> PcNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.Path("pc")))
      names.push_back(std::filesystem::relative(entry.path(), dir_.Path("pc")).string());
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::ScratchDir dir_;
  testing::ImageCli cli_{dir_, dir_.Path("work.img")};
};

TEST_F(TarvoCliExistingFilesTest, EachAnswerReplacesSkipsOrKeepsBoth) {
  const std::vector<std::string> before = PcNames();
  CliResult run = cli_.Run({"--verbose", "-c", "COPY Note.txt"}, "skip\n");
  EXPECT_TRUE(Contains(run.err, kNoteQuestion)) << run.err;
  EXPECT_TRUE(Contains(run.err, "0 files copied, 0 bytes; 1 skipped, 0 failed.")) << run.err;
  EXPECT_EQ(PcText("Note.txt"), "old");
  EXPECT_EQ(PcNames(), before);

  run = cli_.Run({"--verbose", "-c", "COPY Note.txt"}, "replace\n");
  EXPECT_TRUE(Contains(run.err, "1 file copied, 8 bytes; 0 skipped, 0 failed.")) << run.err;
  EXPECT_EQ(PcText("Note.txt"), "new text");
  EXPECT_EQ(PcNames(), before);  // no stand-in left beside it

  // An empty answer, and the end of input, keep both.
  testing::WriteWholeFile(PcPath("Note.txt"), Text("old"));
  for (const std::string input : {"\n", ""}) cli_.Run({"-c", "COPY Note.txt"}, input);
  EXPECT_EQ(PcText("Note.txt"), "old");
  EXPECT_EQ(PcText("Note (1).txt"), "new text");
  EXPECT_EQ(PcText("Note (2).txt"), "new text");
}

TEST_F(TarvoCliExistingFilesTest, AnAnswerForAllHoldsForTheRestOfTheCommandOnly) {
  // The folder exists already: only the file inside it clashes.
  CliResult run = cli_.Run({"-c", "COPY *.txt", "-c", "COPY Projects"}, "replace all\nskip all\n");
  EXPECT_EQ(CountOf(run.err, "already exists on the PC."), 2) << run.err;
  EXPECT_EQ(CountOf(run.err, kNoteQuestion), 0) << run.err;  // Big.txt comes first and is asked
  for (const char* name : {"Big.txt", "Note.txt", "Plan.txt"}) EXPECT_NE(PcText(name), "old") << name;
  EXPECT_EQ(PcText("Projects/Plan.txt"), "old");

  run = cli_.Run({"-c", "COPY *"}, "keep all\n");
  EXPECT_EQ(CountOf(run.err, "already exists on the PC."), 1) << run.err;
  EXPECT_EQ(PcText("Note (1).txt"), "new text");
  EXPECT_EQ(PcText("Projects/Plan (1).txt"), "new text");
}

TEST_F(TarvoCliExistingFilesTest, ScriptsChooseWithExistingAndYesKeepsBoth) {
  CliResult run = cli_.Run({"--existing", "skip", "--verbose", "-c", "COPY *"}, "replace all\n");
  EXPECT_FALSE(Contains(run.err, "already exists on the PC.")) << run.err;
  EXPECT_TRUE(Contains(run.err, "0 files copied, 0 bytes; 4 skipped, 0 failed.")) << run.err;
  EXPECT_EQ(PcText("Note.txt"), "old");

  run = cli_.Run({"--yes", "-c", "COPY Note.txt"});
  EXPECT_TRUE(Contains(run.err, std::string(kNoteQuestion) + " keep (--yes)")) << run.err;
  EXPECT_EQ(PcText("Note.txt"), "old");
  EXPECT_EQ(PcText("Note (1).txt"), "new text");

  cli_.Run({"--existing", "replace", "--yes", "-c", "COPY Note.txt"});
  EXPECT_EQ(PcText("Note.txt"), "new text");
}

TEST_F(TarvoCliExistingFilesTest, AReplaceThatFailsLeavesTheOldFileAsItWas) {
  const std::vector<std::string> before = PcNames();
  testing::CliRun args = cli_.Args({"--existing", "replace", "--verbose", "-c", "COPY Big.txt"});
  args.fileSizeLimit = 64 * 1024;
  const CliResult run = testing::RunTarvoCli(args);
  EXPECT_TRUE(Contains(run.err, "Error writing file: Big.txt")) << run.err;
  EXPECT_TRUE(Contains(run.err, "0 files copied, 0 bytes; 0 skipped, 1 failed.")) << run.err;
  EXPECT_EQ(PcText("Big.txt"), "old");
  EXPECT_EQ(PcNames(), before);
}

}  // namespace
}  // namespace tarvo
