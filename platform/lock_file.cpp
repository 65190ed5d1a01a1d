// Why the lock file is built this way
// ===================================
//
// A logfile is shared by a team, often from several machines through a
// network directory, and two commands changing it at once would corrupt it.
// What keeps them apart is one empty file beside it, the lock file: a command
// works on the logfile only while it holds that file.
//
// The classic recipe is "create the file exclusively; if it exists, try to
// delete it (a stale one left by a crashed program), then try again". It
// relies on a file held open by a running program being impossible to
// delete. POSIX has no such rule: anyone allowed to write the directory may
// unlink an open file, so the literal recipe would let every contender
// delete the live lock of every holder. Existence alone therefore cannot
// mean "held". Here a lock file is held exactly while an advisory write lock
// is held on it, and "stale" means "nobody holds that lock":
//
// * The locks are open file description (OFD) locks, F_OFD_SETLK. Classic
//   POSIX record locks belong to the process and vanish when the process
//   closes any descriptor of the file, and two acquisitions in one process
//   would not exclude each other; OFD locks belong to the open file, so the
//   lock lives exactly as long as the descriptor this object owns. The
//   kernel drops it when the process ends in any way, kill -9 included.
//
// * The lock file never exists without its lock. The holder creates a
//   private file with a unique name beside it (host name, process id,
//   random number), locks that file, and only then link()s it to
//   the lock file's name. link() fails when the name exists, atomically, on a
//   local disk and over NFS alike; exclusive create was not atomic over older
//   NFS, and "create, then lock" would leave a moment in which the file exists
//   unlocked and a contender would take it for stale. The private name is
//   removed right after. Where the kernel and file system allow it, the file
//   is made without any name at all (O_TMPFILE) and linked into place through
//   /proc, so that a process killed half way leaves nothing behind; NFS and
//   other file systems without unnamed files take the named private file.
//
// * A contender that finds the name taken opens the existing file and tries
//   its lock without waiting. When that fails, a live holder has it and the
//   attempt ends; the file stays. When it succeeds, the file was stale, but
//   between our open() and our lock the old holder may have released it and
//   a new holder may have linked a fresh file to the name. Deleting by name
//   would then delete the new, live lock. So, still holding the lock on the
//   file we opened, we check that the name still leads to that very file
//   (same device and inode, found through a fresh open so that an NFS client
//   revalidates the name rather than trusting its cache) and only then
//   unlink it. While we hold its lock nobody else may remove it, and while it
//   stands nobody can link another file to the name, so the check stays true
//   until our unlink. The attempt that cleared a stale file still reports
//   failure; the caller's next attempt creates a fresh lock file.
//
// * Release deletes the name first and closes (dropping the lock) second, so
//   a contender never sees our file unlocked while it still has the name.
//   It too deletes only when the name still leads to its own file.
//
// * Over NFS the locks are carried by the network lock manager (NLM for
//   NFSv3, the protocol itself for NFSv4) and a crashed client's locks are
//   released when its lease runs out or it reboots. A link() whose reply is
//   lost can be retried by the client and then report EEXIST although it
//   worked; the private file's link count of 2 tells the truth.
//
// File systems without hard links (some SMB mounts) get the weaker
// "create exclusively, then lock, then check the name" order: a contender
// may then delete a lock file in the instant before its creator locks it,
// but the creator notices that the name no longer leads to its file and
// fails, so two holders still never coexist.

#include "platform/lock_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/exit_cleanup.h"
#include "platform/paths.h"

namespace tarn::platform {

namespace {

// An open descriptor, closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

