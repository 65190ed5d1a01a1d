// Why the lock file is built this way
// ===================================
//
// A logfile is shared by a team, often from several machines through a
// network directory, and two commands changing it at once would lose one
// of the changes. What keeps them apart is one file beside it, the lock
// file: a command changes the logfile only while it holds that file.
//
// The classic recipe is "create the file exclusively; if it exists, try to
// delete it (a stale one left by a crashed program), then try again". It
// relies on a file held open by a running program being impossible to
// delete, which POSIX does not give. Nor can "is it held?" be asked of an
// advisory lock or answered by comparing inode numbers: on many network
// file systems (NFS without a lock manager, SFTP mounts) each client keeps
// its own advisory locks, and a FUSE mount numbers inodes by path, so a
// hard link to a file is a different inode there. So a lock file is judged
// only by what it says:
//
// * It names its holder (lock_record.h): host, boot id, process-number
//   space, process id and start time, user, time, and a random token. It
//   appears with all of that at once: written whole into a file of its own
//   (without a name where the kernel allows, else under a private name) and
//   then linked to the lock file's name; link() fails when the name exists,
//   atomically, on a local disk, over NFS and over SFTP. Where a file system
//   has no hard links, the name is created exclusively and written next; an
//   empty or partial lock file is then taken as one being written, never as
//   a stale one.
//
// * The holder proves it holds the lock by reading the file back through
//   its name and finding its own bytes, token included: right after taking
//   it, before every rename of a replacement into place (done by the
//   engine), and before it deletes the file at release. A holder whose lock
//   was broken meanwhile therefore never replaces the logfile and never
//   deletes somebody else's lock.
//
// * A lock is stale only when this machine can tell for sure: it was made
//   on this host, in this process-number space, during this boot, by a
//   process that no longer runs (the id is gone, or belongs to a process
//   started at another time); or on this host during an earlier boot (the
//   lock's time is before this boot). A lock of another machine is never
//   cleared by guessing, however old it looks: its clock may be off, its
//   command may sit at a question. Breaking it is an explicit step
//   (BreakLockFile) that a person takes after being shown whose it is.
//
// * Clearing a stale lock must not delete a lock taken meanwhile under the
//   same name by somebody else. So the clearer first renames the file away
//   to a private name, reads it there, and deletes it only when it is still
//   the one judged stale; a different one (a newer lock that came between)
//   is linked back, and if that is impossible its holder finds its token
//   gone at its next check and gives up without changing anything.
//
// * Where the kernel cannot make a file without a name, the private file
//   that is written and then linked into place has a name of its own,
//   which a process killed at that moment leaves behind. The name says
//   which machine and process made it, and whoever takes the lock next on
//   that machine removes those of processes that no longer run.
//
// * Release reads the token back and deletes the name only when it is
//   still ours. Between that read and the delete only an explicit break
//   followed by a new lock could come; the engine's checks before every
//   rename keep even that from losing a change.

#include "platform/lock_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "platform/exit_cleanup.h"
#include "platform/login_name.h"
#include "platform/paths.h"

