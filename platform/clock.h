// Time: waiting, the current time and its local calendar form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarn::platform {

// Waits `seconds` whole seconds (also when signals arrive meanwhile); no wait
// for zero or less.
void SleepSeconds(int seconds);
// The same in milliseconds, for short waits on a busy lock.
void SleepMilliseconds(int milliseconds);

// Seconds since 1970-01-01 UTC.
std::int64_t CurrentTime();

// A moment in the local time zone (TZ, as the C library reads it).
struct LocalTime {
  int year;     // e.g. 2024
  int month;    // 1..12
  int day;      // 1..31
  int hour;     // 0..23
  int minute;   // 0..59
  int second;   // 0..60
  int weekday;  // 0 = Sunday .. 6 = Saturday
};

// `seconds` since 1970 UTC in local time; all fields zero for a time the
// calendar cannot hold.
LocalTime ToLocalTime(std::int64_t seconds);

// The seconds since 1970 UTC of a calendar moment in the local time zone
// (the weekday is ignored; a moment that a change of clocks skipped or
// doubled is taken as the C library takes it). None for a moment the
// calendar cannot hold.
std::optional<std::int64_t> FromLocalTime(const LocalTime& time);

// The local time zone's abbreviations (standard and daylight saving time),
// as dates printed in local time carry them.
std::vector<std::string> LocalZoneNames();

}  // namespace tarn::platform
