// Writing a logfile with one more revision.
//
// The new logfile is written whole into a replacement file (see
// logfile_replace.h); the old logfile is only read. Where the new revision
// goes follows the record order every reader relies on (revision_scan.h):
//
//   - a trunk revision comes first, stored whole; the old trunk tip behind
//     it is stored from now on as a reverse delta (new text -> old text),
//     then the rest of the old logfile follows unchanged;
//   - a branch revision, stored as a forward delta from its base, comes
//     directly behind the base's record when it starts a branch (so the
//     newest branch of a revision comes first), or behind the base's own
//     branches when it continues the base's line.
#pragma once

#include <cstdint>
#include <string>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_header.h"
#include "engine/revisions/new_revision_number.h"
#include "engine/support/guarded_memory.h"
#include "platform/file.h"

namespace tarn {

// The new revision as the check-in prepared it.
struct NewRevision {
  // Numbers, depth, tip, lock, dates and creator. The writer fills in the
  // stored size, the compression flag and the description size.
  tRevHdr record;
  std::string description;  // without its NUL
  // Trunk: the whole new text. Branch: the forward delta from the base.
  ByteBuffer data;
  // Trunk with an old tip: the reverse delta from the new text to the old
  // tip's text, which becomes the old tip's data.
  ByteBuffer oldTipDelta;
};

// The longest description a revision record can hold (its size field, NUL
// included, is a signed 16-bit number). Longer ones are cut.
inline constexpr std::size_t kMaxRevisionDescription = 32766;

struct InsertionPlan {
  BaseRevision base;  // virtual for a first revision
  NewRevisionNumber number;
  bool keepBaseTip = false;  // the new-branch option: the base stays its line's tip
  bool compress = false;     // store data compressed when that makes it smaller
};

// Writes the new logfile into `out`: the (already updated) header, then the
// revision records of `old` from `firstRecordOffset` on with the new
// revision in its place. `old` may be null for a logfile without revisions.
// Reports read (106), seek (145), write (107) failures and, for a trunk
// revision whose older records cannot be copied, 212. Returns 1 or -1.
int WriteLogfileWithNewRevision(platform::File* old, std::int64_t firstRecordOffset,
                                LogfileHeader& header, const InsertionPlan& plan,
                                NewRevision& revision, platform::File& out);

// Writes a copy of `old` into `out` with the (already updated) header and
// the 32-byte head of the record at `recordOffset` replaced by `record`:
// how a check-in that stores nothing releases its lock. Returns 1 or -1.
int WriteLogfileWithChangedRecord(platform::File& old, std::int64_t firstRecordOffset,
                                  LogfileHeader& header, std::int64_t recordOffset,
                                  const tRevHdr& record, platform::File& out);

}  // namespace tarn
