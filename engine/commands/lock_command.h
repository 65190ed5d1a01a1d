// The lock and unlock commands ("tlock", "tunlock").
//
// A lock reserves one revision of a logfile for one user; the logfile header
// counts the locks. Both commands change only the 32-byte header of that
// revision's record and the logfile header's lock count, in place: the
// logfile keeps its length, so no rewrite through a temporary file is
// needed. The commands work only on logfiles with the CheckLock attribute.
//
// Command line: the command word, optionally "-" + the revision option word
// and one revision (a branch names its newest revision), and the file name.
// The unlock command also takes "-" + the break option word, which removes
// the logfile's lock file by hand instead (lock_break.h).
#pragma once

#include <optional>
#include <string>

#include "engine/commands/command_line.h"
#include "engine/format/revision_desc.h"
#include "engine/support/environment.h"

namespace tarn {

// LockCommandArgs: what the parsers take from the command line.
struct LockCommandArgs {
  std::optional<tarnCommandRevDesc> revision;  // none: the default revision
  std::string fileName;                        // names the workfile and so the logfile
  bool quiet = false;                          // leave out the information messages
  bool breakLock = false;                      // unlock only: remove the lock file by hand
};

// The two parsers behave alike: 1 accepted; -1 refused (reported, then the
// usage report).
int ParseLockCommandLine(CommandArguments arguments, LockCommandArgs& args);
int ParseUnlockCommandLine(CommandArguments arguments, LockCommandArgs& args);

// Locks the revision for env.userName. 1 when the lock was recorded, and also
// when the logfile does not have the CheckLock attribute (message 139:
// nothing to record); -1 when a lock rule refused it (the revision is locked
// already, the user is not in the access list or holds another lock in this
// logfile) or when the logfile cannot be locked, read or written. The
// environment's attribute word becomes the logfile's.
int LockRevision(const LockCommandArgs& args, tarnEnvironVars& env);

// Removes the user's own lock: the one on the revision given, or without a
// revision the one the user holds wherever it is. 1 when it was removed; 2
// (nothing done, reported) when the logfile has no locks, the user holds
// none or the revision given is not locked; -1 otherwise (no CheckLock
// attribute, a lock held by someone else, the user not in the access list,
// faults).
int UnlockRevision(const LockCommandArgs& args, tarnEnvironVars& env);

}  // namespace tarn
