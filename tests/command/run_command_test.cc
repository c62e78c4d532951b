#include "command/run_command.h"

#include <gtest/gtest.h>

#include "support/browse_volume.h"
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

  static BrowseVolume* volume_;
  static bool built_;
  std::unique_ptr<MountedVolume> v_;
};

BrowseVolume* RunCommandTest::volume_ = nullptr;
bool RunCommandTest::built_ = false;

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

}  // namespace
}  // namespace tarvo
