#include "ui/menu_model.h"

#include <gtest/gtest.h>

#include <set>

#include "base/context.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

TEST(MenuModel, BarHoldsEveryCommandOnceWithItsText) {
  std::set<int> ids;
  int separators = 0;
  for (const MenuPopup& popup : MainMenu()) {
    for (const MenuItem& item : popup.items) {
      if (item.id == 0) {
        ++separators;
        continue;
      }
      EXPECT_TRUE(ids.insert(item.id).second) << item.id;
    }
  }
  EXPECT_EQ(ids.size(), 41u);  // 101..142 without 134
  EXPECT_EQ(*ids.begin(), 101);
  EXPECT_EQ(*ids.rbegin(), 142);
  EXPECT_EQ(ids.count(134), 0u);
  EXPECT_EQ(separators, 3 + 4 + 5 + 1);

  ASSERT_EQ(MainMenu().size(), 4u);
  EXPECT_EQ(MainMenu()[1].title, "&File");
  EXPECT_TRUE(MainMenu()[3].rightAligned);
  EXPECT_EQ(FindMenuItem(kMenuSelectAll)->text, "Select All\tCtl+F10");
  EXPECT_EQ(FindMenuItem(kMenuSignatureListing)->text, "Listing w/Signature\tAlt+S");
  EXPECT_TRUE(FindMenuItem(kMenuVolumeInfo)->grayed);
  EXPECT_TRUE(FindMenuItem(kMenuPrecedingScreen)->grayed);
  EXPECT_TRUE(FindMenuItem(kMenuNormalCopy)->checked);
  EXPECT_TRUE(FindMenuItem(kMenuShortListing)->checked);
  EXPECT_EQ(FindMenuItem(134), nullptr);
  EXPECT_EQ(FindMenuItem(0), nullptr);

  ASSERT_EQ(ListingPopupMenu().size(), 5u);
  EXPECT_EQ(ListingPopupMenu()[4].text, "Edit &Attributes\tAlt+A");
}

TEST(MenuModel, AcceleratorsReachMenuCommands) {
  ASSERT_EQ(Accelerators().size(), 17u);
  std::set<std::string_view> keys;
  for (const Accelerator& a : Accelerators()) {
    EXPECT_TRUE(keys.insert(a.keys).second) << a.keys;
    EXPECT_NE(FindMenuItem(a.command), nullptr) << a.keys;
  }
  EXPECT_EQ(Accelerators()[2].keys, "Ctrl+F10");
  EXPECT_EQ(Accelerators()[2].command, kMenuSelectAll);
  EXPECT_EQ(Accelerators()[8].command, kMenuExit);
}

TEST(MenuModel, ButtonsAreLaidOutByCaptionLength) {
  struct Expected {
    std::string_view caption;
    int command, group, x, width;
  };
  const Expected expected[] = {
      {"Mac->PC", 106, 1, 12, 90}, {"PC->Mac", 107, 1, 115, 90}, {"Rename", 113, 3, 218, 80},
      {"Delete", 112, 3, 311, 80}, {"Parent", 110, 2, 404, 80},  {"Root", 109, 2, 497, 60},
  };
  ASSERT_EQ(FunctionButtons().size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    const FunctionButton& b = FunctionButtons()[i];
    EXPECT_EQ(b.caption, expected[i].caption);
    EXPECT_EQ(b.command, expected[i].command);
    EXPECT_EQ(b.group, expected[i].group);
    EXPECT_EQ(b.x, expected[i].x);
    EXPECT_EQ(b.width, expected[i].width);
  }
}

TEST(MenuModel, EveryCommandHasHelpOrTheDefault) {
  const std::string_view fallback = "Select a menu or press F1 for help...";
  for (int id = kFirstMenuCommand; id <= kLastMenuCommand; ++id) {
    const bool hasOwn = id != 133 && id != 134 && id != 141;
    EXPECT_EQ(MenuHelpText(id) != fallback, hasOwn) << id;
  }
  EXPECT_EQ(MenuHelpText(0), fallback);
  EXPECT_EQ(MenuHelpText(2101), fallback);
  EXPECT_EQ(MenuHelpText(142), "Narrow (short) listing with name and data length");

  ScriptedUi ui;
  Context ctx;
  ctx.ui = &ui;
  ctx.services.statusRight = "Please wait";
  OnMenuHighlight(ctx, kMenuVerify);
  EXPECT_EQ(ui.statusLines.back(), "Verify integrity of the magnetic volume (caution, lengthy operation).|");
  OnMenuHighlight(ctx, kMenuPrecedingScreen);
  EXPECT_EQ(ui.statusLines.back(), std::string(fallback) + "|");
}

}  // namespace
}  // namespace tarvo
