// The lock file that serialises every command on one logfile.
//
// A command holds the lock file beside its logfile from before it opens the
// logfile until after it has closed it; users on other machines sharing the
// directory see the same file. Whether a lock file is stale (its holder
// ended) or held is decided by the platform layer (platform/lock_file.h), so
// a lock held by a live process is never broken here.
//
// LogfileLock releases itself on every path: a command that returns early
// after a failure cannot leave its logfile locked for everybody else.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/support/environment.h"
#include "platform/lock_file.h"

namespace tarn {

class LogfileLock {
 public:
  // Tries up to env.retryCount times to create the lock file of the logfile
  // that `logfileArgument` (the command's file name) names, waiting one
  // second between tries. Reports message 169 when the logfile directory is
  // missing and 170 when no try succeeded (a count of 0 or less makes none).
  //
  // `env` is not copied: it must outlive the lock, and its attribute word at
  // release time decides whether the logfile is protected (commands set it
  // from the logfile's header after acquiring the lock).
  static std::optional<LogfileLock> Acquire(std::string_view logfileArgument,
                                            const tarnEnvironVars& env);

  LogfileLock(LogfileLock&& other) noexcept;
  LogfileLock& operator=(LogfileLock&& other) noexcept;
  LogfileLock(const LogfileLock&) = delete;
  LogfileLock& operator=(const LogfileLock&) = delete;
  // Releases the lock when that has not happened yet.
  ~LogfileLock();

  // With ProtectLogFile in the effective attributes makes the logfile
  // read-only, then deletes the lock file and lets go of it. False when the
  // logfile could not be made read-only (reported, message 406). Nothing
  // happens a second time.
  bool Release();

  bool IsHeld() const { return lock_.IsHeld(); }
  const std::string& LogfilePath() const { return logfilePath_; }
  const std::string& LockFilePath() const { return lock_.path(); }

 private:
  LogfileLock(platform::LockFile lock, std::string logfilePath, const tarnEnvironVars& env)
      : lock_(std::move(lock)), logfilePath_(std::move(logfilePath)), env_(&env) {}

  platform::LockFile lock_;
  std::string logfilePath_;
  const tarnEnvironVars* env_;
};

// The command-level names of the two steps.
std::optional<LogfileLock> AcquireLockFile(std::string_view logfileArgument,
                                           const tarnEnvironVars& env);
// Releases the lock (if any) and empties `lock`; false as Release().
bool ReleaseLockFile(std::optional<LogfileLock>& lock);

}  // namespace tarn
