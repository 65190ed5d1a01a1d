#include "platform/file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace tarn::platform {

namespace {

// Test hook for full-disk behaviour: with TARN_FAULT_WRITE_LIMIT=N in the
// environment, this process's writes fail with ENOSPC once N bytes in all
// have been written. Unset (the normal case), writes are never limited.
std::int64_t& WriteBudget() {
  static std::int64_t budget = [] {
    const char* limit = std::getenv("TARN_FAULT_WRITE_LIMIT");
    if (limit == nullptr || *limit == '\0') return std::int64_t{-1};
    char* end = nullptr;
    const long long value = std::strtoll(limit, &end, 10);
    return *end == '\0' && value >= 0 ? static_cast<std::int64_t>(value) : std::int64_t{-1};
  }();
  return budget;
}

// Test hook for kills at any moment: with TARN_FAULT_KILL_AT=N in the
// environment, this process sends itself a signal once N bytes in all have
// been written, so a test can stop a command between any two bytes it
// writes: SIGKILL, which nothing can catch, or the signal numbered by
// TARN_FAULT_KILL_SIGNAL. Unset, nothing happens.
std::int64_t& KillBudget() {
  static std::int64_t budget = [] {
    const char* limit = std::getenv("TARN_FAULT_KILL_AT");
    if (limit == nullptr || *limit == '\0') return std::int64_t{-1};
    char* end = nullptr;
    const long long value = std::strtoll(limit, &end, 10);
    return *end == '\0' && value >= 0 ? static_cast<std::int64_t>(value) : std::int64_t{-1};
  }();
  return budget;
}

// How much of `wanted` may be written now; 0 means the "disk" is full (or,
// under the kill hook, that the process must die now).
std::size_t WriteAllowance(std::size_t wanted) {
  auto allowed = static_cast<std::int64_t>(wanted);
  if (WriteBudget() >= 0) allowed = std::min(allowed, WriteBudget());
  if (KillBudget() >= 0) allowed = std::min(allowed, KillBudget());
  return static_cast<std::size_t>(allowed);
}

void ChargeWrite(std::size_t written) {
  if (WriteBudget() >= 0) WriteBudget() -= static_cast<std::int64_t>(written);
  if (KillBudget() >= 0) KillBudget() -= static_cast<std::int64_t>(written);
}

int KillSignal() {
  const char* name = std::getenv("TARN_FAULT_KILL_SIGNAL");
  const int number = name != nullptr ? std::atoi(name) : 0;
  return number > 0 ? number : SIGKILL;
}

void DieIfKillDue() {
  if (KillBudget() != 0) return;
  KillBudget() = -1;  // once: a handler that lets the process go on writes freely
  ::raise(KillSignal());
}

}  // namespace

File::~File() { Close(); }

