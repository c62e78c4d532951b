// tarvo-cli at a user's terminal: the Tarvo> prompt's line editing and
// history, and Ctrl-C there.
#include <gtest/gtest.h>

#include "support/cli_image.h"
#include "support/cli_terminal.h"
#include "support/hfs_volume.h"

namespace tarvo {
namespace {

using testing::CliResult;
using testing::CliTerminal;
using testing::Contains;

class TarvoCliTerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::MakeHfsVolume(scratch_.Path(""), cli_.image, "Typed", 1024));
    cli_.env = {"TERM=xterm"};
  }

  testing::ScratchDir scratch_;
  testing::ImageCli cli_{scratch_, scratch_.Path("v.img")};
};

TEST_F(TarvoCliTerminalTest, UpArrowRecallsTheLineTypedBefore) {
#ifndef TARVO_CLI_LINE_EDITING
  GTEST_SKIP() << "tarvo-cli was built without libedit";
#endif
  CliTerminal terminal(cli_.Args({}));
  ASSERT_TRUE(terminal.WaitFor("Tarvo> "));
  ASSERT_TRUE(terminal.Type("md Café\r"));
  ASSERT_TRUE(terminal.WaitFor("Tarvo> "));
  ASSERT_TRUE(terminal.Type("dir\r"));
  ASSERT_TRUE(terminal.WaitFor("Tarvo> "));
  ASSERT_TRUE(terminal.Type("\033[A\r"));  // the up arrow, then Enter
  ASSERT_TRUE(terminal.WaitFor("Tarvo> "));
  ASSERT_TRUE(terminal.Type("quit\r"));
  const CliResult run = terminal.Finish();
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(testing::CountOf(run.out, "Vol: Typed"), 2) << run.out;
  EXPECT_EQ(testing::CountOf(run.out, "Café "), 2) << run.out;  // typed characters beyond ASCII are kept
}

TEST_F(TarvoCliTerminalTest, CtrlCAtThePromptEndsTheRunAsAShellWould) {
  for (const char* typed : {"", "di"}) {
    CliTerminal terminal(cli_.Args({}));
    ASSERT_TRUE(terminal.WaitFor("Tarvo> "));
    ASSERT_TRUE(terminal.Type(std::string(typed) + "\003"));
    const CliResult run = terminal.Finish();
    EXPECT_EQ(run.exitCode, 130) << typed << run.out;
    EXPECT_EQ(run.signal, 0);
  }
  cli_.ExpectClean();
}

}  // namespace
}  // namespace tarvo
