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

TEST_F(MenuStateTest, RootGraysRootAndParentAndNoSelectionGraysItsItems) {
  MountInFolder(kRootDirId, 0);
  MenuState s = State();
  EXPECT_TRUE(s.fileMenuEnabled);
  for (int id : {103, 104, 130, 107, 111, 116, 117, 118}) EXPECT_TRUE(s.item(id).enabled) << id;
  EXPECT_FALSE(s.item(kMenuRoot).enabled);
  EXPECT_FALSE(s.item(kMenuParent).enabled);
  for (int id : {106, 113, 112, 108, 114, 115}) EXPECT_FALSE(s.item(id).enabled) << id;
  EXPECT_EQ(s.buttonsEnabled, Buttons(true, false, false));

  MountInFolder(77, 2);
  s = State();
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

}  // namespace
}  // namespace tarvo
