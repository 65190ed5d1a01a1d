// The supplemental info of a logfile header: which workfile the logfile was
// last updated for, by whom, when, and how large the workfile was.
//
// Stored as a 516-byte buffer: the workfile's full path and its NUL, then the
// text "%d~%lu~%lu" (last modifier's index in the modifier list, time of the
// last logfile update in seconds since 1970 UTC, workfile size in bytes),
// then NULs to the end. Headers written elsewhere may hold another size; the
// readers below never look past the buffer whatever it holds.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/format/logfile_header.h"
#include "engine/support/environment.h"

namespace tarn {

// The first NUL-terminated string of the info (the whole buffer when it has
// no NUL).
std::string WorkfileName(std::span<const std::uint8_t> info);

// The three numbers after the first NUL. When they do not all parse, the
// results are -1, 0 and 0.
int LastModifierIndex(std::span<const std::uint8_t> info);
std::int64_t LastLogfileUpdate(std::span<const std::uint8_t> info);
std::int64_t LastWorkfileSize(std::span<const std::uint8_t> info);

// The time the next update records instead of the stored or current time
// (a check-in sets its own check-in time). Process-wide; the next
// UpdateSupplementalInfo consumes it (resets it to 0).
void SetExplicitUpdateTime(std::int64_t seconds);
std::int64_t ExplicitUpdateTime();

// Rewrites the info for `workfile` on behalf of `user`: a fresh 516-byte
// buffer with the workfile's full path, the user's index in the header's
// modifier list (-1 when absent), the update time (the explicit time, else
// the stored one when there is one, else now) and the workfile's current
// size (0 when it cannot be examined). An info of another size than 516 is
// replaced, its contents ignored. A path too long to leave room for the
// numbers is refused with message 361 and the info is left unchanged: -1.
int UpdateSupplementalInfo(LogfileHeader& header, std::string_view workfile, std::string_view user);
// The same for the user of the settings record.
int UpdateSupplementalInfo(LogfileHeader& header, std::string_view workfile,
                           const tarnEnvironVars& env);

}  // namespace tarn
