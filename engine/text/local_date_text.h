// Times as people read them in workfiles and messages: the 24-character
// "Wed Jan  2 03:04:05 2001" form, in local time, without a line end.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace tarn {

// `seconds` since 1970 UTC as local date text.
std::string LocalDateText(std::int64_t seconds);

// The same text for a time already in its local calendar form. Fields out of
// range (a time the calendar cannot hold) show as "???" and numbers as they
// are, never reading outside the name tables.
std::string LocalDateText(const platform::LocalTime& time);

}  // namespace tarn
