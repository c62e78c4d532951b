#include "ui/listing.h"

#include <gtest/gtest.h>

#include "hfs/mac_date.h"
#include "support/edit_volume.h"
#include "ui/context.h"

namespace tarvo {
namespace {

// The row texts keep their fixed widths at the edges of each range: one
// digit, the widest plain figure, the switch to kilobytes and megabytes.
TEST(ListingTexts, LengthsStayEightCharactersWithTheUnitLast) {
  EXPECT_EQ(LengthText(0), "      0 ");
  EXPECT_EQ(LengthText(7), "      7 ");
  EXPECT_EQ(LengthText(1024), "   1024 ");
  EXPECT_EQ(LengthText(9999999), "9999999 ");
  EXPECT_EQ(LengthText(10000000), "   9765k");
  EXPECT_EQ(LengthText(0xFFFFFFFF), "4194303k");
}

// A file changed after it was made shows each date in its own column, with
// leading zeros and two-digit years past 1999.
TEST(ListingTexts, ARowShowsItsCreationAndModificationDatesApart) {
  const std::optional<std::uint32_t> created = FieldsToMacDate({.day = 9, .month = 8, .year = 101, .hour = 7});
  const std::optional<std::uint32_t> modified = FieldsToMacDate({.day = 1, .month = 2, .year = 97, .minute = 30});
  ASSERT_TRUE(created && modified);
  testing::EditVolume v;
  const std::string file = v.Path("dated.bin");
  testing::WriteWholeFile(file, testing::MacBinaryFile("Dated", "TEXT", "ttxt", {'x'}, {}, *created, *modified));
  ASSERT_TRUE(v.HfsutilsWrite({"hcopy -m " + testing::ShellQuote(file) + " :Dated"}));
  LoadListing(v.ctx());
  ASSERT_EQ(v.ctx().listing.count, 1);
  EXPECT_EQ(DateText(v.ctx().listing.rows[0].created), "08/09/01 07:00");
  EXPECT_EQ(DateText(v.ctx().listing.rows[0].modified), "02/01/97 00:30");
}

}  // namespace
}  // namespace tarvo
