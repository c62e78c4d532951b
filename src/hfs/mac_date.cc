#include "hfs/mac_date.h"

#include <algorithm>

namespace tarvo {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kLastMacDate = 0xFFFFFFFF;

std::int64_t DaysFromCivil(std::int64_t year, int month, int day);
void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day);
int DaysInMonth(std::int64_t year, int month);
std::uint32_t ClampToMacRange(std::int64_t seconds1904);
std::int64_t WallClockSeconds1904(const std::tm& wallClock);
// Seconds east of UTC of the local time zone at the moment.
std::optional<long> UtcOffsetAt(std::int64_t pcTime);

}  // namespace

std::uint32_t MacNow() { return PcTimeToMacDate(std::time(nullptr)); }

DateFields MacDateToFields(std::uint32_t macDate) {
  const std::int64_t seconds = std::int64_t{macDate} - kMacEpochOffset;
  // Floor division: dates before 1970 are negative.
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t inDay = seconds % kSecondsPerDay;
  if (inDay < 0) {
    inDay += kSecondsPerDay;
    --days;
  }
  DateFields f;
  std::int64_t year = 0;
  CivilFromDays(days, year, f.month, f.day);
  f.year = static_cast<int>(year - 1900);
  f.hour = static_cast<int>(inDay / 3600);
  f.minute = static_cast<int>(inDay / 60 % 60);
  f.second = static_cast<int>(inDay % 60);
  return f;
}

std::optional<std::uint32_t> FieldsToMacDate(const DateFields& f) {
  if (f.year < 0 || f.month < 1 || f.month > 12) return std::nullopt;
  const std::int64_t year = f.year + 1900 + (f.year < 80 ? 100 : 0);
  if (f.day < 1 || f.day > DaysInMonth(year, f.month)) return std::nullopt;
  if (f.hour < 0 || f.hour > 23 || f.minute < 0 || f.minute > 59 || f.second < 0 || f.second > 59) {
    return std::nullopt;
  }
  const std::int64_t seconds = DaysFromCivil(year, f.month, f.day) * kSecondsPerDay + f.hour * 3600 +
                               f.minute * 60 + f.second + kMacEpochOffset;
  if (seconds < 0 || seconds > kLastMacDate) return std::nullopt;
  return static_cast<std::uint32_t>(seconds);
}

std::uint32_t PcTimeToMacDate(std::time_t pcTime) {
  std::tm local{};
  if (localtime_r(&pcTime, &local) == nullptr) return ClampToMacRange(std::int64_t{pcTime} + kMacEpochOffset);
  return ClampToMacRange(WallClockSeconds1904(local));
}

std::time_t MacDateToPcTime(std::uint32_t macDate) {
  // mktime() re-reads the time-zone file on every call; localtime_r() does
  // not. Where the offset from UTC is the same a day before and a day after
  // the wall-clock time, that time names exactly one moment, found from the
  // offset. Near a change of offset (a skipped or repeated hour) mktime()
  // decides, as it always has.
  const std::int64_t wallClock = std::int64_t{macDate} - kMacEpochOffset;
  const std::optional<long> before = UtcOffsetAt(wallClock - kSecondsPerDay);
  if (before && before == UtcOffsetAt(wallClock + kSecondsPerDay)) {
    const std::int64_t moment = wallClock - *before;
    if (UtcOffsetAt(moment) == before) return static_cast<std::time_t>(moment);
  }
  const DateFields f = MacDateToFields(macDate);
  std::tm local{};
  local.tm_year = f.year;
  local.tm_mon = f.month - 1;
  local.tm_mday = f.day;
  local.tm_hour = f.hour;
  local.tm_min = f.minute;
  local.tm_sec = f.second;
  local.tm_isdst = -1;  // let the time-zone rules decide
  return std::mktime(&local);
}

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (era arithmetic over
// 400-year cycles, so it holds for every year).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // March = 0
  day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

int DaysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

std::uint32_t ClampToMacRange(std::int64_t seconds1904) {
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(seconds1904, 0, kLastMacDate));
}

std::int64_t WallClockSeconds1904(const std::tm& t) {
  return DaysFromCivil(std::int64_t{t.tm_year} + 1900, t.tm_mon + 1, t.tm_mday) * kSecondsPerDay +
         t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec + kMacEpochOffset;
}

std::optional<long> UtcOffsetAt(std::int64_t pcTime) {
  const auto t = static_cast<std::time_t>(pcTime);
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) return std::nullopt;
  return local.tm_gmtoff;
}

}  // namespace

}  // namespace tarvo