namespace tarn::platform {

namespace {

bool SameMachineAndBoot(const LockRecord& lock, const LockRecord& self) {
  return lock.host == self.host && lock.bootId == self.bootId && lock.pidNamespace == self.pidNamespace;
}

bool IsStale(const LockRecord& lock, LockFileSystem& system) {
  const LockRecord self = system.Self();
  if (lock.host != self.host) return false;
  if (lock.bootId != self.bootId) {
    // Another boot of this host, or another machine carrying the same name:
    // only a lock made before this boot began is surely left over.
    const std::int64_t boot = system.BootTime();
    return boot > 0 && lock.time < boot;
  }
  if (!SameMachineAndBoot(lock, self)) return false;
  return system.Process(lock.pid, lock.startTicks) == ProcessState::kGone;
}

std::string PrivateName(const std::string& path, LockFileSystem& system) {
  return PrivateLockName(path, system.Self(), system.NewToken().substr(0, 16));
}

// Removes the private files beside `path` that processes of this machine
// left when they were killed between making one and removing it.
void SweepPrivateFiles(const std::string& path, LockFileSystem& system) {
  const LockRecord self = system.Self();
  const std::string directory = DirectoryPart(path);
  for (const std::string& name : system.PrivateNamesIn(directory)) {
    const std::optional<PrivateNameOwner> owner = OwnerOfPrivateName(name);
    if (!owner || !OfThisMachine(*owner, self)) continue;
    if (system.Process(owner->pid, owner->startTicks) == ProcessState::kGone) {
      system.Unlink(directory + name);
    }
  }
}

// Takes the file at `path` away only while it holds exactly `expected`.
BreakOutcome TakeAwayIfUnchanged(const std::string& path, std::string_view expected,
                                 LockFileSystem& system, std::string* found) {
  const std::string claim = PrivateName(path, system);
  const int renamed = system.Rename(path, claim);
  if (renamed == ENOENT) return BreakOutcome::kAbsent;
  if (renamed != 0) return BreakOutcome::kFailed;
  int error = 0;
  const std::optional<std::string> content = system.Read(claim, error);
  if (content && *content == expected) {
    system.Unlink(claim);
    return BreakOutcome::kBroken;
  }
  if (found != nullptr && content) *found = *content;
  // Somebody else's newer lock came between: put it back where its holder
  // will look for it. When the name is taken again (or there are no links),
  // that holder finds its token gone and changes nothing.
  if (system.Link(claim, path) != 0) system.Rename(claim, path);
  system.Unlink(claim);
  return BreakOutcome::kChanged;
}

void Judge(const std::string& path, const std::string& content, LockAttempt& attempt,
           LockFileSystem& system) {
  std::optional<LockRecord> holder = DecodeLockRecord(content);
  if (!holder) {
    attempt.outcome = LockOutcome::kUnreadable;
    attempt.content = content;
    return;
  }
  attempt.holder = holder;
  attempt.outcome = LockOutcome::kBusy;
  if (!IsStale(*holder, system)) return;
  if (attempt.beforeClearingStale) attempt.beforeClearingStale(*holder);
  std::string found;
  switch (TakeAwayIfUnchanged(path, content, system, &found)) {
    case BreakOutcome::kBroken:
    case BreakOutcome::kAbsent:
      attempt.outcome = LockOutcome::kStaleCleared;
      return;
    case BreakOutcome::kChanged:
      attempt.holder = DecodeLockRecord(found);
      return;
    case BreakOutcome::kFailed:
      return;
  }
}

}  // namespace

bool CouldBeLockFile(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return true;  // nothing there
  return S_ISREG(info.st_mode);
}

std::optional<LockFile> LockFile::Attempt(const std::string& path, std::string_view user,
                                          LockAttempt& attempt, LockFileSystem& system) {
  std::function<void(const LockRecord&)> beforeClearingStale =
      std::move(attempt.beforeClearingStale);
  attempt = LockAttempt{};
  attempt.beforeClearingStale = std::move(beforeClearingStale);
  LockRecord record = system.Self();
  record.user = std::string(user);
  record.time = system.Now();
  record.token = system.NewToken();
  const std::string bytes = EncodeLockRecord(record);

  PublishWay way = PublishWay::kLinkedUnnamed;
  const int published = system.Publish(path, bytes, PrivateName(path, system), way);
  if (published != 0 && published != EEXIST) {
    attempt.outcome =
        published == ENOTSUP ? LockOutcome::kUnsupported : LockOutcome::kNotPossible;
    attempt.error = published;
    return std::nullopt;
  }
  int error = 0;
  const std::optional<std::string> content = system.Read(path, error);
  if (!content) {
    // Gone between the two steps: its holder has just let go.
    attempt.outcome = error == ENOENT ? LockOutcome::kStaleCleared : LockOutcome::kNotPossible;
    attempt.error = error;
    return std::nullopt;
  }
  // Read back through the name: our bytes, or somebody else's lock (a
  // network file system that reported a link failed when it had worked
  // shows ours here too).
  if (*content == bytes) {
    attempt.outcome = LockOutcome::kAcquired;
    attempt.madeInPlace = way == PublishWay::kCreatedInPlace;
    // Where private files need names, a process killed at the wrong moment
    // leaves one; the holder of the lock clears those of its machine.
    if (way == PublishWay::kLinkedNamed) SweepPrivateFiles(path, system);
    return LockFile(path, std::move(record), system);
  }
  Judge(path, *content, attempt, system);
  return std::nullopt;
}

std::optional<LockFile> LockFile::TryAcquire(const std::string& path) {
  LockAttempt attempt;
  return Attempt(path, LoginName().value_or(""), attempt);
}

LockFile::LockFile(std::string path, LockRecord record, LockFileSystem& system)
    : path_(std::move(path)), record_(std::move(record)), system_(&system), held_(true) {
  registration_ = RegisterHeldLockFile(path_, record_.token);
}

LockFile::LockFile(LockFile&& other) noexcept
    : path_(std::move(other.path_)),
      record_(std::move(other.record_)),
      system_(other.system_),
      registration_(std::exchange(other.registration_, -1)),
      held_(std::exchange(other.held_, false)) {}

LockFile& LockFile::operator=(LockFile&& other) noexcept {
  if (this != &other) {
    Release();
    path_ = std::move(other.path_);
    record_ = std::move(other.record_);
    system_ = other.system_;
    registration_ = std::exchange(other.registration_, -1);
    held_ = std::exchange(other.held_, false);
  }
  return *this;
}

LockFile::~LockFile() { Release(); }

bool LockFile::StillHeld() const {
  if (!held_) return false;
  int error = 0;
  const std::optional<std::string> content = system_->Read(path_, error);
  return content && *content == EncodeLockRecord(record_);
}

void LockFile::Release() {
  if (!held_) return;
  if (StillHeld()) system_->Unlink(path_);
  held_ = false;
  ForgetHeldLockFile(std::exchange(registration_, -1));
}

BreakOutcome BreakLockFile(const std::string& path, std::string_view expected,
                           LockFileSystem& system) {
  return TakeAwayIfUnchanged(path, expected, system, nullptr);
}

}  // namespace tarn::platform
