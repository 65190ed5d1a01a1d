// The revision a check-in descends from.
//
// With CheckLock it is the revision the user has locked (the first one in
// file order); otherwise the tip of the logfile's default branch, which is
// the trunk tip unless the owner has set a default revision. A logfile
// without revisions has a virtual base in front of its first revision.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/format/logfile_header.h"
#include "engine/revisions/new_revision_number.h"
#include "platform/file.h"

namespace tarn {

// Finds the base among the records from `firstRecordOffset` on (`logfile`
// may be null when the header counts no revisions). `attributes`
// are the attributes in effect; `userIndex` is the user's place in the
// modifier list. Returns 1 with `base` filled; 2 when there is none (the
// user holds no lock: 229; the default branch does not exist: 144); -1 when
// the records cannot be read (reported).
int FindBaseRevision(platform::File* logfile, std::int64_t firstRecordOffset,
                     const LogfileHeader& header, std::uint16_t attributes, int userIndex,
                     BaseRevision& base);

}  // namespace tarn
