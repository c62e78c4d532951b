#include <gtest/gtest.h>

#include <filesystem>

#include "base/context.h"
#include "support/scratch_files.h"
#include "ui/copy_option_dialogs.h"
#include "ui/destination_dialog.h"
#include "ui/dispatcher.h"
#include "ui/name_dialog.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

class CopyDialogsTest : public ::testing::Test {
 protected:
  CopyDialogsTest() {
    ctx_.ui = &ui_;
    fs::create_directories(root_ / "a" / "b");
    fs::create_directories(root_ / "c");
  }

  ScriptedUi ui_;
  Context ctx_;
  testing::ScratchDir scratch_;
  fs::path root_ = fs::canonical(scratch_.Path(""));
  testing::InDirectory in_{root_};
  HostPcDirectories pc_;
};

TEST_F(CopyDialogsTest, TargetDirectoryNavigatesAndCreates) {
  DestinationDialog dialog(ctx_, pc_, 106);
  EXPECT_EQ(dialog.confirmCaption(), "Copy in current directory");
  EXPECT_EQ(dialog.directories(), (std::vector<std::string>{"[..]", "[a]", "[c]"}));
  dialog.ApplyAnswer("a");
  dialog.ApplyAnswer("[b]");
  EXPECT_EQ(fs::current_path(), root_ / "a" / "b");
  dialog.ApplyAnswer("..");
  dialog.ApplyAnswer("missing");
  EXPECT_EQ(dialog.path(), (root_ / "a").string());
  ui_.answers = {"cancel"};
  dialog.ApplyAnswer("new");  // "Create new", then Cancel: nothing made
  EXPECT_EQ(dialog.directories(), (std::vector<std::string>{"[..]", "[b]"}));
  ui_.answers = {".."};
  dialog.ApplyAnswer("new");
  EXPECT_EQ(fs::current_path(), root_ / "a" / "__");
  EXPECT_FALSE(dialog.closed());
  dialog.ApplyAnswer("");
  EXPECT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.result(), 1);
  EXPECT_EQ(ui_.dialogs, (std::vector<std::string>{"DLG_NOUV", "DLG_NOUV"}));
}

TEST_F(CopyDialogsTest, NamingCancelRestoresTheModeButNotThePort) {
  ctx_.settings.namingMode = NamingMode::kLong;
  ui_.answers = {"lpt2"};
  DispatchCommand(ctx_, 127);
  EXPECT_EQ(ctx_.settings.outputPort, 2);

  NamingDialog naming(ctx_.settings);
  naming.Click(NamingMode::kShort);
  EXPECT_EQ(ctx_.settings.namingMode, NamingMode::kShort);
  naming.Cancel();
  EXPECT_EQ(ctx_.settings.namingMode, NamingMode::kLong);
  EXPECT_EQ(ctx_.settings.outputPort, 2);

  PortDialog port(ctx_.settings);
  port.Click(5);
  port.Cancel();
  EXPECT_EQ(ctx_.settings.outputPort, 5);

  ui_.answers = {"fly"};
  DispatchCommand(ctx_, 126);
  EXPECT_EQ(ctx_.settings.namingMode, NamingMode::kOnTheFly);
  EXPECT_EQ(ui_.dialogs, (std::vector<std::string>{"DLG_PORT", "DLG_OPT"}));
}

TEST(NameDialog, AnswersNameConfirmOrCancel) {
  NameDialog keep("DLG_NOMD", "File name on the DOS volume", "Old", "Old", 30);
  keep.ApplyAnswer("");
  EXPECT_EQ(keep.result(), "Old");
  NameDialog typed("DLG_NOMD", "t", "Old", "Old", 30);
  typed.ApplyAnswer(" \"cancel\" ");
  EXPECT_EQ(typed.result(), "cancel");
  NameDialog cut("DLG_NOMD", "t", "Old", "Old", 30);
  cut.ApplyAnswer(std::string(35, 'x'));
  EXPECT_EQ(cut.result(), std::string(30, 'x'));
  NameDialog cancelled("DLG_NOUV", "New Directory", "", "DIR", 39);
  cancelled.ApplyAnswer("Cancel");
  EXPECT_TRUE(cancelled.closed());
  EXPECT_FALSE(cancelled.result());
}

}  // namespace
}  // namespace tarvo
