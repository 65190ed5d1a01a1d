// Creating a logfile: the header a new logfile starts with.
//
// A workfile is put under control by checking it in while it has no logfile
// yet. The header comes from the settings (access list, user, comment
// prefix list, default attributes) and the command line (attribute
// overrides, the module description). The new logfile is written whole,
// header and first revision together, through the same replacement as every
// later check-in: until it is complete there is no logfile of that name, so
// a failed creation leaves nothing behind, and a killed one at most a
// replacement file that the next attempt overwrites.
#pragma once

#include <cstdint>

#include "engine/commands/checkin_command_line.h"
#include "engine/format/logfile_header.h"
#include "engine/support/environment.h"

namespace tarn {

// The attributes of a new logfile: the settings' defaults with the command
// line's overrides.
std::uint16_t NewLogfileAttributes(const CheckInRecord& record, const tarnEnvironVars& env);

// Fills `header` for a new logfile (format 6, trunk 1.-1, no revisions):
// the attributes (also stored back into env.attributes for the rest of the
// command), the lock count (1 with CheckLock, lowered again by the check-in
// unless the lock is kept), access and modifier list from the settings'
// access list, the comment prefix for the workfile's extension, the owner
// (the user), the module description (the text option, normalised, or read
// from the console) and a zeroed 516-byte supplemental info. Reports 211
// first; refusals: 213 empty access list, 231 no user name, 210 description
// abandoned. Returns 1 or -1.
int BuildDefaultHeader(const CheckInRecord& record, tarnEnvironVars& env, LogfileHeader& header);

}  // namespace tarn
