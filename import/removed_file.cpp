#include "import/removed_file.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/text/date_reading.h"

namespace tarn::rcs {

namespace {

constexpr std::string_view kDeadState = "dead";
constexpr std::string_view kOn = " on ";
constexpr std::string_view kBy = " UTC by ";
constexpr std::string_view kLogMark = ": ";

bool IsTrunk(const HistoryRevision& revision) { return revision.number.size() == 2; }

// The UTC calendar text of `seconds`: 2020-05-01 10:00:00.
std::string UtcText(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // The civil date of a day count (the inverse of the day count from a date).
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t day_of_era = days - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t mp = (5 * day_of_year + 2) / 153;
  const std::int64_t day = day_of_year - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
  char text[96];  // room for any 64-bit fields
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld",
                static_cast<long long>(year), static_cast<long long>(month),
                static_cast<long long>(day), static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
  return text;
}

}  // namespace

void SetAsideRemoval(History& history) {
  std::vector<HistoryRevision>& revisions = history.revisions;
  while (true) {
    const auto trunk_end = std::find_if(revisions.begin(), revisions.end(),
                                        [](const HistoryRevision& r) { return !IsTrunk(r); });
    const auto trunk_count = static_cast<std::size_t>(trunk_end - revisions.begin());
    if (trunk_count < 2) return;
    const std::size_t head = trunk_count - 1;
    if (revisions[head].state != kDeadState) return;
    const bool branched = std::any_of(revisions.begin(), revisions.end(), [&](const HistoryRevision& r) {
      return !IsTrunk(r) && r.base == head;
    });
    if (branched) return;
    const HistoryRevision dead = std::move(revisions[head]);
    revisions.erase(revisions.begin() + static_cast<std::ptrdiff_t>(head));
    for (HistoryRevision& revision : revisions) {
      if (revision.base && *revision.base > head) --*revision.base;
    }
    std::erase_if(history.symbols, [&](const auto& symbol) { return symbol.second == dead.number; });
    std::erase_if(history.locks, [&](const auto& lock) { return lock.second == dead.number; });
    history.removal = History::Removal{dead.number, dead.date, dead.author, dead.log};
  }
}

std::string RemovalLine(const History::Removal& removal) {
  std::string log = removal.log.substr(0, removal.log.find('\n'));
  return std::string(kRemovedLinePrefix) + FormatNumber(removal.number) + std::string(kOn) +
         UtcText(removal.date) + std::string(kBy) + removal.author + std::string(kLogMark) + log;
}

std::optional<RecordedRemoval> RemovalInDescription(std::string_view description) {
  while (description.ends_with('\n')) description.remove_suffix(1);
  const std::size_t line_start = description.rfind('\n');
  std::string_view line = description.substr(line_start == std::string_view::npos ? 0 : line_start + 1);
  if (!line.starts_with(kRemovedLinePrefix)) return std::nullopt;
  const std::size_t on = line.find(kOn);
  const std::size_t by = line.find(kBy);
  if (on == std::string_view::npos || by == std::string_view::npos || by < on) return std::nullopt;
  const std::size_t log = line.find(kLogMark, by + kBy.size());
  if (log == std::string_view::npos) return std::nullopt;
  const std::optional<std::int64_t> date =
      ReadDate(std::string(line.substr(on + kOn.size(), by - on - kOn.size())) + " UTC");
  if (!date) return std::nullopt;
  return RecordedRemoval{*date, std::string(line.substr(by + kBy.size(), log - by - kBy.size())),
                         std::string(line.substr(log + kLogMark.size()))};
}

}  // namespace tarn::rcs
