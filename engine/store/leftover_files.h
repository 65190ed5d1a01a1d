// Files that a killed rewrite leaves beside a logfile: its replacement file
// and its backups. The logfile itself is whole whatever moment the kill hit
// (the replacement is renamed over it in one step, and the backup is only a
// second name of the old logfile), so these files hold nothing that is not
// in the logfile; they only take room and confuse whoever lists the
// directory.
//
// Such a file is removed only when it is proved to belong to a command
// that ended: its name carries the tag of the token of a lock that was
// proved stale (its process no longer runs). A file of a command that may
// still be at work, on this machine or another, is never touched, and
// neither is a file whose name carries no tag.
#pragma once

#include <string>

namespace tarn {

// Removes the replacement file and the backups of the logfile at
// `logfilePath` that were made under the lock with `token`. Says nothing
// about files that are not there; a removal that fails for another reason
// is reported (with the reason) and does not stop the command.
void RemoveLeftoverFiles(const std::string& logfilePath, const std::string& token);

}  // namespace tarn
