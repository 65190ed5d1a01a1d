#include "import/rcs_date.h"

#include <array>
#include <charconv>

namespace tarn::rcs {

namespace {

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

bool IsLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::int64_t DaysInMonth(std::int64_t year, std::int64_t month) {
  constexpr std::array<std::int64_t, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

}  // namespace

std::optional<std::int64_t> ParseRcsDate(std::string_view text) {
  std::array<std::int64_t, 6> fields{};
  std::size_t start = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::size_t dot = text.find('.', start);
    const bool last = i + 1 == fields.size();
    if (last != (dot == std::string_view::npos)) return std::nullopt;
    const std::string_view field = text.substr(start, last ? std::string_view::npos : dot - start);
    // The year may have any number of digits; the others have two.
    if (field.empty() || field.size() > (i == 0 ? 9U : 2U)) return std::nullopt;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), fields[i]);
    if (error != std::errc() || end != field.data() + field.size() || field.front() == '-') {
      return std::nullopt;
    }
    start = last ? text.size() : dot + 1;
  }
  auto [year, month, day, hour, minute, second] = fields;
  if (text.find('.') == 2) year += 1900;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 60) {
    return std::nullopt;
  }
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace tarn::rcs
