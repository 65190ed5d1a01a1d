// The lock file that serialises all users of one logfile (or one INI file,
// or one journal): whoever holds it may change the file beside it; everyone
// else waits or gives up. See lock_file.cpp for why it is built the way it
// is, lock_record.h for what it holds.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/lock_file_system.h"
#include "platform/lock_record.h"

namespace tarn::platform {

class LockFile;

// What one attempt on a lock file found.
enum class LockOutcome {
  kAcquired,      // the lock is ours
  kBusy,          // held: by a running process, or by one on another machine
  kStaleCleared,  // a lock of a process of this machine that no longer runs
                  // was removed; the next attempt may win
  kUnreadable,    // the file at the name is no lock this version can judge
                  // (empty, cut short, another format, garbage): left alone
  kNotPossible,   // no file can be made there (see error)
  kUnsupported,   // the file system offers no exclusive way to make a name
};

struct LockAttempt {
  LockOutcome outcome = LockOutcome::kNotPossible;
  std::optional<LockRecord> holder;          // kBusy, kStaleCleared
  std::string content;                       // kUnreadable: the file's bytes
  int error = 0;                             // kNotPossible, kUnsupported
  bool madeInPlace = false;                  // kAcquired without an atomic link
  // Set by the caller, kept across attempts: runs once a lock is proved
  // stale and before it is taken away, so that the files its dead holder
  // left are gone before anyone else can take the lock (a command killed
  // in between then leaves nothing behind).
  std::function<void(const LockRecord&)> beforeClearingStale;
};

// False when something other than a regular file stands at `path` (a
// directory, a device, a FIFO, a symbolic link): no lock file is ever
// anything else, so such a thing is never cleared, and the lock cannot be
// had while it stands there.
bool CouldBeLockFile(const std::string& path);

// A held lock file. Move-only; the destructor releases it.
class LockFile {
 public:
  // One attempt to take the lock file `path` for `user`. `attempt` tells
  // what was found; the lock comes back when it was taken. `system` must
  // outlive the lock.
  static std::optional<LockFile> Attempt(const std::string& path, std::string_view user,
                                         LockAttempt& attempt,
                                         LockFileSystem& system = SystemLockFileSystem());
  // Attempt for the account's login name, telling nothing more.
  static std::optional<LockFile> TryAcquire(const std::string& path);

  LockFile(LockFile&& other) noexcept;
  LockFile& operator=(LockFile&& other) noexcept;
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;
  ~LockFile();

  // True when the lock file, read through its name now, still holds our
  // token: nobody broke it since it was taken.
  bool StillHeld() const;

  // Deletes the lock file when it still holds our token, then lets go of
  // it. Nothing happens a second time.
  void Release();

  bool IsHeld() const { return held_; }
  const std::string& path() const { return path_; }
  const LockRecord& record() const { return record_; }

 private:
  LockFile(std::string path, LockRecord record, LockFileSystem& system);

  std::string path_;
  LockRecord record_;
  LockFileSystem* system_;
  int registration_ = -1;  // for release when the process is ended early
  bool held_ = false;
};

// How a lock of another machine, or one that cannot be read, is judged: it
// is never cleared by guessing, only by this explicit step, which removes
// the lock file only while it still holds exactly `expected` (what the
// breaker was shown). kAcquired is never returned.
enum class BreakOutcome { kBroken, kAbsent, kChanged, kFailed };
BreakOutcome BreakLockFile(const std::string& path, std::string_view expected,
                           LockFileSystem& system = SystemLockFileSystem());

}  // namespace tarn::platform
