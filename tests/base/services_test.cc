#include "base/services.h"

#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/scratch_files.h"
#include "ui/context.h"
#include "ui/dispatcher.h"
#include "ui/log_dialog.h"
#include "ui/menu_model.h"
#include "ui/scan_parameters_dialog.h"
#include "support/scripted_ui.h"

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
