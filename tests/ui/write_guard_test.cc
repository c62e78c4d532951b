#include "ui/write_guard.h"

#include <gtest/gtest.h>

#include "base/context.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

class WriteGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.ui = &ui;
    ctx.volume.targetId = 4;
  }
  bool Guard(RefusalNotice notice = RefusalNotice::kMessageBox) {
    return WriteGuard(ctx, [this] { ++probes; return writeProtected; }, notice);
  }

  ScriptedUi ui;
  Context ctx;
  bool writeProtected = false;
  int probes = 0;
};

TEST_F(WriteGuardTest, GuardsExactlyTheWriteCommands) {
  for (int id = 101; id <= 142; ++id) {
    const bool guarded = id == 102 || id == 103 || id == 107 || id == 111 || id == 112 || id == 113;
    EXPECT_EQ(IsGuardedCommand(id), guarded) << id;
  }
}

TEST_F(WriteGuardTest, WritableMediumPassesSilently) {
  EXPECT_TRUE(Guard());
  EXPECT_EQ(probes, 1);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(WriteGuardTest, RefusesMediaWith1024ByteSectors) {
  ctx.volume.sectorSize = 1024;
  EXPECT_FALSE(Guard());
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0], "Write functions are not yet validated for media with 1024 bytes/sector.");
  EXPECT_FALSE(Guard(RefusalNotice::kMessageDialog));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], ui.boxes[0]);
  EXPECT_EQ(probes, 0);
}

TEST_F(WriteGuardTest, WriteProtectedMediumAsks) {
  writeProtected = true;
  ui.answers = {"ok", "cancel"};
  EXPECT_TRUE(Guard());
  EXPECT_FALSE(Guard());
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0], "Write-protected media.");

  // Without a drive there is nothing to probe.
  ctx.volume.targetId = kNoDevice;
  EXPECT_TRUE(Guard());
  EXPECT_EQ(probes, 2);
}

}  // namespace
}  // namespace tarvo
