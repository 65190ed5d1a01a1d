#include "import/rcs_date.h"

#include <array>
#include <charconv>

#include "engine/text/calendar_days.h"

namespace tarn::rcs {

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
