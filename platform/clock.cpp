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

std::optional<std::int64_t> FromLocalTime(const LocalTime& time) {
  ::tzset();
  struct tm parts {};
  parts.tm_year = time.year - 1900;
  parts.tm_mon = time.month - 1;
  parts.tm_mday = time.day;
  parts.tm_hour = time.hour;
  parts.tm_min = time.minute;
  parts.tm_sec = time.second;
  parts.tm_isdst = -1;  // the zone's rules decide
  errno = 0;
  const time_t moment = ::mktime(&parts);
  if (moment == static_cast<time_t>(-1) && errno != 0) return std::nullopt;
  return static_cast<std::int64_t>(moment);
}

std::vector<std::string> LocalZoneNames() {
  ::tzset();
  std::vector<std::string> names;
  for (const char* name : {tzname[0], tzname[1]}) {
    if (name != nullptr && *name != '\0') names.emplace_back(name);
  }
  return names;
}

}  // namespace tarn::platform
