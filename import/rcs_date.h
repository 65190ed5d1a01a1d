// The dates of a ,v file: Y.mm.dd.hh.mm.ss in UTC, the year with two digits
// for 1900 to 1999 and all its digits after that.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarn::rcs {

// Seconds since 1970-01-01 UTC, or none when `text` is not such a date.
// A second of 60 (a leap second) counts as the next minute's first.
std::optional<std::int64_t> ParseRcsDate(std::string_view text);

}  // namespace tarn::rcs
