#include "engine/store/logfile_lock.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/store/disk_names.h"
#include "engine/store/leftover_files.h"
#include "engine/store/name_collisions.h"
#include "engine/support/lock_messages.h"
#include "engine/support/report.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/file_stamp.h"
#include "platform/file_system.h"
#include "platform/file_system_type.h"
#include "platform/paths.h"

namespace tarn {

namespace {

constexpr int kSecondsBetweenTries = 1;
constexpr int kImmediateTries = 3;
// A lock whose time is further ahead of this machine's clock than this was
// made by a machine whose clock is off: its age cannot be told.
constexpr std::int64_t kClockSlackSeconds = 60;

// The locks this thread holds, so that the files a command makes beside
// its logfile can find the lock that must vouch for them.
thread_local std::vector<LogfileLock*> t_held;

std::string Duration(std::int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return text;
}

std::string BreakCommand(std::string_view logfileArgument) {
  return "tarn unlock -break " + std::string(logfileArgument);
}

void ReportHolder(std::string_view logfileArgument, const platform::LockRecord& holder) {
  const std::int64_t now = platform::CurrentTime();
  const std::string user = platform::ShowSafely(holder.user);
  if (holder.time > now + kClockSlackSeconds) {
    Report(kAlert, msg::kLockHeldClockAhead, logfileArgument, user, holder.host,
           Duration(holder.time - now), BreakCommand(logfileArgument));
    return;
  }
  Report(kAlert, msg::kLockHeldBy, logfileArgument, user, holder.host, Duration(now - holder.time),
         BreakCommand(logfileArgument));
}

}  // namespace

std::optional<LogfileFingerprint> FingerprintOf(const std::string& path) {
  std::optional<platform::File> file =
      platform::File::OpenRegular(path, platform::OpenMode::kRead, platform::LinkRule::kRefuse);
  if (!file) return std::nullopt;
  LogfileFingerprint seen;
  const std::optional<platform::FileStamp> stamp = platform::StampOf(*file);
  if (!stamp || !file->ReadExact(seen.fixedHeader)) return std::nullopt;
  seen.size = stamp->size;
  seen.modified = stamp->modified;
  return seen;
}

void RememberWhatWasRead(const std::string& path, const platform::File& file,
                         std::span<const std::uint8_t, 30> fixedHeader) {
  LogfileLock* lock = HeldLogfileLock(path);
  if (lock == nullptr) return;
  const std::optional<platform::FileStamp> stamp = platform::StampOf(file);
  if (!stamp) return;
  LogfileFingerprint seen;
  seen.size = stamp->size;
  seen.modified = stamp->modified;
  std::copy(fixedHeader.begin(), fixedHeader.end(), seen.fixedHeader.begin());
  lock->RememberLogfile(seen);
}

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

