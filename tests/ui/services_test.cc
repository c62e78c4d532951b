#include "ui/services.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "base/context.h"
#include "support/scratch_files.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

class Services : public ::testing::Test {
 protected:
  Services() { ctx.ui = &ui; }
  ScriptedUi ui;
  Context ctx;
};

TEST_F(Services, AMessageClosedByItsTimerIsLoggedAndOneClosedByTheUserIsNot) {
  testing::ScratchDir dir;
  const std::string path = dir.Path("tarvo.log");
  ctx.log.file = std::fopen(path.c_str(), "wb");
  MessageDialog(ctx, "closed by the user");
  ui.messageDialogResult = -1;
  MessageDialog(ctx, kMsgWriteProtected);
  std::fclose(ctx.log.file);
  ctx.log.file = nullptr;
  std::vector<std::uint8_t> bytes = testing::ReadWholeFile(path);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "#Write-protected media.\n");
  EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(Services, StatusLineKeepsReplacesOrEmptiesEachText) {
  SetStatus(ctx, "Copying catalog...", "Please wait");
  SetStatus(ctx, "", "x");             // empty left text: kept
  SetStatus(ctx, std::nullopt);        // none: both emptied
  SetStatus(ctx, std::string(200, 'a'));  // at most 140 characters
  ASSERT_EQ(ui.statusLines.size(), 4u);
  EXPECT_EQ(ui.statusLines[0], "Copying catalog...|Please wait");
  EXPECT_EQ(ui.statusLines[1], "Copying catalog...|x");
  EXPECT_EQ(ui.statusLines[2], "|");
  EXPECT_EQ(ui.statusLines[3], std::string(140, 'a') + "|");
}

TEST_F(Services, ProgressPercentages) {
  EXPECT_EQ(ProgressPercent(100, 100), 0u);
  EXPECT_EQ(ProgressPercent(50, 100), 50u);
  EXPECT_EQ(ProgressPercent(0, 100), 100u);
  EXPECT_EQ(ProgressPercent(5, 0), 0u);  // no division by zero
  // Large transfers do not overflow the arithmetic.
  EXPECT_EQ(ProgressPercent(0, 0xFFFFFFFFul), 100u);
}

TEST_F(Services, OnlyEscAskedAndConfirmedAborts) {
  EXPECT_FALSE(PollAbort(ctx));
  EXPECT_TRUE(ui.boxes.empty());
  ui.pendingEscapes = 2;
  ui.answers = {"no", "yes"};
  EXPECT_FALSE(PollAbort(ctx));
  EXPECT_TRUE(PollAbort(ctx));
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0], "You hit the Esc key. Do you really want to abort?");
}

}  // namespace
}  // namespace tarvo
