#include "engine/store/logfile_lock.h"

#include <utility>

#include "engine/format/logfile_header.h"
#include "engine/store/logfile_names.h"
#include "engine/support/report.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

constexpr int kSecondsBetweenTries = 1;

std::string DirectoryToCheck(const tarnEnvironVars& env) {
  return env.logfileDirectory.empty() ? std::string(".") : env.logfileDirectory;
}

}  // namespace

std::optional<LogfileLock> LogfileLock::Acquire(std::string_view logfileArgument,
                                                const tarnEnvironVars& env) {
  const std::string directory = DirectoryToCheck(env);
  if (!platform::DirectoryExists(directory)) {
    Report(kAlert, msg::kLogDirectoryMissing, directory);
    return std::nullopt;
  }
  std::optional<std::string> logfilePath =
      LogfileNameFromWorkfile(logfileArgument, env.logfileDirectory);
  if (!logfilePath) return std::nullopt;  // a path too long to use, already reported
  const std::string lockPath = LockFileName(*logfilePath);

  // A failed try on a stale lock file removes it, so the next try wins; a lock
  // held by a running command survives every try. Every failed try waits a
  // second, so a retry count of n gives a busy logfile about n seconds.
  for (int attempt = 0; attempt < env.retryCount; ++attempt) {
    std::optional<platform::LockFile> held = platform::LockFile::TryAcquire(lockPath);
    if (held) return LogfileLock(std::move(*held), std::move(*logfilePath), env);
    // Nobody holds the logfile, but this user cannot make files beside it:
    // waiting changes nothing, and "in use" would send them looking for a
    // colleague who is not there.
    const std::string lockDirectory = platform::DirectoryPart(lockPath);
    if (!platform::FileExists(lockPath) && !platform::CanCreateFilesIn(lockDirectory)) {
      Report(kAlert, msg::kLockFileCannotBeMade, logfileArgument,
             lockDirectory.empty() ? std::string(".") : lockDirectory);
      return std::nullopt;
    }
    platform::SleepSeconds(kSecondsBetweenTries);
  }
  Report(kAlert, msg::kLockFileBusy, logfileArgument);
  return std::nullopt;
}

LogfileLock::LogfileLock(LogfileLock&& other) noexcept
    : lock_(std::move(other.lock_)),
      logfilePath_(std::move(other.logfilePath_)),
      env_(other.env_) {}

LogfileLock& LogfileLock::operator=(LogfileLock&& other) noexcept {
  if (this != &other) {
    Release();
    lock_ = std::move(other.lock_);
    logfilePath_ = std::move(other.logfilePath_);
    env_ = other.env_;
  }
  return *this;
}

LogfileLock::~LogfileLock() { Release(); }

void LogfileLock::Release() {
  if (!lock_.IsHeld()) return;
  // Protecting happens while the lock is still held, so nobody opens the
  // logfile between our last write and the attribute change. A refusal (the
  // logfile belongs to another team member) leaves it as it was: the data
  // is whole either way.
  if ((env_->attributes & kAttrProtectLogFile) != 0 && platform::FileExists(logfilePath_)) {
    platform::SetReadOnly(logfilePath_, true);
  }
  lock_.Release();
}

std::optional<LogfileLock> AcquireLockFile(std::string_view logfileArgument,
                                           const tarnEnvironVars& env) {
  return LogfileLock::Acquire(logfileArgument, env);
}

void ReleaseLockFile(std::optional<LogfileLock>& lock) {
  if (lock) lock->Release();
  lock.reset();
}

}  // namespace tarn
