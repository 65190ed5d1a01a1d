// Days of the proleptic Gregorian calendar, for turning calendar dates into
// seconds since 1970 without the C library's time zone.
#pragma once

#include <cstdint>

namespace tarn {

// Days from 1970-01-01 to the given day (month 1..12).
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day);

bool IsLeapYear(std::int64_t year);

// The days of `month` (1..12) in `year`.
std::int64_t DaysInMonth(std::int64_t year, std::int64_t month);

}  // namespace tarn
