// Writing a lock or unlock: one revision record and the header's lock count.
//
// The two live in different places of the logfile. Written in place one
// after the other, a kill, a full disk or an I/O error between them (or in
// the middle of either) left a record locked with a lock count of 0, which
// no command could then release. So the change goes through a replacement
// of the whole logfile (logfile_rewrite.h): the old logfile or the new one
// stands whole at every moment, and record and count always agree.
//
// The count written is the one the records give, not the stored count plus
// or minus one: a logfile whose count went wrong somehow is put right by
// its next lock or unlock.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/format/revision_header.h"
#include "engine/store/logfile_session.h"
#include "platform/file.h"

namespace tarn {

// The number of locked revision records from `first_record_offset` on.
// Nothing when a record cannot be read (reported).
std::optional<int> CountLockedRevisions(platform::File& stream, std::int64_t first_record_offset);

// Replaces the revision header at `record_offset` (stored now as `before`)
// with `after`, and the header's lock count with the count of locked
// records that results, in one replacement of the logfile. The session's
// header is written as it stands otherwise (a changed supplemental info
// too). 1, or -1 (reported) with the logfile unchanged.
int WriteLockChange(LogfileSession& session, std::int64_t record_offset, const tRevHdr& before,
                    const tRevHdr& after);

}  // namespace tarn
