#include "hfs/mac_date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace tarvo {
namespace {

// POSIX rules, so the tests need no time-zone database.
const char* const kZones[] = {"UTC0", "EST5EDT,M3.2.0,M11.1.0", "CET-1CEST,M3.5.0,M10.5.0/3",
                              "NZST-12NZDT,M9.5.0,M4.1.0/3", "IST-5:30"};

class MacDateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    if (tz != nullptr) savedTz_ = tz;
  }
  void TearDown() override {
    if (savedTz_) setenv("TZ", savedTz_->c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  static void UseZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }

 private:
  std::optional<std::string> savedTz_;
};

void ExpectFields(const DateFields& f, int day, int month, int year, int hour, int minute, int second) {
  EXPECT_EQ(f.day, day);
  EXPECT_EQ(f.month, month);
  EXPECT_EQ(f.year, year);
  EXPECT_EQ(f.hour, hour);
  EXPECT_EQ(f.minute, minute);
  EXPECT_EQ(f.second, second);
}

TEST_F(MacDateTest, FieldsAreTheStoredWallClockInEveryZone) {
  for (const char* zone : kZones) {
    SCOPED_TRACE(zone);
    UseZone(zone);
    ExpectFields(MacDateToFields(2920283130u), 15, 7, 96, 13, 45, 30);   // summer
    ExpectFields(MacDateToFields(3092687940u), 31, 12, 101, 23, 59, 0);  // winter, no day carried
    ExpectFields(MacDateToFields(1456790400u), 1, 3, 50, 0, 0, 0);       // before 1970
    ExpectFields(MacDateToFields(0), 1, 1, 4, 0, 0, 0);
    ExpectFields(MacDateToFields(0xFFFFFFFFu), 6, 2, 140, 6, 28, 15);
  }
}

TEST_F(MacDateTest, TypedFieldsTakeTwoDigitYearsAndRefuseImpossibleOnes) {
  UseZone("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(FieldsToMacDate({2, 1, 5, 3, 4, 0}), 3187479840u);  // year 5 is 2005
  EXPECT_EQ(FieldsToMacDate({15, 7, 96, 13, 45, 30}), 2920283130u);
  EXPECT_EQ(FieldsToMacDate({31, 12, 101, 23, 59, 0}), 3092687940u);

  EXPECT_FALSE(FieldsToMacDate({1, 13, 96, 0, 0, 0}));
  EXPECT_FALSE(FieldsToMacDate({30, 2, 96, 0, 0, 0}));
  EXPECT_TRUE(FieldsToMacDate({29, 2, 96, 0, 0, 0}));  // 1996 is a leap year
  EXPECT_FALSE(FieldsToMacDate({1, 1, 96, 24, 0, 0}));
  EXPECT_FALSE(FieldsToMacDate({1, 1, 96, 0, 60, 0}));
  EXPECT_FALSE(FieldsToMacDate({1, 1, 141, 0, 0, 0}));  // 2041: past the Macintosh range
  EXPECT_FALSE(FieldsToMacDate({1, 1, -1, 0, 0, 0}));
}

TEST_F(MacDateTest, PcTimesBecomeTheirLocalWallClock) {
  const std::time_t winter = 1700000000;  // 2023-11-14 22:13:20 UTC
  const std::time_t summer = 1690000000;  // 2023-07-22 04:26:40 UTC
  for (const char* zone : kZones) {
    SCOPED_TRACE(zone);
    UseZone(zone);
    for (std::time_t t : {winter, summer}) {
      std::tm local{};
      localtime_r(&t, &local);
      const DateFields f = MacDateToFields(PcTimeToMacDate(t));
      ExpectFields(f, local.tm_mday, local.tm_mon + 1, local.tm_year, local.tm_hour, local.tm_min, local.tm_sec);
      EXPECT_EQ(MacDateToPcTime(PcTimeToMacDate(t)), t);
    }
  }
}

}  // namespace
}  // namespace tarvo
