#include "ui/listing.h"

#include <gtest/gtest.h>

#include "hfs/mac_date.h"
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

TEST(ListingTexts, LengthsAndValences) {
  EXPECT_EQ(LengthText(0), "      0 ");
  EXPECT_EQ(LengthText(9999999), "9999999 ");
  EXPECT_EQ(LengthText(10485760), "  10240k");
  EXPECT_EQ(LengthText(0xFFFFFFFF), "4194303k");
  EXPECT_EQ(ValenceText(3), "     [3]");
}

TEST(ListingTexts, DatesAreMonthDayYearHoursMinutes) {
  EXPECT_EQ(DateText(0), "01/01/04 00:00");  // the first Macintosh second
  EXPECT_EQ(DateText(*FieldsToMacDate(DateFields{.day = 31, .month = 12, .year = 99, .hour = 23, .minute = 59,
                                                 .second = 59})),
            "12/31/99 23:59");
  EXPECT_EQ(DateText(*FieldsToMacDate(DateFields{.day = 4, .month = 7, .year = 5, .hour = 9, .minute = 5})),
            "07/04/05 09:05");  // 2005
  EXPECT_EQ(DateText(0xFFFFFFFF), "02/06/40 06:28");
}

TEST(ListingPaging, ShortModeSplitsPagesAndHitsTwoColumns) {
  ListingView view = ViewOf(37);
  EXPECT_EQ(ShownRows(view, ListingMode::kShort), 36);
  EXPECT_LT(view.next, view.count);  // "Next Screen" applies
  NextScreen(view);
  EXPECT_EQ(view.first, 36);
  EXPECT_TRUE(view.backPagingEnabled);
  EXPECT_EQ(ShownRows(view, ListingMode::kShort), 1);
  const int half = 320, line = 16;
  EXPECT_EQ(HitTest(view, ListingMode::kShort, true, 10, 72, half, line), 0);
  EXPECT_EQ(HitTest(view, ListingMode::kShort, true, 400, 72, half, line), kNoRow);  // right half of last line
  EXPECT_EQ(HitTest(view, ListingMode::kShort, true, 10, 71, half, line), kNoRow);
  EXPECT_EQ(HitTest(view, ListingMode::kShort, false, 10, 72, half, line), kNoRow);
  PrecedingScreen(view, ListingMode::kShort);
  EXPECT_EQ(view.first, 0);
  EXPECT_FALSE(view.backPagingEnabled);
}

TEST(ListingPaging, EmptyFolderHitsNothing) {
  ListingView view = ViewOf(0);
  EXPECT_EQ(ShownRows(view, ListingMode::kExtended), 0);
  EXPECT_EQ(HitTest(view, ListingMode::kExtended, true, 10, 80, 320, 16), kNoRow);
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

TEST(ListingRows, GrowForLargeFoldersAndShrinkBack) {
  ListingView view;
  ResizeListing(view, 50);
  EXPECT_EQ(view.capacity, 50);
  EXPECT_EQ(view.rows.size(), 50u);
  ResizeListing(view, 10);
  EXPECT_EQ(view.capacity, kStartCapacity);
  EXPECT_EQ(view.rows.size(), kStartCapacity);
}

}  // namespace
}  // namespace tarvo
