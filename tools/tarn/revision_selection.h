// Which revisions a report shows: all, one revision, a branch, or a range
// on one line of development.
//
//   1.3        that revision
//   1 / 1.2.1  the trunk / branch 1 started at 1.2: every revision on it
//   1.2:1.5    from 1.2 to 1.5 on their line (the trunk, whatever its
//              major numbers, or one branch); "1.2:" to the line's end,
//              ":1.5" from its start
#pragma once

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tarn::cli {

// A revision number as its numbers: 1.2.1.4 is {1, 2, 1, 4}.
using RevisionNumbers = std::vector<int>;

// "1.2.1.4" as numbers; nothing for a text that is not dotted numbers.
std::optional<RevisionNumbers> ParseRevisionNumbers(std::string_view text);

class RevisionSelection {
 public:
  // Every revision.
  RevisionSelection() = default;

  // Nothing when `text` is none of the forms above (a range's ends must be
  // revisions on one line).
  static std::optional<RevisionSelection> Parse(std::string_view text);

  bool Selects(const RevisionNumbers& revision) const;

 private:
  enum class Kind { kAll, kOne, kLine, kRange };
  Kind kind_ = Kind::kAll;
  // kOne: the revision; kLine: the line's numbers (odd count); kRange: the
  // line of both ends.
  RevisionNumbers numbers_;
  std::optional<std::pair<int, int>> from_;  // kRange: last pair of each end
  std::optional<std::pair<int, int>> to_;
};

}  // namespace tarn::cli
