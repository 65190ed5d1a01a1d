#include "engine/store/logfile_lock.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "engine/format/logfile_header.h"
#include "engine/store/disk_names.h"
#include "engine/store/leftover_files.h"
#include "engine/store/name_collisions.h"
#include "engine/support/report.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

constexpr int kSecondsBetweenTries = 1;
constexpr int kImmediateTries = 3;

}  // namespace

std::optional<LogfileLock> LogfileLock::Acquire(std::string_view logfileArgument,
                                                const tarnEnvironVars& env) {
  const std::string directory = LogfileDirectoryOf(logfileArgument, env.logfileDirectory);
  if (!platform::DirectoryExists(directory)) {
    Report(kAlert, msg::kLogDirectoryMissing, directory);
    Report(kAlert, msg::kCureLogDirectory, directory);
    return std::nullopt;
  }
  std::optional<std::string> logfilePath =
      LogfileNameFromWorkfile(logfileArgument, env.logfileDirectory);
  if (!logfilePath) return std::nullopt;  // a path too long to use, already reported
  if (const std::optional<std::string> shared = CollidingName(*logfilePath)) {
    Report(kAlert, msg::kNamesCollide, logfileArgument, *shared);
    return std::nullopt;
  }
  const std::string lockPath = LockFileName(*logfilePath);

  // A failed try on a stale lock file removes it, so the next try wins; a lock
  // held by a running command survives every try. Every failed try waits a
  // second, so a retry count of n gives a busy logfile about n seconds.
  int immediate_tries = 0;
  for (int attempt = 0; attempt < env.retryCount; ++attempt) {
    // A user's own file at the lock file's name is neither deleted nor
    // waited for: it stays, and the user is told why nothing happens.
    if (!platform::CouldBeLockFile(lockPath)) {
      Report(kAlert, msg::kNotALockFile, lockPath, logfileArgument);
      return std::nullopt;
    }
    std::optional<platform::LockFile> held = platform::LockFile::TryAcquire(lockPath);
    if (held) {
      RemoveLeftoverFiles(*logfilePath);
      return LogfileLock(std::move(*held), std::move(*logfilePath), env);
    }
    // Nobody holds the logfile, but this user cannot make files beside it:
    // waiting changes nothing, and "in use" would send them looking for a
    // colleague who is not there.
    const std::string lockDirectory = platform::DirectoryPart(lockPath);
    if (!platform::FileExists(lockPath) && !platform::CanCreateFilesIn(lockDirectory)) {
      Report(kAlert, msg::kLockFileCannotBeMade, logfileArgument,
             lockDirectory.empty() ? std::string(".") : lockDirectory);
      return std::nullopt;
    }
    // The name is free now: the try cleared a lock file left by a command
    // that was killed (or its holder just finished). Trying again at once,
    // without counting, keeps such leftovers from failing a command that
    // may try only once; the bound keeps a lock that changes hands all the
    // time from holding us here.
    if (!platform::FileExists(lockPath) && immediate_tries < kImmediateTries) {
      ++immediate_tries;
      --attempt;
      continue;
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

bool LogfileLock::Release() {
  if (!lock_.IsHeld()) return true;
  // Protecting happens while the lock is still held, so nobody opens the
  // logfile between our last write and the attribute change. A refusal
  // leaves the data whole, but the logfile unprotected against what the
  // user asked: that is reported and makes the command fail.
  bool protected_as_asked = true;
  if ((env_->attributes & kAttrProtectLogFile) != 0 && platform::FileExists(logfilePath_) &&
      !platform::SetReadOnly(logfilePath_, true)) {
    Report(kAlert, msg::kProtectFailed, logfilePath_, std::string_view(std::strerror(errno)));
    protected_as_asked = false;
  }
  lock_.Release();
  return protected_as_asked;
}

std::optional<LogfileLock> AcquireLockFile(std::string_view logfileArgument,
                                           const tarnEnvironVars& env) {
  return LogfileLock::Acquire(logfileArgument, env);
}

bool ReleaseLockFile(std::optional<LogfileLock>& lock) {
  const bool released = !lock || lock->Release();
  lock.reset();
  return released;
}

}  // namespace tarn
