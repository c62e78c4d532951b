// Macintosh dates: unsigned seconds since 1 January 1904, local wall-clock.
//
// A Macintosh stores the local wall-clock time, not UTC. The fields shown
// for a date are therefore taken from the date by plain calendar arithmetic
// (as if it were UTC), never through time-zone rules, so every date shows
// and re-enters the same in every time zone and round-trips exactly. Dates
// before 1970 are shown as what they are. Only the conversions to and from
// a PC file's time, which is true UTC, use the local time-zone rules.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace tarvo {

// Seconds from 1904-01-01 to 1970-01-01.
inline constexpr std::int64_t kMacEpochOffset = 2082844800;

struct DateFields {
  int day = 1;     // 1..31
  int month = 1;   // 1..12
  int year = 0;    // years since 1900; when typed, below 80 means 20xx
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59; a typed date has 0
};

// The current local wall-clock time as a Macintosh date.
std::uint32_t MacNow();

DateFields MacDateToFields(std::uint32_t macDate);
// nullopt when a field is out of range or the date lies outside the
// Macintosh range (1904-01-01 00:00:00 to 2040-02-06 06:28:15).
std::optional<std::uint32_t> FieldsToMacDate(const DateFields& fields);

// A PC file time (UTC seconds) as the Macintosh date of its local wall-clock
// time, and back. Times outside the Macintosh range are clamped to it.
std::uint32_t PcTimeToMacDate(std::time_t pcTime);
std::time_t MacDateToPcTime(std::uint32_t macDate);

}  // namespace tarvo
