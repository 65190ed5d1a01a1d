// Reading a moment that a person wrote on a command line: the ISO forms
// and the forms date(1) prints.
//
//   2026-11-01                        midnight, local time
//   2026-11-01 12:00, 2026-11-01T12:00:30, 2026/11/01 12:00:30
//   2026-11-01T12:00:30Z, ...+01:00, ... +0100, ... UTC, 2026-11-01 12:00:30.5+01:00
//   Wed Dec  9 04:59:34 UTC 2026      date
//   Wed, 09 Dec 2026 04:59:34 +0000   date -R
//   Wed 09 Dec 2026 04:59:34 AM CET   date in an English locale
//
// Without a zone the time is local (TZ); a zone is Z, UTC, UT, GMT, a
// numeric offset, or the local zone's own abbreviation. Month and weekday
// names are English, in any letter case, short or long; a weekday is
// checked against the date.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarn {

// Seconds since 1970-01-01 UTC, or none when `text` is none of the forms
// above or names no real moment (a 31st of April, an hour 25).
std::optional<std::int64_t> ReadDate(std::string_view text);

}  // namespace tarn
