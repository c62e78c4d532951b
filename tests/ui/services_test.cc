#include "ui/services.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "base/context.h"
#include "support/scratch_files.h"
#include "ui/scan_parameters_dialog.h"
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
  SetStatus(ctx, "", "x");
  SetStatus(ctx, std::nullopt);
  SetStatus(ctx, std::string(200, 'a'));
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
  EXPECT_EQ(ProgressPercent(5, 0), 0u);
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

TEST_F(Services, ParametersStoreTheGeometryOrRefuseIt) {
  ctx.volume.volumeOrigin = 0;
  ctx.volume.sectorsPerBlock = 0;
  ScanParametersDialog dialog(ctx);
  EXPECT_EQ(dialog.origin(), "0");
  dialog.ApplyAnswer("search");
  dialog.ApplyAnswer("");
  dialog.ApplyAnswer("12 x");
  dialog.ApplyAnswer("12 129");
  EXPECT_FALSE(dialog.closed());
  EXPECT_EQ(ui.beeps, 4);
  dialog.ApplyAnswer(" 70  4 ");
  ASSERT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.result(), 1);
  EXPECT_EQ(ctx.volume.volumeOrigin, 70);
  EXPECT_EQ(ctx.volume.sectorsPerBlock, 4u);
  EXPECT_EQ(ctx.volume.allocBlockSize, 2048u);

  ui.answers = {"5 5", "cancel"};
  ScanParametersDialog second(ctx);
  second.ApplyAnswer("cancel");
  EXPECT_EQ(second.result(), 0);
  EXPECT_EQ(ctx.volume.sectorsPerBlock, 4u);
}

}  // namespace
}  // namespace tarvo
