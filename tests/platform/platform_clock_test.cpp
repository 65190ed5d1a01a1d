#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "platform/clock.h"

namespace tarn::platform {
namespace {

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) previous_ = old;
    ::setenv("TZ", zone, 1);
  }
  ~ScopedTimeZone() {
    if (previous_) {
      ::setenv("TZ", previous_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  std::optional<std::string> previous_;
};

void ExpectLocalTime(const LocalTime& t, int year, int month, int day, int hour, int minute,
                     int second, int weekday) {
  EXPECT_EQ(t.year, year);
  EXPECT_EQ(t.month, month);
  EXPECT_EQ(t.day, day);
  EXPECT_EQ(t.hour, hour);
  EXPECT_EQ(t.minute, minute);
  EXPECT_EQ(t.second, second);
  EXPECT_EQ(t.weekday, weekday);
}

TEST(PlatformClock, LocalTimeFollowsTheTimeZone) {
  {
    const ScopedTimeZone utc("UTC0");
    ExpectLocalTime(ToLocalTime(0), 1970, 1, 1, 0, 0, 0, 4);  // a Thursday
    // 2000-02-29 is 11016 days after 1970-01-01, a Tuesday; plus 1:02:03.
    ExpectLocalTime(ToLocalTime(11016LL * 86400 + 3723), 2000, 2, 29, 1, 2, 3, 2);
    // Past the end of signed 32-bit time.
    ExpectLocalTime(ToLocalTime(4294967296LL), 2106, 2, 7, 6, 28, 16, 0);
  }
  {
    // A changed TZ is noticed at the next call.
    const ScopedTimeZone new_york("EST5");
    ExpectLocalTime(ToLocalTime(0), 1969, 12, 31, 19, 0, 0, 3);
  }
}

TEST(PlatformClock, TimesTheCalendarCannotHoldComeBackEmpty) {
  const LocalTime t = ToLocalTime(std::numeric_limits<std::int64_t>::max());
  ExpectLocalTime(t, 0, 0, 0, 0, 0, 0, 0);
}

TEST(PlatformClock, CurrentTimeIsTheSystemClock) {
  const auto before = std::chrono::system_clock::now();
  const std::int64_t now = CurrentTime();
  const auto after = std::chrono::system_clock::now();
  EXPECT_GE(now,
            std::chrono::duration_cast<std::chrono::seconds>(before.time_since_epoch()).count());
  EXPECT_LE(now,
            std::chrono::duration_cast<std::chrono::seconds>(after.time_since_epoch()).count());
}

extern "C" void IgnoreAlarm(int) {}

TEST(PlatformClock, SleepLastsItsTimeEvenWhenASignalArrives) {
  struct sigaction handler {};
  handler.sa_handler = IgnoreAlarm;  // no SA_RESTART: the sleep is interrupted
  sigemptyset(&handler.sa_mask);
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGALRM, &handler, &previous), 0);
  struct itimerval soon {};
  soon.it_value.tv_usec = 200000;
  ASSERT_EQ(::setitimer(ITIMER_REAL, &soon, nullptr), 0);

  const auto start = std::chrono::steady_clock::now();
  SleepSeconds(1);
  const auto slept = std::chrono::steady_clock::now() - start;
  ::sigaction(SIGALRM, &previous, nullptr);
  EXPECT_GE(slept, std::chrono::seconds(1));
}

TEST(PlatformClock, NoSleepForZeroOrLess) {
  const auto start = std::chrono::steady_clock::now();
  SleepSeconds(0);
  SleepSeconds(-5);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
}  // namespace tarn::platform
