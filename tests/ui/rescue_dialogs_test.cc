// DLG_RECUP and DLG_PARAM as models: the refusals of "Volume Scanning
// Parameters" and the copy mode put back after the dialog.
#include <gtest/gtest.h>

#include "base/context.h"
#include "ui/menu_model.h"
#include "ui/rescue_dialog.h"
#include "ui/scan_parameters_dialog.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

class RescueDialogsTest : public ::testing::Test {
 protected:
  RescueDialogsTest() { ctx_.ui = &ui_; }
  ScriptedUi ui_;
  Context ctx_;
};

TEST_F(RescueDialogsTest, ParametersStoreTheGeometryOrRefuseIt) {
  ctx_.volume.volumeOrigin = 0;
  ctx_.volume.sectorsPerBlock = 0;
  ScanParametersDialog dialog(ctx_);
  EXPECT_EQ(dialog.origin(), "0");
  dialog.ApplyAnswer("search");
  dialog.ApplyAnswer("");  // a cluster size of 0
  dialog.ApplyAnswer("12 x");
  dialog.ApplyAnswer("12 129");
  EXPECT_FALSE(dialog.closed());
  EXPECT_EQ(ui_.beeps, 4);
  dialog.ApplyAnswer(" 70  4 ");
  ASSERT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.result(), 1);
  EXPECT_EQ(ctx_.volume.volumeOrigin, 70);
  EXPECT_EQ(ctx_.volume.sectorsPerBlock, 4u);
  EXPECT_EQ(ctx_.volume.allocBlockSize, 2048u);

  ui_.answers = {"5 5", "cancel"};
  ScanParametersDialog second(ctx_);
  second.ApplyAnswer("cancel");
  EXPECT_EQ(second.result(), 0);
  EXPECT_EQ(ctx_.volume.sectorsPerBlock, 4u);
}

TEST_F(RescueDialogsTest, CopyModeButtonsLastAsLongAsTheDialog) {
  ctx_.volume.targetId = 0;
  ctx_.settings.modeFlags = kCopyResource | kListExtended;
  // Start without a geometry asks for it; its Cancel starts nothing.
  ui_.answers = {"binary", "start", "cancel", "close"};
  RunRescue(ctx_);
  EXPECT_EQ(ui_.dialogs, (std::vector<std::string>{"DLG_RECUP", "DLG_PARAM"}));
  EXPECT_EQ(ctx_.settings.modeFlags, kCopyResource | kListExtended);

  RescueDialog dialog(ctx_);
  EXPECT_EQ(dialog.copyMode(), kCopyResource);
  EXPECT_TRUE(dialog.parametersEnabled());
  dialog.ApplyAnswer("data");
  EXPECT_EQ(dialog.copyMode(), kCopyData);
  EXPECT_EQ(ctx_.settings.modeFlags, kCopyData | kListExtended);
}

}  // namespace
}  // namespace tarvo
