// The number a check-in gives its new revision.
//
// A revision continues the line of its base when the base is the newest
// revision of that line (1.3 → 1.4, 1.2.1.1 → 1.2.1.2); otherwise, or when a
// branch is asked for, it starts a new branch at the base (1.2 → 1.2.1.1,
// then 1.2.2.1). A number may also be given explicitly; it must then
// continue the base's line and be greater than the base.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "engine/format/revision_header.h"

namespace tarn {

// The deepest revision a check-in may make: 19 elements (the descriptor
// holds 20).
inline constexpr int kMaxNewRevisionDepth = 18;

// The revision a check-in descends from.
struct BaseRevision {
  tRevHdr header;             // as stored in the logfile
  tarnCommandRevDesc number;  // its full number
  // Offset of its record; -1 for the virtual base of a logfile without
  // revisions (number 1.-1, or the first element of a given number).
  std::int64_t offset = -1;

  bool IsVirtual() const { return offset < 0; }
  int Depth() const { return number.iElementCount - 1; }
  bool IsTip() const { return IsVirtual() || header._cTip == 1; }
};

struct NewRevisionNumber {
  tarnCommandRevDesc number;  // the full number, every element exact
  bool startsBranch = false;  // a new branch at the base: its branch count goes up

  int Depth() const { return number.iElementCount - 1; }
  bool IsTrunk() const { return Depth() == 0; }
};

// Works out the new revision's number from its base, the number the command
// line asked for (if any), the new-branch option and the logfile header (the
// trunk's numbers). Refusals are reported: 233 a given number that does not
// continue the base's line, 234/209 one not greater than the base, 208 one
// on another branch, 148 a branch deeper than the format allows, 363 a
// line whose numbers are used up. Returns 1 or -1.
int WorkOutNewRevisionNumber(const BaseRevision& base,
                             const std::optional<tarnCommandRevDesc>& requested, bool newBranch,
                             const tLogFileHdr& header, NewRevisionNumber& result);

}  // namespace tarn
