// The typed command line dialog (menu 129) on a real volume built by
// hfsutils, with the scripted user interface.
#include "command/command_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/browse_volume.h"
#include "ui/dispatcher.h"
#include "ui/menu_model.h"

namespace tarvo {
namespace {

using testing::BrowseVolume;
using testing::MountedVolume;

TEST(CommandDialogModel, ExecuteKeepsTheFieldsCharactersAndCancelGivesZero) {
  CommandDialog dialog;
  dialog.SetLine(std::string(100, 'x'));
  EXPECT_EQ(dialog.line().size(), 79u);
  dialog.ApplyAnswer("cd \"Inner Folder\"");
  EXPECT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.result(), 1);
  EXPECT_EQ(dialog.line(), "cd \"Inner Folder\"");

  CommandDialog cancelled;
  cancelled.ApplyAnswer(" Cancel ");
  EXPECT_TRUE(cancelled.closed());
  EXPECT_EQ(cancelled.result(), 0);
}

class CommandDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    volume_ = new BrowseVolume;
    built_ = volume_->Build();
  }
  static void TearDownTestSuite() { delete volume_; }

  void SetUp() override {
    ASSERT_TRUE(built_);
    v_ = volume_->Open();
    ASSERT_NE(v_, nullptr);
  }

  Context& ctx() { return v_->ctx; }
  const std::string& dirName() { return v_->ctx.volume.current.currentDirName; }

  static BrowseVolume* volume_;
  static bool built_;
  std::unique_ptr<MountedVolume> v_;
};

BrowseVolume* CommandDialogTest::volume_ = nullptr;
bool CommandDialogTest::built_ = false;

TEST_F(CommandDialogTest, TheTypedLineRunsAndTheMenuFollows) {
  v_->ui.answers = {"cd sub"};
  DispatchCommand(ctx(), kMenuCommandLine);
  EXPECT_EQ(v_->ui.dialogs.back(), "DLG_COMM");
  EXPECT_EQ(dirName(), "Sub ");
  EXPECT_TRUE(ctx().menu.item(kMenuParent).enabled);

  // An option changes the listing mode; the check marks follow it.
  v_->ui.answers = {"dir /e"};
  DispatchCommand(ctx(), kMenuCommandLine);
  EXPECT_TRUE(ctx().menu.item(kMenuExtendedListing).checked);
  EXPECT_FALSE(ctx().menu.item(kMenuShortListing).checked);
}

TEST_F(CommandDialogTest, CancelAndUnknownWordsDoNothing) {
  const int repaints = v_->ui.repaints;
  v_->ui.answers = {"cancel"};
  DispatchCommand(ctx(), kMenuCommandLine);
  EXPECT_EQ(dirName(), "Root  ");
  v_->ui.answers = {"xyzzy sub"};
  DispatchCommand(ctx(), kMenuCommandLine);
  EXPECT_EQ(dirName(), "Root  ");
  EXPECT_TRUE(v_->ui.messages.empty());
  EXPECT_GT(v_->ui.repaints, repaints);
}

TEST_F(CommandDialogTest, MenuCommandsRunAfterTheDialogClosed) {
  // HELP stands for menu 132; CD alone for 108, which needs a selected folder.
  v_->ui.answers = {"help"};
  DispatchCommand(ctx(), kMenuCommandLine);
  ASSERT_EQ(v_->ui.helpTopics.size(), 1u);
  EXPECT_EQ(v_->ui.helpTopics[0], "");
  v_->ui.answers = {"cd"};
  DispatchCommand(ctx(), kMenuCommandLine);
  EXPECT_EQ(dirName(), "Root  ");
  const auto& lines = v_->ui.statusLines;
  EXPECT_NE(std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("No selected"); }),
            lines.end());
  EXPECT_EQ(lines.back(), "|");  // cleared once the command has run
}

}  // namespace
}  // namespace tarvo
