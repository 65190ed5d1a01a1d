// The files a logfile needs beside it must all have different names.
//
// Beside a logfile stand, at times, its lock file, its replacement and its
// backups; each name is made from the logfile's by a character rule. For
// some workfile names two rules give the same name: a logfile whose name
// starts with '$' is its own lock file, and clearing a stale lock would
// delete the history. Such a workfile is refused before anything is written.
#pragma once

#include <optional>
#include <string>

namespace tarn {

// A name that the lock file, replacement or backups of `logfile_path` would
// share with the logfile or with each other; nothing when all differ.
std::optional<std::string> CollidingName(const std::string& logfile_path);

}  // namespace tarn
