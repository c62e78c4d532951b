// Opening the start-up volume, the window header texts and "About Tarvo",
// on a volume built by hfsutils.
#include "ui/startup.h"

#include <gtest/gtest.h>

#include "support/browse_volume.h"
#include "support/scratch_files.h"
#include "ui/listing_text.h"

namespace tarvo {
namespace {

using testing::BrowseVolume;
using testing::MountedVolume;

class StartVolume : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    volume_ = new BrowseVolume;
    built_ = volume_->Build();
  }
  static void TearDownTestSuite() { delete volume_; }
  void SetUp() override { ASSERT_TRUE(built_); }

  static BrowseVolume* volume_;
  static bool built_;
};

BrowseVolume* StartVolume::volume_ = nullptr;
bool StartVolume::built_ = false;

TEST_F(StartVolume, OpensTheVolumeAndInvitesToUseTheMenus) {
  MountedVolume v(volume_->image());
  OpenVolumeAtStart(v.ctx);
  EXPECT_GT(v.ctx.volume.volumeOrigin, 0);
  EXPECT_EQ(v.ctx.settings.windowTitle, "Tarvo : Browse");
  EXPECT_EQ(v.ui.statusLines.back(), "Select a menu or press F1 for help...|");
  ASSERT_FALSE(v.ui.waitFrames.empty());  // the wait cursor turns from the start
  EXPECT_TRUE(v.ctx.menu.fileMenuEnabled);
  EXPECT_GT(v.ui.repaints, 0);

  const std::optional<HeaderTexts> header = HeaderLines(v.ctx);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->freeSpace.substr(0, 10), "KB free : ");
  EXPECT_EQ(header->freeSpace.size(), 19u);  // 8-character figure and "k"
  EXPECT_EQ(header->usedSpace.back(), 'k');
  EXPECT_EQ(header->volume, " Vol: Browse");
  EXPECT_EQ(header->folder, " Dir: Root  ");
}

TEST_F(StartVolume, WithoutADriveAsksForOne) {
  MountedVolume v(volume_->image());
  v.ctx.volume.targetId = kNoDevice;
  OpenVolumeAtStart(v.ctx);
  EXPECT_EQ(v.ui.statusLines.back(), "Select drive in the 'Mac Drive' menu|");
  EXPECT_TRUE(v.ui.waitFrames.empty());
  EXPECT_FALSE(v.ctx.menu.fileMenuEnabled);
  EXPECT_FALSE(HeaderLines(v.ctx));
}

TEST_F(StartVolume, AMediumWithoutAVolumeDropsTheDrive) {
  testing::ScratchDir dir;
  const std::string blank = dir.Path("blank.img");
  testing::WriteWholeFile(blank, std::vector<std::uint8_t>(1024 * 1024));
  MountedVolume v(blank);
  OpenVolumeAtStart(v.ctx);
  EXPECT_EQ(v.ctx.volume.targetId, kNoDevice);
  EXPECT_EQ(v.ui.statusLines.back(), "This is not a Macintosh volume.|");
  EXPECT_EQ(v.ctx.settings.windowTitle, "Tarvo");
  EXPECT_FALSE(HeaderLines(v.ctx));
}

}  // namespace
}  // namespace tarvo
