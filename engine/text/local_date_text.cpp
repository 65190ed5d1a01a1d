#include "engine/text/local_date_text.h"

#include <array>
#include <string_view>

#include "engine/support/message_format.h"

namespace tarn {

namespace {

constexpr std::array<std::string_view, 7> kWeekdays{"Sun", "Mon", "Tue", "Wed",
                                                    "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

template <std::size_t N>
std::string_view NameAt(const std::array<std::string_view, N>& names, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= N) return "???";
  return names[static_cast<std::size_t>(index)];
}

}  // namespace

std::string LocalDateText(const platform::LocalTime& time) {
  const std::array<MessageArg, 7> args{
      MessageArg(NameAt(kWeekdays, time.weekday)),
      MessageArg(NameAt(kMonths, time.month - 1)),
      MessageArg(time.day),
      MessageArg(time.hour),
      MessageArg(time.minute),
      MessageArg(time.second),
      MessageArg(time.year),
  };
  return FormatWithArgs("%.3s %.3s%3d %.2d:%.2d:%.2d %d", args);
}

std::string LocalDateText(std::int64_t seconds) {
  return LocalDateText(platform::ToLocalTime(seconds));
}

}  // namespace tarn