  // Every try that finds the lock held waits a second, so a retry count of
  // n gives a busy logfile about n seconds. A try that cleared a stale lock
  // is followed by one at once (without counting, but bounded, so that a
  // lock changing hands all the time cannot hold us here).
  platform::LockAttempt attempt;
  attempt.beforeClearingStale = [&logfilePath](const platform::LockRecord& holder) {
    RemoveLeftoverFiles(*logfilePath, holder.token);
  };
  int immediate_tries = 0;
  for (int tries = 0; tries < env.retryCount; ++tries) {
    // A directory, device or link at the lock file's name is no lock file:
    // it is neither removed nor waited for.
    if (!platform::CouldBeLockFile(lockPath)) {
      Report(kAlert, msg::kNotALockFile, lockPath, logfileArgument);
      return std::nullopt;
    }
    std::optional<platform::LockFile> held =
        platform::LockFile::Attempt(lockPath, env.userName, attempt);
    switch (attempt.outcome) {
      case platform::LockOutcome::kAcquired: {
        if (attempt.madeInPlace) WarnOfWeakLockOnce(lockPath);
        return LogfileLock(std::move(*held), std::move(*logfilePath), env);
      }
      case platform::LockOutcome::kStaleCleared:
        // At once: this command may not be the one that gets the lock next,
        // and nobody else knows the cleared lock's token.
        if (attempt.holder) RemoveLeftoverFiles(*logfilePath, attempt.holder->token);
        if (immediate_tries < kImmediateTries) {
          ++immediate_tries;
          --tries;
          continue;
        }
        break;
      case platform::LockOutcome::kUnsupported:
        Report(kAlert, msg::kFileSystemUnsupported, directory,
               platform::FileSystemTypeOf(directory));
        return std::nullopt;
      case platform::LockOutcome::kNotPossible: {
        // This user cannot make files beside the logfile: waiting changes
        // nothing, and "in use" would send them looking for a colleague who
        // is not there.
        if (attempt.error == EACCES || attempt.error == EPERM || attempt.error == EROFS) {
          Report(kAlert, msg::kLockFileCannotBeMade, logfileArgument, directory);
        } else {
          ReportSystemFailure(msg::kLockFileNotMade, lockPath, attempt.error);
        }
        return std::nullopt;
      }
      case platform::LockOutcome::kBusy:
      case platform::LockOutcome::kUnreadable:
        break;  // perhaps a lock being written, or one about to go
    }
    platform::SleepSeconds(kSecondsBetweenTries);
  }
  if (attempt.outcome == platform::LockOutcome::kUnreadable) {
    Report(kAlert, msg::kLockFileUnreadable, lockPath, logfileArgument,
           platform::ShowSafely(attempt.content), BreakCommand(logfileArgument));
  } else if (attempt.holder) {
    ReportHolder(logfileArgument, *attempt.holder);
  } else {
    Report(kAlert, msg::kLockFileBusy, logfileArgument);
  }
  return std::nullopt;
}

LogfileLock::LogfileLock(platform::LockFile lock, std::string logfilePath,
                         const tarnEnvironVars& env)
    : lock_(std::move(lock)), logfilePath_(std::move(logfilePath)), env_(&env) {
  Enrol();
}

void LogfileLock::Enrol() { t_held.push_back(this); }

void LogfileLock::Unenrol() { std::erase(t_held, this); }

LogfileLock::LogfileLock(LogfileLock&& other) noexcept
    : lock_(std::move(other.lock_)),
      logfilePath_(std::move(other.logfilePath_)),
      env_(other.env_),
      seen_(std::move(other.seen_)) {
  other.Unenrol();
  if (lock_.IsHeld()) Enrol();
}

LogfileLock& LogfileLock::operator=(LogfileLock&& other) noexcept {
  if (this != &other) {
    Release();
    lock_ = std::move(other.lock_);
    logfilePath_ = std::move(other.logfilePath_);
    env_ = other.env_;
    seen_ = std::move(other.seen_);
    other.Unenrol();
    if (lock_.IsHeld()) Enrol();
  }
  return *this;
}

LogfileLock::~LogfileLock() { Release(); }

bool LogfileLock::Release() {
  Unenrol();
  if (!lock_.IsHeld()) return true;
  // Nothing to protect here: a logfile is only ever replaced by one made
  // with the mode its attributes ask (logfile_replace.h), and nobody changes
  // the mode of a logfile, which only its owner could.
  lock_.Release();
  return true;
}

bool LogfileLock::ConfirmBeforeReplacing() const {
  if (!lock_.StillHeld()) {
    Report(kAlert, msg::kLockLost, lock_.path(), logfilePath_);
    return false;
  }
  if (FingerprintOf(logfilePath_) != seen_) {
    Report(kAlert, msg::kLogfileChangedMeanwhile, logfilePath_);
    return false;
  }
  return true;
}

LogfileLock* HeldLogfileLock(const std::string& logfilePath) {
  for (LogfileLock* lock : t_held) {
    if (lock->IsHeld() && lock->LogfilePath() == logfilePath) return lock;
  }
  return nullptr;
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

void WarnOfWeakLockOnce(const std::string& lockPath) {
  static bool warned = false;
  if (warned) return;
  warned = true;
  const std::string directory = platform::DirectoryPart(lockPath);
  const std::string shown = directory.empty() ? std::string(".") : directory;
  Report(kAlert, msg::kFileSystemWeakLock, shown, platform::FileSystemTypeOf(shown));
}

}  // namespace tarn
