// Typed commands, and the command line dialog that runs them (menu 129), on
// a real volume built by hfsutils, with the scripted user interface.
#include "command/run_command.h"

#include <gtest/gtest.h>

#include "command/command_dialog.h"

#include "support/browse_volume.h"
#include "ui/dispatcher.h"
#include "ui/listing.h"
#include "ui/menu_model.h"

namespace tarvo {
namespace {

using testing::BrowseVolume;
using testing::MountedVolume;

class RunCommandTest : public ::testing::Test {
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

  void Type(const std::string& line) { ExecuteCommandLine(v_->ctx, line); }
  const std::string& dirName() { return v_->ctx.volume.current.currentDirName; }
  const std::vector<std::string>& lastListing() { return v_->ui.listings.back(); }

  static BrowseVolume* volume_;
  static bool built_;
  std::unique_ptr<MountedVolume> v_;
};

BrowseVolume* RunCommandTest::volume_ = nullptr;
bool RunCommandTest::built_ = false;

TEST_F(RunCommandTest, CdGoesDownUpAndToTheRoot) {
  Type("cd sub");
  EXPECT_EQ(dirName(), "Sub ");
  EXPECT_EQ(v_->ctx.listing.count, 2);
  Type("CD \"Inner Folder\"");
  EXPECT_EQ(dirName(), "Inner Folder ");
  EXPECT_EQ(v_->ctx.listing.count, 1);
  Type("cd..");
  EXPECT_EQ(dirName(), "Sub ");
  Type("cd Inner");  // no such folder: nothing moves
  EXPECT_EQ(dirName(), "Sub ");
  Type("cd \"Inner Folder\"");
  Type("cd\\");
  EXPECT_EQ(dirName(), "Root  ");
  EXPECT_EQ(v_->ctx.listing.count, 4);
  EXPECT_FALSE(v_->ctx.menu.item(kMenuRoot).enabled);
  // Trailing blanks go; typed Windows characters become Macintosh ones.
  Type("CD \"Sub   \"");
  EXPECT_EQ(dirName(), "Sub ");
  Type("CD ..");
  Type("cd caf\xe9");
  EXPECT_EQ(dirName(), "Caf\x8e ");
}

TEST_F(RunCommandTest, CdAloneEntersTheSelectedFolder) {
  for (std::uint16_t i = 0; i < v_->ctx.listing.count; ++i)
    if (v_->ctx.listing.rows[i].name == "Many") SelectEntry(v_->ctx.listing, i);
  Type("cd");
  EXPECT_EQ(dirName(), "Many ");
  EXPECT_EQ(v_->ctx.listing.count, testing::kManyFiles);
  EXPECT_TRUE(v_->ctx.menu.item(kMenuNextScreen).enabled);
}

TEST_F(RunCommandTest, DirFollowsTheModeAndThePattern) {
  Type("cd sub");
  Type("DIR");
  ASSERT_EQ(v_->ui.listings.size(), 1u);
  EXPECT_EQ(lastListing().size(), 4u);  // two header lines and two rows
  const std::size_t shortWidth = lastListing()[3].size();

  Type("dir /e");
  EXPECT_EQ(CurrentListingMode(v_->ctx.settings.modeFlags), ListingMode::kExtended);
  EXPECT_TRUE(v_->ctx.menu.item(kMenuExtendedListing).checked);
  EXPECT_FALSE(v_->ctx.menu.item(kMenuShortListing).checked);
  EXPECT_GT(lastListing()[3].size(), shortWidth + 30);  // lengths and two dates

  Type("dir b*");  // the mode stays, only b.txt is listed
  ASSERT_EQ(lastListing().size(), 3u);
  EXPECT_EQ(lastListing()[2].substr(0, 5), "b.txt");
  EXPECT_EQ(v_->ctx.listing.count, 1);
  EXPECT_EQ(CurrentListingMode(v_->ctx.settings.modeFlags), ListingMode::kExtended);

  Type("dir -s nothing*");
  EXPECT_EQ(lastListing().back(), v_->ctx.messages[kMsgNoFile]);
  EXPECT_TRUE(v_->ctx.menu.item(kMenuShortListing).checked);
}

TEST_F(RunCommandTest, MenuCommandsAndSimpleSettings) {
  Type("?");
  Type("INFO");
  EXPECT_EQ(v_->ui.helpTopics.size(), 1u);
  EXPECT_EQ(v_->ui.volumeInfos.size(), 1u);

  Type("mode r");
  EXPECT_TRUE(v_->ctx.device.resetBeforeTransfer);
  Type("mode R-");
  EXPECT_FALSE(v_->ctx.device.resetBeforeTransfer);
  Type("mode R+");
  Type("mode x-");
  EXPECT_TRUE(v_->ctx.device.resetBeforeTransfer);
  EXPECT_TRUE(v_->ctx.menu.item(kMenuReset).checked);

  Type("LOCK");
  EXPECT_TRUE(v_->bus.RemovalPrevented(0));
  Type("unlock");
  EXPECT_FALSE(v_->bus.RemovalPrevented(0));

  const int repaints = v_->ui.repaints;
  for (const char* line : {"", "FROB", "TYPE x", "CLS", "NEXT", "REP"}) Type(line);
  EXPECT_EQ(v_->ui.repaints, repaints);
  EXPECT_EQ(v_->ctx.listing.count, 4);
  EXPECT_FALSE(v_->ctx.settings.closeRequested);
  Type("quit");
  EXPECT_TRUE(v_->ctx.settings.closeRequested);
}

TEST_F(RunCommandTest, NavigationNeedsAVolume) {
  Type("cd sub");
  v_->ctx.volume.targetId = kNoDevice;  // the drive was dropped
  Type("cd..");
  Type("dir");
  EXPECT_EQ(dirName(), "Sub ");
  EXPECT_TRUE(lastListing().empty());
}

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

// Cancel and an unknown word do nothing; a typed line runs and the menu
// follows.
TEST_F(RunCommandTest, DialogRunsTheTypedLine) {
  const int repaints = v_->ui.repaints;
  v_->ui.answers = {"cancel"};
  DispatchCommand(v_->ctx, kMenuCommandLine);
  EXPECT_EQ(dirName(), "Root  ");
  v_->ui.answers = {"xyzzy sub"};
  DispatchCommand(v_->ctx, kMenuCommandLine);
  EXPECT_EQ(dirName(), "Root  ");
  EXPECT_TRUE(v_->ui.messages.empty());
  EXPECT_GT(v_->ui.repaints, repaints);

  v_->ui.answers = {"cd sub"};
  DispatchCommand(v_->ctx, kMenuCommandLine);
  EXPECT_EQ(v_->ui.dialogs.back(), "DLG_COMM");
  EXPECT_EQ(dirName(), "Sub ");
  EXPECT_TRUE(v_->ctx.menu.item(kMenuParent).enabled);
}

}  // namespace
}  // namespace tarvo
