#include "engine/format/supplemental_info.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <optional>

#include "engine/format/user_list.h"
#include "engine/support/report.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {
namespace {

struct Statistics {
  int modifierIndex = -1;
  std::int64_t lastUpdate = 0;
  std::int64_t workfileSize = 0;
};

std::int64_t& ExplicitTimeStorage() {
  static std::int64_t seconds = 0;
  return seconds;
}

// Reads one number as the C library's %d and %lu conversions do: leading
// white space skipped, an optional sign ('+' only for the unsigned ones).
// Values out of range do not parse.
template <class Number>
std::optional<Number> ParseNumber(std::string_view& text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  if (at < text.size() && text[at] == '+') ++at;
  Number value{};
  const char* begin = text.data() + at;
  const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  if (error != std::errc()) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

bool ParseSeparator(std::string_view& text) {
  if (text.empty() || text.front() != '~') return false;
  text.remove_prefix(1);
  return true;
}

// The text between the first NUL and the next one (or the buffer's end).
std::string_view StatisticsText(std::span<const std::uint8_t> info) {
  const auto* chars = reinterpret_cast<const char*>(info.data());
  const std::string_view all(chars, info.size());
  const std::size_t first_nul = all.find('\0');
  if (first_nul == std::string_view::npos) return {};
  const std::string_view rest = all.substr(first_nul + 1);
  return rest.substr(0, rest.find('\0'));
}

std::optional<Statistics> ParseStatistics(std::span<const std::uint8_t> info) {
  std::string_view text = StatisticsText(info);
  const std::optional<int> index = ParseNumber<int>(text);
  if (!index || !ParseSeparator(text)) return std::nullopt;
  const std::optional<std::uint64_t> time = ParseNumber<std::uint64_t>(text);
  if (!time || !ParseSeparator(text)) return std::nullopt;
  const std::optional<std::uint64_t> size = ParseNumber<std::uint64_t>(text);
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (!size || *time > kMax || *size > kMax) return std::nullopt;
  return Statistics{*index, static_cast<std::int64_t>(*time), static_cast<std::int64_t>(*size)};
}

Statistics StatisticsOrDefault(std::span<const std::uint8_t> info) {
  return ParseStatistics(info).value_or(Statistics{});
}

}  // namespace

std::string WorkfileName(std::span<const std::uint8_t> info) {
  const auto end = std::find(info.begin(), info.end(), std::uint8_t{0});
  return std::string(info.begin(), end);
}

int LastModifierIndex(std::span<const std::uint8_t> info) {
  return StatisticsOrDefault(info).modifierIndex;
}

std::int64_t LastLogfileUpdate(std::span<const std::uint8_t> info) {
  return StatisticsOrDefault(info).lastUpdate;
}

std::int64_t LastWorkfileSize(std::span<const std::uint8_t> info) {
  return StatisticsOrDefault(info).workfileSize;
}

void SetExplicitUpdateTime(std::int64_t seconds) { ExplicitTimeStorage() = seconds; }

std::int64_t ExplicitUpdateTime() { return ExplicitTimeStorage(); }

int UpdateSupplementalInfo(LogfileHeader& header, std::string_view workfile,
                           std::string_view user) {
  const std::int64_t explicit_time = ExplicitTimeStorage();
  ExplicitTimeStorage() = 0;

  std::int64_t stored_time = 0;
  if (header.supplementalInfo.size() == kSupplementalInfoSize) {
    stored_time = LastLogfileUpdate(header.supplementalInfo);
  }
  std::string path = platform::FullPathName(workfile);
  if (path.empty()) path = std::string(workfile);  // no current directory: the name as given

  const std::int64_t size = platform::FileSize(path).value_or(0);
  const int index = UserIndex(user, header.modifierList);
  const std::int64_t time = explicit_time != 0 ? explicit_time
                            : stored_time != 0 ? stored_time
                                               : platform::CurrentTime();
  const std::string numbers = std::to_string(index) + "~" + std::to_string(time) + "~" +
                              std::to_string(std::max<std::int64_t>(size, 0));

  // Path, NUL, numbers and at least one NUL after them must fit.
  const std::size_t room = kSupplementalInfoSize - numbers.size() - 2;
  if (path.size() > room) {
    Report(kAlert, msg::kPathTooLong, path, static_cast<int>(room));
    return -1;
  }
  std::vector<std::uint8_t> info(kSupplementalInfoSize, 0);
  std::copy(path.begin(), path.end(), info.begin());
  std::copy(numbers.begin(), numbers.end(),
            info.begin() + static_cast<std::ptrdiff_t>(path.size() + 1));
  header.supplementalInfo = std::move(info);
  header.fixed._iSupplementalInfoSize = static_cast<std::int16_t>(kSupplementalInfoSize);
  return 1;
}

int UpdateSupplementalInfo(LogfileHeader& header, std::string_view workfile,
                           const tarnEnvironVars& env) {
  return UpdateSupplementalInfo(header, workfile, env.userName);
}

}  // namespace tarn
