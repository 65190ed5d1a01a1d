// Dates as people write them on a command line, against moments worked out
// by hand (seconds since 1970 UTC), in UTC and in a zone with summer time.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdint>
#include <optional>
#include <string>

#include "engine/text/date_reading.h"

namespace tarn {
namespace {

// Central European time as a rule, so that no zone database is needed.
constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

// 2026-11-01 12:00:30 UTC and 2026-12-09 04:59:34 UTC (a Wednesday).
constexpr std::int64_t kNovemberNoon = 1793534430;
constexpr std::int64_t kDecemberMorning = 1796792374;

class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    if (const char* old = getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
  }
  ~ZoneScope() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
  }
  ZoneScope(const ZoneScope&) = delete;
  ZoneScope& operator=(const ZoneScope&) = delete;

 private:
  std::optional<std::string> old_;
};

struct DateCase {
  const char* text;
  std::int64_t seconds;
};

TEST(DateReadingTest, IsoAndDateFormsInUniversalTime) {
  const ZoneScope zone("UTC0");
  const DateCase cases[] = {
      {"2026-11-01", 1793491200},
      {"2026-11-01 12:00", kNovemberNoon - 30},
      {"2026-11-01T12:00:30", kNovemberNoon},
      {"2026/11/01 12:00:30", kNovemberNoon},
      {"2026-11-01T12:00:30Z", kNovemberNoon},
      {"2026-11-01t12:00:30z", kNovemberNoon},
      {"2026-11-01T13:00:30+01:00", kNovemberNoon},
      {"2026-11-01 07:00:30 -0500", kNovemberNoon},
      {"2026-11-01 14:00:30 +02", kNovemberNoon},
      {"2026-11-01 12:00:30.999999999+00:00", kNovemberNoon},
      {"2026-11-01 12:00:30 UTC", kNovemberNoon},
      {"2026-11-1 12:00:30", kNovemberNoon},
      {"Wed Dec  9 04:59:34 UTC 2026", kDecemberMorning},
      {"Wed, 09 Dec 2026 04:59:34 +0000", kDecemberMorning},
      {"Wed 09 Dec 2026 04:59:34 AM UTC", kDecemberMorning},
      {"wednesday december 9 2026 04:59:34 pm gmt", kDecemberMorning + 12 * 3600},
      {"Dec 9 2026 12:59:34 AM", kDecemberMorning - 4 * 3600},
      {"9 Dec 2026", kDecemberMorning - (4 * 3600 + 59 * 60 + 34)},
      {"2024-02-29 23:59:59Z", 1709251199},
      {"1999-12-31 23:00", 946681200},
  };
  for (const DateCase& c : cases) {
    EXPECT_EQ(ReadDate(c.text), std::optional<std::int64_t>(c.seconds)) << c.text;
  }
}

TEST(DateReadingTest, WithoutAZoneTheTimeIsLocalWithItsSummerTime) {
  const ZoneScope zone(kCentralEurope);
  const DateCase cases[] = {
      {"2026-11-01 13:00:30", kNovemberNoon},             // winter: +1
      {"2026-07-01 14:00", 1782907200},                   // summer: +2
      {"Wed Dec  9 05:59:34 CET 2026", kDecemberMorning},  // date in this zone
      {"2026-11-01T12:00:30Z", kNovemberNoon},             // a zone given wins
      {"2026-11-01 12:00:30 UTC", kNovemberNoon},
  };
  for (const DateCase& c : cases) {
    EXPECT_EQ(ReadDate(c.text), std::optional<std::int64_t>(c.seconds)) << c.text;
  }
}

TEST(DateReadingTest, TextsThatNameNoMomentAreRefused) {
  const ZoneScope zone("UTC0");
  for (const char* text : {
           "",
           "   ",
           "yesterday",
           "12:00",
           "2026-11",
           "2026-13-01",
           "2026-00-10",
           "2026-02-29",
           "2026-04-31",
           "2026-11-01 24:00",
           "2026-11-01 12:60",
           "2026-11-01 12:00:61",
           "2026-11-01 12",
           "2026-11-01T12:00:00+25:00",
           "2026-11-01T12:00:00+1",
           "2026-11-01 12:00 UTC UTC",
           "2026-11-01 12:00 +0100 UTC",
           "2026-11-01 13:00 PM",
           "2026-11-01 00:30 AM",
           "Thu Dec  9 04:59:34 UTC 2026",
           "Wed Dec  9 04:59:34 XYZ 2026",
           "Dec 9 2026 2027",
           "Dec Jan 9 2026",
           "2026-11-01x",
           "2026-011-01",
           "20261101",
           "2026-11-01 12:00:30.5x",
       }) {
    EXPECT_EQ(ReadDate(text), std::nullopt) << "'" << text << "'";
  }
}

}  // namespace
}  // namespace tarn
