// The rescue of a volume that hfsutils filled, after its catalog's header
// node and every index node were overwritten with zeros: the volume still
// opens, and menu 130 recovers every file byte for byte as hcopy extracted
// it before the damage; with the volume header gone as well, the geometry
// typed into "Volume Scanning Parameters" is what the scan uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/hfs_volume.h"
#include "support/rescue_volume.h"
#include "ui/dispatcher.h"
#include "ui/menu_model.h"
#include "ui/open_volume.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

class RescueVolumeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    volume_ = new testing::RescueVolume;
    built_ = volume_->Build();
  }
  static void TearDownTestSuite() { delete volume_; }
  void SetUp() override {
    ASSERT_TRUE(built_);
    fs::create_directory(scratch_.Path("pc"));
  }

  void ExpectEveryFileRecovered() { volume_->ExpectEveryFileIn(scratch_.Path("pc")); }

  static testing::RescueVolume* volume_;
  static bool built_;
  testing::ScratchDir scratch_;
};

testing::RescueVolume* RescueVolumeTest::volume_ = nullptr;
bool RescueVolumeTest::built_ = false;

TEST_F(RescueVolumeTest, AVolumeWithoutItsCatalogIndexIsRescued) {
  const std::string path = scratch_.Path("damaged.img");
  ASSERT_GT(volume_->Damage(path), 0);
  testing::MountedVolume volume(path);
  Context& ctx = volume.ctx;
  ASSERT_EQ(OpenVolume(ctx), 1);  // opens, lists nothing, does not hang
  testing::InDirectory in(scratch_.Path("pc"));
  volume.ui.answers = {"start", ""};
  DispatchCommand(ctx, kMenuMediumScanning);
  ExpectEveryFileRecovered();
  // Parameters were not offered: the volume header gave the geometry.
  EXPECT_EQ(std::count(volume.ui.dialogs.begin(), volume.ui.dialogs.end(), "DLG_PARAM"), 0);
  EXPECT_EQ(ctx.settings.modeFlags & kCopyData, kCopyData);
}

TEST_F(RescueVolumeTest, WithoutAVolumeHeaderTheTypedGeometryIsUsed) {
  const std::string path = scratch_.Path("damaged.img");
  volume_->Damage(path, true);
  testing::MountedVolume volume(path);
  Context& ctx = volume.ctx;
  EXPECT_EQ(OpenVolume(ctx), 0);
  testing::InDirectory in(scratch_.Path("pc"));
  // The drive first, as it was dropped; Start asks for the geometry.
  volume.ui.answers = {"0", "start", volume_->Geometry(), "cancel"};
  DispatchCommand(ctx, kMenuMediumScanning);
  EXPECT_EQ(std::count(volume.ui.dialogs.begin(), volume.ui.dialogs.end(), "DLG_PARAM"), 1);
  ExpectEveryFileRecovered();
}

}  // namespace
}  // namespace tarvo
