#include "platform/lock_file_system.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace tarn::platform {

namespace {

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
  // Closes now; the close's own error (a network file system's late write
  // error) is returned.
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && ::close(fd) != 0 ? errno : 0;
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

int WriteWhole(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return written < 0 ? errno : EIO;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return ::fsync(fd) == 0 ? 0 : errno;
}

// Whoever may remove the lock file (write permission on its directory) may
// read it too, which judging it takes.
mode_t LockFileMode(const std::string& path) {
  mode_t mode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
  const std::string directory = DirectoryPart(path);
  struct stat info {};
  if (::stat(directory.empty() ? "." : directory.c_str(), &info) == 0) {
    mode |= info.st_mode & (S_IWGRP | S_IWOTH);
  }
  return mode;
}

std::string DirectoryOrDot(const std::string& path) {
  const std::string directory = DirectoryPart(path);
  return directory.empty() ? std::string(".") : directory;
}

// Asked by opening the name, which a network client sends to the server,
// rather than by lstat(), which it may answer from a cache.
bool NameTaken(const std::string& path) {
  Descriptor file(OpenRetrying(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  return file.IsOpen() || errno == ELOOP || errno == EACCES;
}

bool NoHardLinks(int error) {
  return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS ||
         error == EMLINK;
}

bool NoSuchFeature(int error) {
  return error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL ||
         error == EISDIR;
}

// A file without a name (O_TMPFILE), written and then given the lock
// file's name through /proc: a process killed at any moment leaves nothing.
// -1 when this file system or kernel cannot do it.
int PublishUnnamed(const std::string& path, std::string_view bytes) {
  Descriptor mine(OpenRetrying(DirectoryOrDot(path), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (!mine.IsOpen()) return -1;
  ::fchmod(mine.get(), LockFileMode(path));
  if (WriteWhole(mine.get(), bytes) != 0) return -1;
  const std::string self = "/proc/self/fd/" + std::to_string(mine.get());
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  return errno == EEXIST ? EEXIST : -1;
}

// A private file beside the lock file, written whole, then linked to the
// lock file's name. link() fails when the name exists, atomically, on local
// disks, over NFS and over SFTP alike. A link whose reply was lost may be
// retried by an NFS client and report EEXIST although it worked: the caller
// reads the name back and finds its own token. -1 when links are missing.
int PublishByLink(const std::string& path, std::string_view bytes,
                  const std::string& private_path) {
  Descriptor mine(
      OpenRetrying(private_path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!mine.IsOpen()) return errno;
  ::fchmod(mine.get(), LockFileMode(path));
  int error = WriteWhole(mine.get(), bytes);
  const int close_error = mine.Close();
  if (error == 0) error = close_error;
  if (error == 0) error = ::link(private_path.c_str(), path.c_str()) == 0 ? 0 : errno;
  ::unlink(private_path.c_str());
  // SFTP reports a link to a taken name as a plain failure (EPERM), like a
  // missing feature: the name itself tells which.
  if (error != 0 && error != EEXIST && NameTaken(path)) return EEXIST;
  return NoHardLinks(error) ? -1 : error;
}

// For file systems without hard links: the name is created exclusively and
// written afterwards, so for a moment it stands empty. Readers take an empty
// or partial lock file for one being written (lock_file.cpp), never for a
// stale one.
int PublishInPlace(const std::string& path, std::string_view bytes) {
  Descriptor mine(
      OpenRetrying(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, LockFileMode(path)));
  if (!mine.IsOpen()) {
    const int error = errno;
    if (error != EEXIST && NameTaken(path)) return EEXIST;
    return NoSuchFeature(error) ? ENOTSUP : error;
  }
  int error = WriteWhole(mine.get(), bytes);
  const int close_error = mine.Close();
  if (error == 0) error = close_error;
  if (error != 0) ::unlink(path.c_str());
  return error;
}

std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// Field 22 of /proc/<pid>/stat (the start time in clock ticks after boot)
// and field 3 (the state: 'Z' for a process that ended but was not waited
// for). The command name, field 2, may hold blanks and parentheses, so the
// fields are counted from its closing parenthesis.
bool ReadProcessStat(std::int64_t pid, char& state, std::uint64_t& start) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::stringstream text;
  text << in.rdbuf();
  const std::string line = text.str();
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(line.substr(close + 1));
  std::string field;
  for (int number = 3; fields >> field; ++number) {
    if (number == 3) state = field.empty() ? '?' : field[0];
    if (number == 22) {
      return std::from_chars(field.data(), field.data() + field.size(), start).ec == std::errc();
    }
  }
  return false;
}

class SystemLocks final : public LockFileSystem {
 public:
  explicit SystemLocks(PublishRoute route) : route_(route) {}

  int Publish(const std::string& path, std::string_view bytes, const std::string& privateName,
              PublishWay& way) override {
    way = PublishWay::kLinkedUnnamed;
    int result = route_ == PublishRoute::kBest ? PublishUnnamed(path, bytes) : -1;
    if (result >= 0) return result;
    way = PublishWay::kLinkedNamed;
    result = route_ != PublishRoute::kInPlace ? PublishByLink(path, bytes, privateName) : -1;
    if (result >= 0) return result;
    way = PublishWay::kCreatedInPlace;
    return PublishInPlace(path, bytes);
  }

  std::optional<std::string> Read(const std::string& path, int& error) override {
    Descriptor file(OpenRetrying(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!file.IsOpen()) {
      error = errno;
      return std::nullopt;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
      error = EINVAL;
      return std::nullopt;
    }
    std::string bytes(kLockFileReadLimit + 1, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
      const ssize_t got = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        error = errno;
        return std::nullopt;
      }
      if (got == 0) break;
      filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    error = 0;
    return bytes;
  }

  std::vector<std::string> PrivateNamesIn(const std::string& directory) override {
    return FindFiles(directory.empty() ? std::string(".") : directory,
                     std::string(kPrivateLockPrefix) + "*");
  }

  int Rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }
  int Link(const std::string& existing, const std::string& link) override {
    return ::link(existing.c_str(), link.c_str()) == 0 ? 0 : errno;
  }
  int Unlink(const std::string& path) override {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
  }

  LockRecord Self() override {
    LockRecord self;
    std::array<char, 256> host{};
    if (::gethostname(host.data(), host.size() - 1) == 0) self.host = host.data();
    self.host = LockWord(self.host);
    self.bootId = LockWord(FirstLine("/proc/sys/kernel/random/boot_id"));
    std::array<char, 64> ns{};
    const ssize_t length = ::readlink("/proc/self/ns/pid", ns.data(), ns.size() - 1);
    self.pidNamespace = LockWord(length > 0 ? std::string(ns.data(), static_cast<std::size_t>(length)) : "");
    self.pid = ::getpid();
    char state = '?';
    ReadProcessStat(self.pid, state, self.startTicks);
    return self;
  }

  std::int64_t BootTime() override {
    std::ifstream in("/proc/stat");
    std::string word;
    while (in >> word) {
      if (word == "btime") {
        std::int64_t seconds = 0;
        in >> seconds;
        return seconds;
      }
    }
    return 0;
  }

  ProcessState Process(std::int64_t pid, std::uint64_t startTicks) override {
    if (pid <= 0) return ProcessState::kGone;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return ProcessState::kGone;
    char state = '?';
    std::uint64_t start = 0;
    if (!ReadProcessStat(pid, state, start)) {
      // No /proc here: the id runs, but whether it is the same process
      // cannot be told.
      return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH ? ProcessState::kGone
                                                                        : ProcessState::kUnknown;
    }
    if (state == 'Z' || state == 'X' || start != startTicks) return ProcessState::kGone;
    return ProcessState::kRunning;
  }

  std::string NewToken() override {
    std::array<std::uint64_t, 2> random{};
    for (std::uint64_t& half : random) half = UniqueNumber();
    std::array<char, 33> text{};
    std::snprintf(text.data(), text.size(), "%016llx%016llx",
                  static_cast<unsigned long long>(random[0]),
                  static_cast<unsigned long long>(random[1]));
    return text.data();
  }

  std::int64_t Now() override { return CurrentTime(); }

 private:
  PublishRoute route_;
};

}  // namespace

LockFileSystem& SystemLockFileSystem(PublishRoute route) {
  static SystemLocks best(PublishRoute::kBest);
  static SystemLocks named(PublishRoute::kNamedLink);
  static SystemLocks in_place(PublishRoute::kInPlace);
  switch (route) {
    case PublishRoute::kNamedLink:
      return named;
    case PublishRoute::kInPlace:
      return in_place;
    case PublishRoute::kBest:
      break;
  }
  return best;
}

}  // namespace tarn::platform
