#include "ui/menu_state.h"

#include <gtest/gtest.h>

#include "base/context.h"

namespace tarvo {
namespace {

class MenuStateTest : public ::testing::Test {
 protected:
  MenuState State() const { return UpdateMenuState(in, messages); }
  static std::array<bool, 6> Buttons(bool copy, bool selection, bool belowRoot) {
    return {copy, copy, selection, selection, belowRoot, belowRoot};
  }
  void MountInFolder(std::uint32_t dirId, int selected) {
    in.driveSelected = true;
    in.volumeOpen = true;
    in.currentDirId = dirId;
    in.selectedCount = selected;
  }

  MessageTable messages;
  MenuInputs in;
};

TEST_F(MenuStateTest, NoDriveGraysFileMenuVolumeItemsAndButtons) {
  const MenuState s = State();
  EXPECT_FALSE(s.fileMenuEnabled);
  for (int id : {106, 113, 112, 108, 114, 115, 103, 104, 130, 109, 110}) EXPECT_FALSE(s.item(id).enabled) << id;
  for (int id : {101, 102, 105, 135, 136, 137, 139, 121, 129, 131, 132, 133}) EXPECT_TRUE(s.item(id).enabled) << id;
  EXPECT_EQ(s.buttonsEnabled, Buttons(false, false, false));
}

TEST_F(MenuStateTest, RootFolderGraysRootAndParent) {
  MountInFolder(kRootDirId, 0);
  const MenuState s = State();
  EXPECT_TRUE(s.fileMenuEnabled);
  for (int id : {103, 104, 130, 107, 111, 116, 117, 118}) EXPECT_TRUE(s.item(id).enabled) << id;
  EXPECT_FALSE(s.item(kMenuRoot).enabled);
  EXPECT_FALSE(s.item(kMenuParent).enabled);
  for (int id : {106, 113, 112, 108, 114, 115}) EXPECT_FALSE(s.item(id).enabled) << id;
  EXPECT_EQ(s.buttonsEnabled, Buttons(true, false, false));
}

TEST_F(MenuStateTest, SubfolderWithSelectionEnablesEverything) {
  MountInFolder(77, 2);
  const MenuState s = State();
  EXPECT_TRUE(s.item(kMenuRoot).enabled);
  EXPECT_TRUE(s.item(kMenuParent).enabled);
  for (int id : {106, 113, 112, 108, 114, 115}) EXPECT_TRUE(s.item(id).enabled) << id;
  EXPECT_EQ(s.buttonsEnabled, Buttons(true, true, true));
}

TEST_F(MenuStateTest, DriveWithoutMountedVolumeAllowsOnlyScanning) {
  in.driveSelected = true;  // e.g. an MS-DOS medium
  in.selectedCount = 3;
  const MenuState s = State();
  EXPECT_FALSE(s.fileMenuEnabled);
  EXPECT_TRUE(s.item(kMenuMediumScanning).enabled);
  EXPECT_FALSE(s.item(kMenuVolumeInfo).enabled);
  EXPECT_EQ(s.buttonsEnabled, Buttons(false, false, false));
}

TEST_F(MenuStateTest, ChecksFollowModesAndToggles) {
  MenuState s = State();
  EXPECT_TRUE(s.item(kMenuNormalCopy).checked);
  EXPECT_TRUE(s.item(kMenuShortListing).checked);
  for (int id : {122, 123, 128, 138, 125, 131, 137}) EXPECT_FALSE(s.item(id).checked) << id;
  EXPECT_EQ(s.item(kMenuLock).text, "Lock volume");

  in.modeFlags = kCopyMacBinary | kListExtended | kFilesOnly;
  in.useCurrentDirectory = in.logOpen = in.resetBeforeTransfer = in.mediumLocked = true;
  s = State();
  EXPECT_FALSE(s.item(kMenuNormalCopy).checked);
  EXPECT_TRUE(s.item(kMenuBinaryCopy).checked);
  EXPECT_TRUE(s.item(kMenuExtendedListing).checked);
  EXPECT_FALSE(s.item(kMenuShortListing).checked);
  for (int id : {125, 131, 137}) EXPECT_TRUE(s.item(id).checked) << id;
  EXPECT_EQ(s.item(kMenuLock).text, "Unlock volume");

  // Both listing bits (option A of a typed command) show the signature mode.
  in.modeFlags = kCopyResource | kListExtended | kListSignature;
  s = State();
  EXPECT_TRUE(s.item(kMenuResourcesCopy).checked);
  EXPECT_TRUE(s.item(kMenuSignatureListing).checked);
  EXPECT_FALSE(s.item(kMenuExtendedListing).checked);
  EXPECT_EQ(s.item(kMenuSelectAll).text, "Select All\tCtl+F10");
}

TEST_F(MenuStateTest, PagingItemsFollowTheListing) {
  MountInFolder(kRootDirId, 0);
  in.listingCount = 37;
  in.listingNext = 36;
  MenuState s = State();
  EXPECT_TRUE(s.item(kMenuNextScreen).enabled);
  EXPECT_FALSE(s.item(kMenuPrecedingScreen).enabled);
  EXPECT_FALSE(s.item(kMenuFirstScreen).enabled);

  in.backPagingEnabled = true;
  in.listingNext = 37;
  s = State();
  EXPECT_FALSE(s.item(kMenuNextScreen).enabled);
  EXPECT_TRUE(s.item(kMenuPrecedingScreen).enabled);
  EXPECT_TRUE(s.item(kMenuFirstScreen).enabled);
}

TEST_F(MenuStateTest, InputsComeFromTheContext) {
  Context ctx;
  ctx.volume.targetId = 3;
  ctx.volume.volumeOrigin = 96;
  ctx.volume.current.currentDirId = 18;
  ctx.settings.modeFlags = kCopyResource;
  ctx.device.resetBeforeTransfer = true;
  ctx.listing.rows.resize(3);
  ctx.listing.count = 3;
  ctx.listing.rows[1].selected = true;
  const MenuInputs from = MenuInputsFrom(ctx);
  EXPECT_TRUE(from.driveSelected);
  EXPECT_TRUE(from.volumeOpen);
  EXPECT_EQ(from.currentDirId, 18u);
  EXPECT_EQ(from.modeFlags, kCopyResource);
  EXPECT_TRUE(from.resetBeforeTransfer);
  EXPECT_FALSE(from.logOpen);
  EXPECT_EQ(from.selectedCount, 1);
  EXPECT_EQ(from.listingCount, 3);

  ctx.volume.volumeOrigin = -1;  // MS-DOS medium
  EXPECT_FALSE(MenuInputsFrom(ctx).volumeOpen);
}

TEST(PopupMenu, FoldersGrayDumpAndAttributes) {
  EXPECT_FALSE(PopupItemEnabled(kMenuDump, true));
  EXPECT_FALSE(PopupItemEnabled(kMenuAttributes, true));
  EXPECT_TRUE(PopupItemEnabled(kMenuDelete, true));
  EXPECT_TRUE(PopupItemEnabled(kMenuDump, false));
  EXPECT_TRUE(PopupItemEnabled(kMenuAttributes, false));
}

}  // namespace
}  // namespace tarvo
