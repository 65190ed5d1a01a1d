// Files removed in CVS. A removed file lies in the Attic/ directory beside
// its live siblings, and its newest trunk revision has the state "dead"
// (an empty text that only says the file is gone). The import keeps the
// file beside its siblings with its last live revision as the tip; the
// removal stays visible as a label on that tip, "removed-in-1.3", and as
// the last line of the module description:
//
//   Removed in revision 1.3 on 2020-05-01 10:00:00 UTC by bob: the log
//
// from which the export deletes the file at that moment.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "import/rcs_history.h"

namespace tarn::rcs {

inline constexpr std::string_view kRemovedLabelPrefix = "removed-in-";
inline constexpr std::string_view kRemovedLinePrefix = "Removed in revision ";

// Sets aside the dead revisions at the top of the trunk (none that a branch
// starts from, and never the last revision), with the symbols and locks on
// them, and records the oldest of them as the removal.
void SetAsideRemoval(History& history);

// The module description's line for a removal.
std::string RemovalLine(const History::Removal& removal);

// The removal a module description records: its date (seconds since 1970
// UTC), author and log; none when its last line is no such record.
struct RecordedRemoval {
  std::int64_t date = 0;
  std::string author;
  std::string log;
};
std::optional<RecordedRemoval> RemovalInDescription(std::string_view description);

}  // namespace tarn::rcs
