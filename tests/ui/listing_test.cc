#include "ui/listing.h"

#include <gtest/gtest.h>

#include "ui/program_settings.h"

namespace tarvo {
namespace {

ListingView ViewOf(std::uint16_t count) {
  ListingView view;
  ResizeListing(view, count);
  view.count = count;
  for (std::uint16_t i = 0; i < count; ++i) view.rows[i].kind = i % 3 == 0 ? kKindFolder : kKindFile;
  return view;
}

TEST(ListingModes, SwitchingKeepsOrRoundsTheFirstRow) {
  ListingView view = ViewOf(100);
  std::uint16_t flags = kCopyData;
  EXPECT_FALSE(SetListingMode(view, flags, ListingMode::kShort));  // already in force
  EXPECT_TRUE(SetListingMode(view, flags, ListingMode::kExtended));
  EXPECT_EQ(CurrentListingMode(flags), ListingMode::kExtended);
  view.first = 36;
  EXPECT_TRUE(SetListingMode(view, flags, ListingMode::kShort));
  EXPECT_EQ(view.first, 36);
  SetListingMode(view, flags, ListingMode::kExtended);
  view.first = 54;
  SetListingMode(view, flags, ListingMode::kShort);
  EXPECT_EQ(view.first, 36);
  // Both bits, as the command line's option A sets them, mean WithSignature.
  flags = kListExtended | kListSignature;
  EXPECT_EQ(CurrentListingMode(flags), ListingMode::kWithSignature);
  EXPECT_TRUE(SetListingMode(view, flags, ListingMode::kWithSignature));
  EXPECT_EQ(flags & (kListExtended | kListSignature), kListSignature);
}

TEST(ListingSelection, TakeFirstSelectedVisitsEachSelectedRowOnce) {
  ListingView view = ViewOf(8);
  SelectEntry(view, 2);
  SelectEntry(view, 5);
  EXPECT_EQ(CountSelected(view), 2);
  EXPECT_EQ(TakeFirstSelected(view), 2);
  EXPECT_EQ(TakeFirstSelected(view), 5);
  EXPECT_EQ(TakeFirstSelected(view), kNoRow);
  EXPECT_EQ(CountSelected(view), 0);
  InvertSelection(view);
  EXPECT_EQ(FindSelectedFolder(view, kNoRow), 0);
  EXPECT_EQ(FindSelectedFolder(view, 0), 3);
  SelectEntry(view, 200);  // outside the rows: ignored
  EXPECT_EQ(CountSelected(view), 8);
}

}  // namespace
}  // namespace tarvo
