#include "ui/log_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/context.h"
#include "support/scratch_files.h"
#include "ui/dispatcher.h"
#include "ui/menu_model.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

class LogDialogTest : public ::testing::Test {
 protected:
  LogDialogTest() { ctx.ui = &ui; }
  ~LogDialogTest() override { CloseLog(ctx.log); }

  ScriptedUi ui;
  Context ctx;
  testing::ScratchDir scratch;
  fs::path dir = scratch.Path("");
  testing::InDirectory in{dir};
};

TEST_F(LogDialogTest, TheOkKeyStoresAtMostElevenCharacters) {
  LogDialog dialog(ctx);
  dialog.SetFieldText("averyveryverylongname.log");
  dialog.StoreName();
  EXPECT_EQ(ctx.messages[kMsgLogFileName], "averyveryve");
  EXPECT_EQ(dialog.fieldText(), "averyveryve");
  EXPECT_FALSE(dialog.closed());

  dialog.SetFieldText("b.log");
  dialog.Open();
  AppendLog(ctx.log, "x\n");
  EXPECT_EQ(ctx.messages[kMsgLogFileName], "b.log");
  EXPECT_TRUE(fs::exists(dir / "b.log"));
}

TEST_F(LogDialogTest, AFileThatCannotBeOpenedEndsTheProgram) {
  LogDialog dialog(ctx);
  dialog.SetFieldText("no/such.log");
  EXPECT_THROW(dialog.Create(), FatalExit);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "Error opening file:no/such.log");
}

TEST_F(LogDialogTest, MenuCommandRunsTheDialogAndTheCheckMarkFollows) {
  ui.answers = {"create first.log", "name", "ok"};
  DispatchCommand(ctx, kMenuLogFile);
  EXPECT_EQ(ui.dialogs.back(), "DLG_FLOG");
  EXPECT_TRUE(IsLogOpen(ctx.log));
  EXPECT_TRUE(fs::exists(dir / "first.log"));
  EXPECT_TRUE(ctx.menu.item(kMenuLogFile).checked);

  AppendLog(ctx.log, "x\n");
  ui.answers = {"create other.log", "close", "open"};
  DispatchCommand(ctx, kMenuLogFile);
  EXPECT_TRUE(IsLogOpen(ctx.log));
  EXPECT_EQ(ctx.messages[kMsgLogFileName], "other.log");
  EXPECT_EQ(fs::file_size(dir / "first.log"), 2u);
  EXPECT_TRUE(fs::exists(dir / "other.log"));

  ui.answers = {"close", "cancel"};
  DispatchCommand(ctx, kMenuLogFile);
  EXPECT_FALSE(IsLogOpen(ctx.log));
  EXPECT_FALSE(ctx.menu.item(kMenuLogFile).checked);
}

}  // namespace
}  // namespace tarvo
