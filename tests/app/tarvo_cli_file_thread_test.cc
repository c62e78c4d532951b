// tarvo-cli on a volume whose files have thread records, as Macintoshes
// make them: DELETE, RENAME and a new name in the attributes dialog leave
// a volume the check calls clean and that takes later writes, and hfsutils
// (a black box) reads every file.
#include <gtest/gtest.h>

#include "support/cli_process.h"
#include "support/edit_volume.h"
#include "support/file_threads.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::CliResult;
using testing::ShellQuote;
using Data = std::vector<std::uint8_t>;

Data Content(const std::string& text) { return Data(text.begin(), text.end()); }

class TarvoCliFileThreadTest : public ::testing::Test {
 protected:
  TarvoCliFileThreadTest() : volume_(2048, "Threads") {}
  // One (both forks), Two, Three and Box:Inner, each with a thread record.
  void SetUp() override {
    std::filesystem::create_directories(scratch_.Path("pc"));
    const std::string one = scratch_.Path("one.bin");
    testing::WriteWholeFile(one, testing::MacBinaryFile("One", "TEXT", "ttxt", Content("One"), Data(900, 0x5A)));
    std::vector<std::string> commands{"hmkdir :Box", "hcopy -m " + ShellQuote(one) + " :One"};
    for (const std::string path : {"Two", "Three", "Box:Inner"}) {
      const std::string pc = scratch_.Path(std::to_string(commands.size()));
      testing::WriteWholeFile(pc, Content(path));
      commands.push_back("hcopy -r " + ShellQuote(pc) + " " + ShellQuote(":" + path));
    }
    ASSERT_TRUE(volume_.HfsutilsWrite(commands));
    ASSERT_TRUE(testing::AddFileThreads(volume_.image(), {"One", "Two", "Three", "Box:Inner"}));
    ExpectClean();
  }

  CliResult Run(std::vector<std::string> args, const std::string& input = "", const std::string& suffix = "") {
    testing::CliRun run;
    run.args = {"--image", volume_.image() + suffix, "/A00"};
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.input = input;
    run.tempDir = scratch_.Path("");
    run.workDir = scratch_.Path("pc");
    CliResult result = testing::RunTarvoCli(run);
    EXPECT_TRUE(result.EndedCleanly()) << result.err;
    return result;
  }
  void ExpectClean() {
    const CliResult check = Run({"--check"}, "", ",ro");
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.out, "Volume check: no problems found.\n");
  }

  testing::ScratchDir scratch_;
  testing::EditVolume volume_;
};

TEST_F(TarvoCliFileThreadTest, DeleteRenameAndANewNameInTheDialogKeepTheVolumeSound) {
  EXPECT_EQ(Run({"-c", "delete Two"}).err, "");
  ExpectClean();
  EXPECT_EQ(Run({"-c", "rename One Uno", "-c", "cd Box", "-c", "rename Inner Kern"}).err, "");
  ExpectClean();
  Run({"--select", "Three", "-c", "attrib"}, "name Drei\nwrite\n");
  ExpectClean();

  // Later writes work.
  testing::WriteWholeFile(scratch_.Path("pc/NEW.TXT"), Content("New"));
  EXPECT_EQ(Run({"-c", "md Later", "-c", "mcopy NEW.TXT", "-c", "rename Uno One", "-c", "delete Drei"}).err, "");
  ExpectClean();

  EXPECT_EQ(volume_.HfsutilsTree(),
            (std::set<std::string>{":One", ":Later:", ":New.txt", ":Box:", ":Box:Kern"}));
  const testing::ExtractedFile one = volume_.HfsutilsFile(":One");
  EXPECT_EQ(one.data, Content("One"));
  EXPECT_EQ(one.rsrc, Data(900, 0x5A));
  EXPECT_EQ(volume_.HfsutilsFile(":Box:Kern").data, Content("Box:Inner"));
  EXPECT_EQ(volume_.HfsutilsFile(":New.txt").data, Content("New"));
}

}  // namespace
}  // namespace tarvo