 private:
  int fd_;
};

int OpenRetrying(const std::string& path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Takes a write lock on the whole file without waiting.
bool LockWholeFile(int fd) {
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  whole.l_start = 0;
  whole.l_len = 0;  // to the end, however large the file grows
  whole.l_pid = 0;  // required for OFD locks
  return ::fcntl(fd, F_OFD_SETLK, &whole) == 0;
}

// True when `path` still leads to the file open as `fd`.
bool NameLeadsTo(const std::string& path, int fd) {
  struct stat ours {};
  if (::fstat(fd, &ours) != 0) return false;
  const Descriptor current(OpenRetrying(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  struct stat named {};
  if (!current.IsOpen() || ::fstat(current.get(), &named) != 0) return false;
  return ours.st_dev == named.st_dev && ours.st_ino == named.st_ino;
}

std::string HostNameForFileName() {
  std::array<char, 256> buffer{};
  if (::gethostname(buffer.data(), buffer.size() - 1) != 0) return "host";
  std::string name(buffer.data());
  if (name.size() > 32) name.resize(32);
  for (char& c : name) {
    const bool plain =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    if (!plain) c = '_';
  }
  return name.empty() ? std::string("host") : name;
}

std::uint64_t UniqueNumber() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t random = 0;
  if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
    random = 0;
  }
  // The counter keeps names apart within the process even without random
  // bytes; the process id and host name keep processes apart.
  return random ^ counter.fetch_add(1);
}

// A name beside the lock file that no other process uses. It is short, so
// that it fits wherever the lock file's own name fits, and starts with '$'
// like a lock file, so that directory listings skip it as they skip those.
std::string PrivateName(const std::string& path) {
  std::array<char, 17> random{};
  std::snprintf(random.data(), random.size(), "%016llx",
                static_cast<unsigned long long>(UniqueNumber()));
  return DirectoryPart(path) + "$lock." + HostNameForFileName() + "." + std::to_string(::getpid()) +
         "." + random.data();
}

// Whoever may delete the lock file (write permission on its directory) may
// also open it for writing, which taking its lock requires.
mode_t LockFileMode(const std::string& path) {
  mode_t mode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
  const std::string directory = DirectoryPart(path);
  struct stat info {};
  if (::stat(directory.empty() ? "." : directory.c_str(), &info) == 0) {
    mode |= info.st_mode & (S_IWGRP | S_IWOTH);
  }
  return mode;
}

// A lock file is always an empty regular file; anything else at its name
// (a user's file, a logfile whose name collides, a directory or a device)
// is never taken for a stale lock.
bool IsEmptyRegularFile(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0;
}

// Removes the lock file at `path` if nobody holds it.
void ClearIfStale(const std::string& path) {
  const Descriptor theirs(OpenRetrying(path, O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  // Gone meanwhile, or not ours to judge (no permission, not a file): leave it.
  if (!theirs.IsOpen()) return;
  if (!IsEmptyRegularFile(theirs.get())) return;
  if (!LockWholeFile(theirs.get())) return;  // a live holder
  if (NameLeadsTo(path, theirs.get())) ::unlink(path.c_str());
}

bool HardLinksUnsupported(int error) {
  return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS;
}

std::optional<int> AcquireByLink(const std::string& path, bool& links_unsupported) {
  links_unsupported = false;
  const std::string private_path = PrivateName(path);
  Descriptor mine(
      OpenRetrying(private_path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!mine.IsOpen()) return std::nullopt;
  ::fchmod(mine.get(), LockFileMode(path));
  bool linked = false;
  int link_error = 0;
  if (LockWholeFile(mine.get())) {
    linked = ::link(private_path.c_str(), path.c_str()) == 0;
    if (!linked) {
      link_error = errno;
      struct stat info {};
      linked = ::fstat(mine.get(), &info) == 0 && info.st_nlink == 2;
    }
  }
  ::unlink(private_path.c_str());
  if (linked) return mine.release();
  mine.reset();  // drops our lock on the private file
  if (link_error == EEXIST) ClearIfStale(path);
  links_unsupported = HardLinksUnsupported(link_error);
  return std::nullopt;
}

enum class AnonymousResult { kAcquired, kBusy, kUnsupported };

// The preferred way where the file system allows it: the locked file is made
// without any name (O_TMPFILE) and given its one name, the lock file's, by
// linking it into place. A process killed at any moment of this leaves no
// private file behind. Anything this file system or kernel lacks for it
// (unnamed files, /proc) sends the caller to the named private file.
AnonymousResult AcquireByAnonymousLink(const std::string& path, std::optional<int>& fd) {
  const std::string directory = DirectoryPart(path);
  Descriptor mine(
      OpenRetrying(directory.empty() ? "." : directory, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (!mine.IsOpen()) return AnonymousResult::kUnsupported;
  ::fchmod(mine.get(), LockFileMode(path));
  if (!LockWholeFile(mine.get())) return AnonymousResult::kUnsupported;
  const std::string self = "/proc/self/fd/" + std::to_string(mine.get());
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    fd = mine.release();
    return AnonymousResult::kAcquired;
  }
  if (errno != EEXIST) return AnonymousResult::kUnsupported;
  mine.reset();
  ClearIfStale(path);
  return AnonymousResult::kBusy;
}

std::optional<int> AcquireByCreate(const std::string& path) {
  Descriptor mine(OpenRetrying(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!mine.IsOpen()) {
    if (errno == EEXIST) ClearIfStale(path);
    return std::nullopt;
  }
  ::fchmod(mine.get(), LockFileMode(path));
  // A contender may have taken the file for stale before we locked it; then
  // it holds the lock (we fail here) or has removed the name (we fail below).
  if (!LockWholeFile(mine.get())) return std::nullopt;
  if (!NameLeadsTo(path, mine.get())) return std::nullopt;
  return mine.release();
}

}  // namespace

namespace lock_file_detail {

std::optional<LockFile> TryAcquireWithoutLinks(const std::string& path) {
  const std::optional<int> fd = AcquireByCreate(path);
  if (!fd) return std::nullopt;
  return LockFile(*fd, path);
}

std::optional<LockFile> TryAcquireWithNamedLink(const std::string& path) {
  bool links_unsupported = false;
  const std::optional<int> fd = AcquireByLink(path, links_unsupported);
  if (!fd && links_unsupported) return TryAcquireWithoutLinks(path);
  if (!fd) return std::nullopt;
  return LockFile(*fd, path);
}

}  // namespace lock_file_detail

bool CouldBeLockFile(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return true;  // nothing there
  return S_ISREG(info.st_mode) && info.st_size == 0;
}

std::optional<LockFile> LockFile::TryAcquire(const std::string& path) {
  std::optional<int> fd;
  switch (AcquireByAnonymousLink(path, fd)) {
    case AnonymousResult::kAcquired:
      return LockFile(*fd, path);
    case AnonymousResult::kBusy:
      return std::nullopt;
    case AnonymousResult::kUnsupported:
      break;
  }
  return lock_file_detail::TryAcquireWithNamedLink(path);
}

LockFile::LockFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {
  RegisterHeldLockFile(fd_, path_);
}

LockFile::LockFile(LockFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

LockFile& LockFile::operator=(LockFile&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

LockFile::~LockFile() { Release(); }

void LockFile::Release() {
  if (fd_ < 0) return;
  // Someone may have removed our file by hand and another process made a new
  // one since; that one is not ours to delete.
  if (NameLeadsTo(path_, fd_)) ::unlink(path_.c_str());
  // Forgotten before the close, so that an interruption never looks at a
  // descriptor number that the process may reuse.
  ForgetHeldLockFile(fd_);
  ::close(std::exchange(fd_, -1));
}

}  // namespace tarn::platform
