// The history a ,v file holds, checked and with every revision's text
// rebuilt: what a logfile is made from.
//
// The deltas must form the tree their numbers describe: the trunk linked
// from the head in decreasing order, each branch linked from its first
// revision in increasing order and listed at its branch point, every delta
// reached exactly once. The head's text is whole; every other text is the
// edit script applied to a neighbour's text (the next newer trunk revision,
// or the previous revision of a branch or the branch point).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "import/rcs_file.h"

namespace tarn::rcs {

struct HistoryRevision {
  Number number;
  std::int64_t date = 0;  // seconds since 1970 UTC
  std::string author;
  std::string state;
  std::string log;
  std::string text;  // the whole text of the revision
  // The revision this one is made from in a logfile: the previous trunk
  // revision, the previous revision of its branch, or its branch point.
  // None for the oldest trunk revision.
  std::optional<std::size_t> base;
  bool startsBranch = false;
};

struct History {
  // Every revision after its base: the trunk oldest first, then the
  // branches, each from its first revision on.
  std::vector<HistoryRevision> revisions;
  std::optional<Number> defaultBranch;
  std::vector<std::string> access;
  std::vector<std::pair<std::string, Number>> symbols;
  std::vector<std::pair<std::string, Number>> locks;
  bool strict = false;
  std::optional<std::string> comment;
  std::string expand;  // the keyword mode, empty for the default
  std::string description;
  // A file removed in CVS: the dead revision that removed it, set aside
  // (the tip is the last live revision).
  struct Removal {
    Number number;
    std::int64_t date = 0;
    std::string author;
    std::string log;
  };
  std::optional<Removal> removal;

  // The place of `number` in `revisions`, or none.
  std::optional<std::size_t> Find(const Number& number) const;
};

// Checks the tree of `file` and rebuilds every text. Refusals are reported
// with `name` (805, 806, 807, 808, 809, 811, 826): none.
std::optional<History> BuildHistory(RcsFile file, std::string_view name);

}  // namespace tarn::rcs
