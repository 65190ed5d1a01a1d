#include "platform/clock.h"

#include <time.h>

#include <cerrno>
#include <climits>

namespace tarn::platform {

void SleepSeconds(int seconds) {
  if (seconds <= 0) return;
  struct timespec remaining {};
  remaining.tv_sec = seconds;
  while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

void SleepMilliseconds(int milliseconds) {
  if (milliseconds <= 0) return;
  struct timespec remaining {};
  remaining.tv_sec = milliseconds / 1000;
  remaining.tv_nsec = static_cast<long>(milliseconds % 1000) * 1'000'000L;
  while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

std::int64_t CurrentTime() { return static_cast<std::int64_t>(::time(nullptr)); }

LocalTime ToLocalTime(std::int64_t seconds) {
  // localtime_r need not notice a changed TZ by itself.
  ::tzset();
  const time_t moment = static_cast<time_t>(seconds);
  struct tm parts {};
  if (::localtime_r(&moment, &parts) == nullptr || parts.tm_year > INT_MAX - 1900) {
    return LocalTime{0, 0, 0, 0, 0, 0, 0};
  }
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                   parts.tm_min,         parts.tm_sec,     parts.tm_wday};
}

}  // namespace tarn::platform
