// tarvo-cli in shell scripts: exit status, pipes, Ctrl-C.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "support/cli_image.h"
#include "support/hfs_volume.h"

namespace tarvo {
namespace {

using testing::CliResult;
using testing::CliSession;
using testing::Contains;

class TarvoCliScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::MakeHfsVolume(scratch_.Path(""), cli_.image, "Script", 1024));
    testing::WriteWholeFile(scratch_.Path("a.txt"), std::vector<std::uint8_t>{'a'});
    const std::string copyIn = "hcopy -r " + testing::ShellQuote(scratch_.Path("a.txt")) + " :a.txt";
    ASSERT_TRUE(testing::RunHfsutils(scratch_.Path(""), cli_.image, {"hmkdir :Folder", copyIn}));
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) PcFile(name, 1);
  }
  void PcFile(const std::string& name, std::size_t size) {
    testing::WriteWholeFile(cli_.workDir + "/" + name, std::vector<std::uint8_t>(size, 'x'));
  }
  std::string Listing() const { return cli_.Run({"-c", "dir"}, "", ",ro").out; }

  static CliResult InterruptUntilEnded(CliSession& session) {
    for (int tries = 0; tries < 50 && session.Running(); ++tries) {
      session.Signal(SIGINT);
      for (int wait = 0; wait < 20 && session.Running(); ++wait) usleep(10000);
    }
    return session.Finish();
  }

  testing::ScratchDir scratch_;
  testing::ImageCli cli_{scratch_, scratch_.Path("v.img")};
};

TEST_F(TarvoCliScriptTest, ExitStatusTellsWhetherEveryCommandDidWhatItWasAsked) {
  PcFile("big.bin", 2 * 1024 * 1024);
  struct Case {
    std::vector<std::string> args;
    std::string suffix;  // after the image path
    int exitCode;
    std::string message;  // on standard error
  };
  const Case cases[] = {
      {{"-c", "cd Folder", "-c", "dir", "-c", "cd ..", "-c", "copy a.txt"}, "", 0, ""},
      {{"-c", "FROB"}, "", 1, "Tarvo: Unknown command: FROB\n"},
      {{"-c", "123 go"}, "", 1, "Tarvo: Unknown command: 123\n"},
      {{"-c", "cd nosuch"}, "", 1, "Tarvo: No such file or folder: nosuch\n"},
      {{"-c", "copy nosuch", "-c", "dir"}, "", 1, "Tarvo: No such file or folder: nosuch\n"},
      {{"-c", "delete nosuch"}, "", 1, "Tarvo: No such file or folder: nosuch\n"},
      {{"-c", "rename nosuch other"}, "", 1, "Tarvo: No such file or folder: nosuch\n"},
      {{"-c", "rename no* other*"}, "", 1, "Tarvo: No such file or folder: no*\n"},
      {{"-c", "mcopy nosuch"}, "", 1, "Tarvo: No such file or folder: nosuch\n"},
      {{"-c", "mcopy *.doc"}, "", 1, "Tarvo: No such file or folder: *.doc\n"},
      {{"-c", "dir nosuch"}, "", 1, "Tarvo: No such file or folder: nosuch\n"},
      {{"-c", "rename a.txt a.txt"}, "", 0, ""},
      {{"-c", "mcopy big.bin"}, "", 1, "Not enough space on the volume."},
      {{"-c", "md New"}, ",ro", 1, "Error writing to the volume: the change was not made."},
      {{"--frob"}, "", 2, "unknown option --frob"},
      {{"--menu", "999"}, "", 2, "999"},
      {{"--menu", "146"}, "", 1, "desktop program"},
      {{"-c"}, "", 2, "-c needs"},
      {{"--mode", "zip"}, "", 2, "--mode: \"zip\" is not a copy mode"},
      {{"--existing", "overwrite"}, "", 2, "--existing: \"overwrite\" is not replace, skip or keep"},
  };
  for (const Case& c : cases) {
    const CliResult run = testing::RunTarvoCli(cli_.Args(c.args, "", c.suffix));
    EXPECT_EQ(run.exitCode, c.exitCode) << ::testing::PrintToString(c.args) << run.err;
    EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    EXPECT_FALSE(Contains(run.out, "Tarvo:")) << run.out;  // messages never mix with the output
  }
  EXPECT_FALSE(Contains(Listing(), "big.bin"));
  cli_.ExpectClean();
}

