// Whether a file a command is about to write is in truth the logfile (or its
// lock file) under another spelling.
//
// Paths cannot tell: a symbolic link to the logfile directory, "here/../log"
// where "here" links to ".", a bind mount or a hard link all reach the
// logfile by a name that differs from the one the command derived. Writing a
// revision's text there would replace the whole history. So the comparison
// is by file identity (device and inode), with the spelled-out full paths as
// a second test for names that do not exist yet.
#pragma once

#include <string>

namespace tarn {

// True when `target` names the logfile at `logfilePath` or that logfile's
// lock file, by identity or by full path.
bool NamesLogfileOrLockFile(const std::string& target, const std::string& logfilePath);

}  // namespace tarn
