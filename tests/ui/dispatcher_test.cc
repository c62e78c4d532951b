#include "ui/dispatcher.h"

#include <gtest/gtest.h>

#include "support/browse_volume.h"
#include "ui/list_mouse.h"
#include "ui/listing.h"
#include "ui/menu_model.h"

namespace tarvo {
namespace {

using testing::BrowseVolume;
using testing::MountedVolume;

constexpr int kWidth = 640;
constexpr int kLine = 16;
constexpr int kRightColumn = kWidth / 2 + 10;

int RowNamed(const Context& ctx, const std::string& name) {
  for (int i = 0; i < ctx.listing.count; ++i)
    if (ctx.listing.rows[i].name == name) return i;
  return -1;
}

int LineY(int row) { return 72 + row / 2 * kLine + kLine / 2; }
int ColumnX(int row) { return row % 2 == 0 ? 10 : kRightColumn; }

class DispatcherTest : public ::testing::Test {
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
  ListingView& listing() { return v_->ctx.listing; }
  const std::string& dirName() { return v_->ctx.volume.current.currentDirName; }

  void Enter(const std::string& name) {
    const int row = RowNamed(ctx(), name);
    ASSERT_GE(row, 0) << name;
    SelectEntry(listing(), static_cast<std::uint16_t>(row));
    DispatchCommand(ctx(), kMenuChangeDirectory);
    ASSERT_EQ(dirName(), name + " ");
  }

  static inline BrowseVolume* volume_ = nullptr;
  static inline bool built_ = false;
  std::unique_ptr<MountedVolume> v_;
};

TEST_F(DispatcherTest, PagingThroughFortyRows) {
  Enter("Many");
  ASSERT_EQ(listing().count, testing::kManyFiles);
  EXPECT_TRUE(ctx().menu.item(kMenuNextScreen).enabled);
  EXPECT_FALSE(ctx().menu.item(kMenuPrecedingScreen).enabled);
  DispatchCommand(ctx(), kMenuNextScreen);
  EXPECT_EQ(listing().first, 36);
  EXPECT_FALSE(ctx().menu.item(kMenuNextScreen).enabled);
  EXPECT_TRUE(ctx().menu.item(kMenuPrecedingScreen).enabled);
  DispatchCommand(ctx(), kMenuNextScreen);
  EXPECT_EQ(listing().first, 36);
  DispatchCommand(ctx(), kMenuPrecedingScreen);
  EXPECT_EQ(listing().first, 0);
  EXPECT_FALSE(ctx().menu.item(kMenuFirstScreen).enabled);

  DispatchCommand(ctx(), kMenuExtendedListing);
  EXPECT_TRUE(ctx().menu.item(kMenuExtendedListing).checked);
  EXPECT_FALSE(ctx().menu.item(kMenuShortListing).checked);
  DispatchCommand(ctx(), kMenuNextScreen);
  DispatchCommand(ctx(), kMenuNextScreen);
  EXPECT_EQ(listing().first, 36);
  DispatchCommand(ctx(), kMenuPrecedingScreen);
  EXPECT_EQ(listing().first, 18);
  DispatchCommand(ctx(), kMenuFirstScreen);
  EXPECT_EQ(listing().first, 0);
  EXPECT_TRUE(ctx().menu.item(kMenuNextScreen).enabled);
}

TEST_F(DispatcherTest, MouseSelectsAndEntersFolders) {
  Enter("Many");
  DispatchCommand(ctx(), kMenuNextScreen);
  OnListClick(ctx(), ColumnX(0), LineY(0), kWidth, kLine);
  EXPECT_TRUE(IsSelected(listing(), 36));
  EXPECT_TRUE(ctx().menu.item(kMenuCopyToPc).enabled);
  OnListClick(ctx(), ColumnX(0), LineY(0), kWidth, kLine);
  EXPECT_FALSE(IsSelected(listing(), 36));
  OnListClick(ctx(), ColumnX(0), LineY(4), kWidth, kLine);
  OnListClick(ctx(), ColumnX(0), 60, kWidth, kLine);
  EXPECT_EQ(CountSelected(listing()), 0);

  DispatchCommand(ctx(), kMenuRoot);
  const int sub = RowNamed(ctx(), "Sub");
  const int top = RowNamed(ctx(), "Top.txt");
  EXPECT_EQ(OnListRightClick(ctx(), ColumnX(sub), LineY(sub), kWidth, kLine), std::optional<std::uint16_t>(sub));
  EXPECT_TRUE(IsSelected(listing(), static_cast<std::uint16_t>(sub)));
  OnListDoubleClick(ctx(), ColumnX(top), LineY(top), kWidth, kLine);
  EXPECT_EQ(dirName(), "Root  ");
  OnListDoubleClick(ctx(), ColumnX(sub), LineY(sub), kWidth, kLine);
  EXPECT_EQ(dirName(), "Sub ");
  EXPECT_EQ(CountSelected(listing()), 0);
  EXPECT_TRUE(ctx().menu.item(kMenuParent).enabled);
}

}  // namespace
}  // namespace tarvo