TEST_F(TarvoCliScriptTest, ResultsAreToldOnStandardError) {
  // The PC's a.txt stays and the copy is numbered, without a question.
  CliResult run =
      cli_.Run({"--existing", "keep", "-c", "copy a.txt", "-c", "mcopy b.txt", "-c", "dir", "-c", "verify"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err,
            "Tarvo: 1 file copied, 1 bytes; 0 skipped, 0 failed.\n"
            "Tarvo: 1 file copied, 1 bytes; 0 skipped, 0 failed.\n"
            "Tarvo: Verification complete: 2047 blocks, no errors.\n");
  const std::string made = scratch_.Path("new.img");
  run = testing::RunTarvoCli({"--create", "44", made}, "", cli_.tempDir);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err,
            "tarvo-cli: made " + made + ", a blank 44 MB cartridge image; FORMAT makes a Macintosh volume on it.\n");
  run = testing::RunTarvoCli({"--version"});
  EXPECT_EQ(run.out.rfind("tarvo-cli ", 0), 0u) << run.out;
}

TEST_F(TarvoCliScriptTest, ModeOptionChoosesTheCopyModeOfTheRun) {
  const CliResult run = cli_.Run({"--mode", "binhex", "-c", "copy a.txt"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(cli_.workDir + "/a.hqx"));
}

TEST_F(TarvoCliScriptTest, APlainWordIsAnImageToOpen) {
  const CliResult run = testing::RunTarvoCli({cli_.image, "-c", "dir"}, "", cli_.tempDir);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "Vol: Script")) << run.out;
}

TEST_F(TarvoCliScriptTest, AShellLoopOverImagesListsEachOne) {
  const std::string loop = "cd " + testing::ShellQuote(cli_.workDir) + " && TMPDIR=" +
                           testing::ShellQuote(cli_.tempDir) + " && export TMPDIR && printf '%s\\n' " +
                           testing::ShellQuote(cli_.image) + " " + testing::ShellQuote(cli_.image) +
                           " | while read -r f; do " + testing::ShellQuote(testing::TarvoCliPath()) +
                           " --image \"$f,ro\" -c dir || echo failed; done 2>&1";
  std::FILE* shell = popen(loop.c_str(), "r");
  ASSERT_NE(shell, nullptr);
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, shell)) > 0;) out.append(buffer, n);
  EXPECT_EQ(pclose(shell), 0);
  EXPECT_EQ(testing::CountOf(out, "Vol: Script"), 2) << out;
  EXPECT_FALSE(Contains(out, "failed"));
}

TEST_F(TarvoCliScriptTest, CtrlCAtThePromptEndsTheRunAsAShellWould) {
  CliSession session(cli_.Args({}));
  ASSERT_TRUE(session.Send("dir\n"));
  ASSERT_TRUE(session.WaitForOutput("Vol: Script"));
  const CliResult run = InterruptUntilEnded(session);
  EXPECT_EQ(run.exitCode, 130) << run.err;
  EXPECT_EQ(run.signal, 0);
  cli_.ExpectClean();
}

TEST_F(TarvoCliScriptTest, CtrlCDuringACopyAsksToAbortIt) {
  CliSession session(cli_.Args({}));
  ASSERT_TRUE(session.Send("mcopy *\n"));
  ASSERT_TRUE(session.WaitForError("already exists. OK to replace it?"));
  session.Signal(SIGINT);
  usleep(100000);  // delivered to the waiting copy before its answer comes
  ASSERT_TRUE(session.Send("no\n"));
  ASSERT_TRUE(session.WaitForError("Do you really want to abort?"));
  const CliResult run = session.Finish("yes\n");
  EXPECT_EQ(run.exitCode, 1) << run.err;
  const std::string listing = Listing();
  EXPECT_FALSE(Contains(listing, "b.txt")) << listing;
  EXPECT_FALSE(Contains(listing, "c.txt"));
  cli_.ExpectClean();
}

TEST_F(TarvoCliScriptTest, CtrlCIsNotKeptForTheNextCommand) {
  CliSession session(cli_.Args({}));
  ASSERT_TRUE(session.Send("mcopy a.txt\n"));
  ASSERT_TRUE(session.WaitForError("already exists. OK to replace it?"));
  session.Signal(SIGINT);
  usleep(100000);
  const CliResult run = session.Finish("no\nmcopy b.txt\n");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_FALSE(Contains(run.err, "abort")) << run.err;
  EXPECT_TRUE(Contains(Listing(), "b.txt"));
}

}  // namespace
}  // namespace tarvo