File::File(File&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

namespace {

// The open(2) flags of `mode`. A truncation can be left to the caller, for
// a file that must first be known to be regular.
int AccessFlags(OpenMode mode, bool truncateNow) {
  switch (mode) {
    case OpenMode::kRead:
      return O_RDONLY;
    case OpenMode::kReadWrite:
      return O_RDWR;
    case OpenMode::kWriteTruncate:
      return O_WRONLY | O_CREAT | (truncateNow ? O_TRUNC : 0);
    case OpenMode::kCreateExclusive:
      return O_WRONLY | O_CREAT | O_EXCL;
    case OpenMode::kAppend:
      return O_WRONLY | O_CREAT | O_APPEND;
  }
  return O_RDONLY;
}

int OpenRetryingOnSignals(const std::string& path, int flags) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

std::optional<File> File::Open(const std::string& path, OpenMode mode) {
  const int fd = OpenRetryingOnSignals(path, O_CLOEXEC | AccessFlags(mode, true));
  if (fd < 0) return std::nullopt;
  return File(fd);
}

std::optional<File> File::OpenRegular(const std::string& path, OpenMode mode, LinkRule links) {
  int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY | AccessFlags(mode, false);
  if (links == LinkRule::kRefuse) flags |= O_NOFOLLOW;
  const int fd = OpenRetryingOnSignals(path, flags);
  if (fd < 0) {
    // A FIFO opened for writing without a reader says ENXIO: it is no
    // regular file either way.
    if (errno == ENXIO) errno = kNotRegularFile;
    return std::nullopt;
  }
  File file(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) return std::nullopt;
  if (!S_ISREG(info.st_mode)) {
    errno = S_ISDIR(info.st_mode) ? EISDIR : kNotRegularFile;
    return std::nullopt;
  }
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) return std::nullopt;
  if (mode == OpenMode::kWriteTruncate && !file.Truncate(0)) return std::nullopt;
  return file;
}

std::ptrdiff_t File::Read(std::span<std::uint8_t> buffer) {
  while (true) {
    const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
    if (got >= 0) return got;
    if (errno != EINTR) return -1;
  }
}

bool File::ReadExact(std::span<std::uint8_t> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const std::ptrdiff_t got = Read(buffer.subspan(done));
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool File::WriteAll(std::span<const std::uint8_t> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    DieIfKillDue();
    const std::size_t allowed = WriteAllowance(data.size() - done);
    if (allowed == 0) {
      errno = ENOSPC;
      return false;
    }
    const ssize_t put = ::write(fd_, data.data() + done, allowed);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    ChargeWrite(static_cast<std::size_t>(put));
    done += static_cast<std::size_t>(put);
  }
  return true;
}

bool File::Seek(std::int64_t offset) {
  return offset >= 0 && ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool File::SeekRelative(std::int64_t offset) {
  const off_t now = ::lseek(fd_, 0, SEEK_CUR);
  // Checked without forming now + offset, which could overflow.
  if (now < 0 || offset < -static_cast<std::int64_t>(now)) return false;
  return ::lseek(fd_, static_cast<off_t>(offset), SEEK_CUR) >= 0;
}

std::optional<std::int64_t> File::Tell() const {
  const off_t now = ::lseek(fd_, 0, SEEK_CUR);
  if (now < 0) return std::nullopt;
  return static_cast<std::int64_t>(now);
}

std::optional<std::int64_t> File::Size() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return std::nullopt;
  return static_cast<std::int64_t>(info.st_size);
}

std::optional<FileIdentity> File::Identity() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

bool File::SetReadOnly(bool readOnly, bool groupToo) {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return false;
  constexpr mode_t kAllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
  const mode_t current = info.st_mode & 07777;
  mode_t wanted = current & ~kAllWriteBits;
  if (!readOnly) wanted = current | S_IWUSR | (groupToo ? S_IWGRP : 0);
  return wanted == current || ::fchmod(fd_, wanted) == 0;
}

bool File::ShareAs(const std::string& directory, bool readOnly, const std::string* model) {
  struct stat self {};
  struct stat where {};
  if (::fstat(fd_, &self) != 0) return false;
  if (::stat(directory.empty() ? "." : directory.c_str(), &where) != 0) return false;
  const bool teamShared = (where.st_mode & S_IWGRP) != 0;
  mode_t wanted = (self.st_mode & (S_IRUSR | S_IRGRP | S_IROTH)) | S_IRUSR;
  struct stat previous {};
  if (model != nullptr && ::lstat(model->c_str(), &previous) == 0 && S_ISREG(previous.st_mode)) {
    wanted |= previous.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
  }
  if (teamShared) wanted |= S_IRGRP;
  if (!readOnly) wanted |= mode_t{S_IWUSR} | (teamShared ? mode_t{S_IWGRP} : mode_t{0});
  // Linux gives a new file the group of a setgid directory by itself; other
  // systems and some network file systems do not. A user outside that group
  // cannot give it, and the file then stays in the user's own group.
  if ((where.st_mode & S_ISGID) != 0 && self.st_gid != where.st_gid &&
      ::fchown(fd_, static_cast<uid_t>(-1), where.st_gid) != 0) {
    errno = 0;  // not a failure: the bits below are what matters
  }
  return wanted == (self.st_mode & 07777) || ::fchmod(fd_, wanted) == 0;
}

bool File::Truncate(std::int64_t size) { return ::ftruncate(fd_, static_cast<off_t>(size)) == 0; }

bool File::Sync() { return ::fsync(fd_) == 0; }

bool File::Close() {
  if (fd_ < 0) return true;
  const int result = ::close(std::exchange(fd_, -1));
  return result == 0;
}

}  // namespace tarn::platform
