#include "engine/text/date_reading.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string>
#include <vector>

#include "engine/text/calendar_days.h"
#include "platform/clock.h"

namespace tarn {

namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};
constexpr std::array<std::string_view, 7> kWeekdayNames = {
    "sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
constexpr std::array<std::string_view, 4> kUniversalZones = {"z", "utc", "ut", "gmt"};
// 1970-01-01 was a Thursday.
constexpr std::int64_t kWeekdayOfDayZero = 4;

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::ranges::all_of(text, [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::optional<int> Number(std::string_view text) {
  int value = 0;
  if (!AllDigits(text) || text.size() > 4) return std::nullopt;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// A name or its first three letters: its place in `names`.
template <std::size_t N>
std::optional<int> NameIndex(std::string_view word, const std::array<std::string_view, N>& names) {
  const std::string lower = Lower(word);
  for (std::size_t i = 0; i < N; ++i) {
    if (lower == names[i] || (lower.size() == 3 && names[i].starts_with(lower))) {
      return static_cast<int>(i);
    }
  }
  return std::nullopt;
}

// What the words of a date have given so far; each field at most once.
struct DateFields {
  std::optional<int> year, month, day;
  std::optional<int> hour, minute, second;
  std::optional<int> weekday;
  std::optional<bool> afternoon;       // AM/PM given
  std::optional<std::int64_t> offset;  // seconds east of UTC; none: local
  bool zone_seen = false;

  template <class T>
  static bool SetOnce(std::optional<T>& field, T value) {
    if (field) return false;
    field = value;
    return true;
  }
};

class DateReader {
 public:
  bool Word(std::string_view word) {
    if (word.size() >= 8 && AllDigits(word.substr(0, 4)) && (word[4] == '-' || word[4] == '/')) {
      return IsoDate(word);
    }
    if (!word.empty() && std::isdigit(static_cast<unsigned char>(word.front())) &&
        word.find(':') != std::string_view::npos) {
      return TimeOfDay(word);
    }
    if (AllDigits(word)) return Digits(word);
    if (word.front() == '+' || word.front() == '-') return NumericZone(word);
    if (std::optional<int> month = NameIndex(word, kMonthNames)) {
      return DateFields::SetOnce(fields_.month, *month + 1);
    }
    if (std::optional<int> weekday = NameIndex(word, kWeekdayNames)) {
      return DateFields::SetOnce(fields_.weekday, *weekday);
    }
    const std::string lower = Lower(word);
    if (lower == "am" || lower == "pm") return DateFields::SetOnce(fields_.afternoon, lower == "pm");
    return NamedZone(word);
  }

  std::optional<std::int64_t> Moment() const {
    const DateFields& f = fields_;
    if (!f.year || !f.month || !f.day) return std::nullopt;
    if (*f.month < 1 || *f.month > 12 || *f.day < 1 || *f.day > DaysInMonth(*f.year, *f.month)) {
      return std::nullopt;
    }
    int hour = f.hour.value_or(0);
    if (f.afternoon) {
      if (!f.hour || hour < 1 || hour > 12) return std::nullopt;
      hour = hour % 12 + (*f.afternoon ? 12 : 0);
    }
    const int minute = f.minute.value_or(0);
    const int second = f.second.value_or(0);
    if (hour > 23 || minute > 59 || second > 60) return std::nullopt;
    const std::int64_t days = DaysFromCivil(*f.year, *f.month, *f.day);
    if (f.weekday && ((days % 7 + 7 + kWeekdayOfDayZero) % 7) != *f.weekday) return std::nullopt;
    if (!f.offset) {
      return platform::FromLocalTime(
          platform::LocalTime{*f.year, *f.month, *f.day, hour, minute, second, 0});
    }
    return days * 86400 + hour * 3600 + minute * 60 + second - *f.offset;
  }

 private:
  // 2026-11-01, 2026/11/01, and the same with "T" and a time of day.
  bool IsoDate(std::string_view word) {
    const char separator = word[4];
    const std::size_t t = word.find_first_of("Tt");
    const std::string_view date = word.substr(0, t);
    const std::size_t second_separator = date.find(separator, 5);
    if (second_separator == std::string_view::npos) return false;
    const std::optional<int> year = Number(date.substr(0, 4));
    const std::optional<int> month = Number(date.substr(5, second_separator - 5));
    const std::optional<int> day = Number(date.substr(second_separator + 1));
    if (!year || !month || !day || second_separator - 5 > 2 ||
        date.size() - second_separator - 1 > 2) {
      return false;
    }
    if (!DateFields::SetOnce(fields_.year, *year) || !DateFields::SetOnce(fields_.month, *month) ||
        !DateFields::SetOnce(fields_.day, *day)) {
      return false;
    }
    return t == std::string_view::npos || TimeOfDay(word.substr(t + 1));
  }

  // HH:MM[:SS[.fraction]], a zone directly behind it (Z, +01:00, -0500).
  bool TimeOfDay(std::string_view word) {
    const std::size_t zone = word.find_first_of("Zz+-");
    std::string_view time = word.substr(0, zone);
    if (const std::size_t dot = time.find_first_of(".,"); dot != std::string_view::npos) {
      if (!AllDigits(time.substr(dot + 1))) return false;
      time = time.substr(0, dot);  // whole seconds: a check-in time has no fraction
    }
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
      const std::size_t colon = time.find(':', start);
      parts.push_back(time.substr(start, colon - start));
      if (colon == std::string_view::npos) break;
      start = colon + 1;
    }
    if (parts.size() < 2 || parts.size() > 3) return false;
    std::array<std::optional<int>*, 3> targets = {&fields_.hour, &fields_.minute, &fields_.second};
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const std::optional<int> value = parts[i].size() <= 2 ? Number(parts[i]) : std::nullopt;
      if (!value || !DateFields::SetOnce(*targets[i], *value)) return false;
    }
    if (zone == std::string_view::npos) return true;
    const std::string_view suffix = word.substr(zone);
    return suffix.size() == 1 && (suffix == "Z" || suffix == "z") ? SetZone(0)
                                                                  : NumericZone(suffix);
  }

  // A year of four digits, a day of one or two.
  bool Digits(std::string_view word) {
    const std::optional<int> value = Number(word);
    if (!value) return false;
    if (word.size() == 4) return DateFields::SetOnce(fields_.year, *value);
    if (word.size() <= 2) return DateFields::SetOnce(fields_.day, *value);
    return false;
  }

  // +HH, +HHMM, +HH:MM (and the same with '-').
  bool NumericZone(std::string_view word) {
    const int sign = word.front() == '-' ? -1 : 1;
    std::string digits(word.substr(1));
    if (digits.size() == 5 && digits[2] == ':') digits.erase(2, 1);
    if (!AllDigits(digits) || (digits.size() != 2 && digits.size() != 4)) return false;
    const int hours = *Number(std::string_view(digits).substr(0, 2));
    const int minutes = digits.size() == 4 ? *Number(std::string_view(digits).substr(2)) : 0;
    if (hours > 14 || minutes > 59) return false;
    return SetZone(sign * (hours * 3600 + minutes * 60));
  }

  bool NamedZone(std::string_view word) {
    const std::string lower = Lower(word);
    if (std::ranges::find(kUniversalZones, std::string_view(lower)) != kUniversalZones.end()) {
      return SetZone(0);
    }
    const std::vector<std::string> local = platform::LocalZoneNames();
    if (std::ranges::find(local, std::string(word)) == local.end()) return false;
    if (fields_.zone_seen) return false;
    fields_.zone_seen = true;  // local time: the offset stays open
    return true;
  }

  bool SetZone(std::int64_t offset) {
    if (fields_.zone_seen) return false;
    fields_.zone_seen = true;
    fields_.offset = offset;
    return true;
  }

  DateFields fields_;
};

}  // namespace

std::optional<std::int64_t> ReadDate(std::string_view text) {
  DateReader reader;
  bool any = false;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of(" \t,", start);
    const std::string_view word = text.substr(start, end - start);
    if (!word.empty()) {
      if (!reader.Word(word)) return std::nullopt;
      any = true;
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  if (!any) return std::nullopt;
  return reader.Moment();
}

}  // namespace tarn
