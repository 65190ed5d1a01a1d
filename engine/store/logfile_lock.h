// The lock file that serialises every command that changes one logfile.
//
// A command holds the lock file beside its logfile from before it opens the
// logfile until after it has closed it; users on other machines sharing the
// directory see the same file. What a lock file holds and when it counts as
// stale is the platform's (platform/lock_file.h): a lock of a process that
// still runs, or of another machine, is never removed here.
//
// The lock also carries what the command read: the logfile's size, time and
// fixed header as they were when the command opened it. Before anything is
// renamed into the logfile's place (logfile_replace.h) the lock proves that
// its token is still in the lock file and that the logfile is still the one
// read; a command whose lock was broken meanwhile, or whose logfile was
// replaced by someone else, changes nothing.
//
// LogfileLock releases itself on every path: a command that returns early
// after a failure cannot leave its logfile locked for everybody else.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/support/environment.h"
#include "platform/file.h"
#include "platform/lock_file.h"

namespace tarn {

// What a command saw of its logfile when it opened it.
struct LogfileFingerprint {
  std::int64_t size = 0;
  std::int64_t modified = 0;
  std::array<std::uint8_t, 30> fixedHeader{};

  bool operator==(const LogfileFingerprint&) const = default;
};

// The fingerprint of the logfile at `path` as it is now; nothing when
// there is none (or it cannot be read).
std::optional<LogfileFingerprint> FingerprintOf(const std::string& path);

// Tells the lock this thread holds on the logfile at `path` (if any) what
// the command read of it: `file` open on it, `fixedHeader` its first bytes.
void RememberWhatWasRead(const std::string& path, const platform::File& file,
                         std::span<const std::uint8_t, 30> fixedHeader);

class LogfileLock {
 public:
  // Tries up to env.retryCount times to take the lock file of the logfile
  // that `logfileArgument` (the command's file name) names, waiting one
  // second between tries. Reports message 169 when the logfile directory is
  // missing; when no try succeeded, who holds the lock (host, user, age) or
  // what the lock file that cannot be judged holds, with the command that
  // breaks it. A count of 0 or less makes no try.
  //
  // `env` is not copied: it must outlive the lock.
  static std::optional<LogfileLock> Acquire(std::string_view logfileArgument,
                                            const tarnEnvironVars& env);

  LogfileLock(LogfileLock&& other) noexcept;
  LogfileLock& operator=(LogfileLock&& other) noexcept;
  LogfileLock(const LogfileLock&) = delete;
  LogfileLock& operator=(const LogfileLock&) = delete;
  // Releases the lock when that has not happened yet.
  ~LogfileLock();

  // Deletes the lock file (when it still holds our token) and lets go of
  // it. True (kept for the callers that check it); nothing happens a second
  // time. The logfile's mode is never changed here: a writer's replacement
  // is made with the mode its attributes ask.
  bool Release();

  // Records what the command read of the logfile (logfile_open.cpp does,
  // for the logfile it opens under this lock).
  void RememberLogfile(const LogfileFingerprint& seen) { seen_ = seen; }
  // Before a rename into the logfile's place: true when the lock file
  // still holds our token and the logfile is the one the command read (or,
  // when it read none, there is still none). Otherwise reports why and
  // returns false.
  bool ConfirmBeforeReplacing() const;
  // True when the logfile is, now, the one the command read.
  bool LogfileIsAsRead() const { return FingerprintOf(logfilePath_) == seen_; }

  bool IsHeld() const { return lock_.IsHeld(); }
  const std::string& LogfilePath() const { return logfilePath_; }
  const std::string& LockFilePath() const { return lock_.path(); }
  // The random token of this lock: the names of the files the command
  // makes beside the logfile carry it, so they can be told from others'.
  const std::string& Token() const { return lock_.record().token; }

 private:
  LogfileLock(platform::LockFile lock, std::string logfilePath, const tarnEnvironVars& env);
  void Enrol();
  void Unenrol();

  platform::LockFile lock_;
  std::string logfilePath_;
  const tarnEnvironVars* env_;
  std::optional<LogfileFingerprint> seen_;
};

// The lock this thread holds on the logfile at `logfilePath`, if any.
LogfileLock* HeldLogfileLock(const std::string& logfilePath);

// The command-level names of the two steps.
std::optional<LogfileLock> AcquireLockFile(std::string_view logfileArgument,
                                           const tarnEnvironVars& env);
// Releases the lock (if any) and empties `lock`; false as Release().
bool ReleaseLockFile(std::optional<LogfileLock>& lock);

// Says, once per process, that the logfile directory of `lockPath` cannot
// make a lock file appear with its content at once.
void WarnOfWeakLockOnce(const std::string& lockPath);

}  // namespace tarn
