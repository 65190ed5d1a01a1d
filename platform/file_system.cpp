#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/paths.h"

namespace tarn::platform {

namespace {

constexpr mode_t kAllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

std::optional<struct stat> StatOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return info;
}

// The directory that holds `path`, for looking at its permissions.
std::string ContainingDirectory(const std::string& path) {
  const std::string directory = DirectoryPart(path);
  return directory.empty() ? std::string(".") : directory;
}

bool ContainingDirectoryIsGroupWritable(const std::string& path) {
  const std::optional<struct stat> directory = StatOf(ContainingDirectory(path));
  return directory && (directory->st_mode & S_IWGRP) != 0;
}

bool ChangeMode(const std::string& path, mode_t mode) {
  return ::chmod(path.c_str(), mode & 07777) == 0;
}

struct DirectoryCloser {
  void operator()(DIR* directory) const { ::closedir(directory); }
};

bool IsDirectoryEntry(const std::string& directory, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
  // The file system did not say, or it is a link: look at what it names.
  const std::optional<struct stat> info = StatOf(WithTrailingSeparator(directory) + entry.d_name);
  return info && S_ISDIR(info->st_mode);
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool DirectoryExists(const std::string& path) {
  const std::optional<struct stat> info = StatOf(path);
  return info && S_ISDIR(info->st_mode);
}

bool IsRegularFile(const std::string& path) {
  const std::optional<struct stat> info = StatOf(path);
  return info && S_ISREG(info->st_mode);
}

bool CreateDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  if (errno != EEXIST) return false;
  if (DirectoryExists(path)) return true;
  errno = EEXIST;
  return false;
}

EntryKind KindOf(const std::string& path) {
  const std::optional<struct stat> info = StatOf(path);
  if (!info) return EntryKind::kMissing;
  if (S_ISREG(info->st_mode)) return EntryKind::kRegular;
  if (S_ISDIR(info->st_mode)) return EntryKind::kDirectory;
  return EntryKind::kSpecial;
}

std::optional<std::string> FollowLinks(const std::string& path) {
  // The kernel's own limit on links in one lookup.
  constexpr int kMaxLinks = 40;
  std::string current = path;
  for (int followed = 0; followed <= kMaxLinks; ++followed) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    std::string target(4096, '\0');
    const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length < 0) return std::nullopt;
    if (static_cast<std::size_t>(length) >= target.size()) {
      errno = ENAMETOOLONG;
      return std::nullopt;
    }
    target.resize(static_cast<std::size_t>(length));
    current = (!target.empty() && target.front() == kPathSeparator)
                  ? target
                  : DirectoryPart(current) + target;
  }
  errno = ELOOP;
  return std::nullopt;
}

bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool LinkFile(const std::string& existing, const std::string& link) {
  return ::link(existing.c_str(), link.c_str()) == 0;
}

bool CreateExclusive(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  const std::optional<struct stat> info = StatOf(path);
  if (!info) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info->st_dev),
                      static_cast<std::uint64_t>(info->st_ino)};
}

std::optional<FileState> StateOf(const std::string& path) {
  const std::optional<struct stat> info = StatOf(path);
  if (!info) return std::nullopt;
  FileState state;
  state.identity = FileIdentity{static_cast<std::uint64_t>(info->st_dev),
                                static_cast<std::uint64_t>(info->st_ino)};
  state.size = static_cast<std::int64_t>(info->st_size);
  state.modified_nanoseconds = static_cast<std::int64_t>(info->st_mtim.tv_sec) * 1'000'000'000 +
                               static_cast<std::int64_t>(info->st_mtim.tv_nsec);
  state.mode = static_cast<std::uint32_t>(info->st_mode);
  return state;
}

std::optional<std::int64_t> FileSize(const std::string& path) {
  const std::optional<struct stat> info = StatOf(path);
  if (!info) return std::nullopt;
  return static_cast<std::int64_t>(info->st_size);
}

std::optional<std::int64_t> ModificationTime(const std::string& path) {
  const std::optional<struct stat> info = StatOf(path);
  if (!info) return std::nullopt;
  return static_cast<std::int64_t>(info->st_mtim.tv_sec);
}

bool SetModificationTime(const std::string& path, std::int64_t seconds) {
  // Clearing the lowest bit rounds down, negative times included.
  const std::int64_t even = seconds & ~std::int64_t{1};
  struct timespec times[2]{};
  times[0].tv_sec = static_cast<time_t>(even);
  times[1].tv_sec = static_cast<time_t>(even);
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool IsReadOnly(const std::string& path) {
  const std::optional<struct stat> info = StatOf(path);
  return info && (info->st_mode & kAllWriteBits) == 0;
}

bool SetReadOnly(const std::string& path, bool read_only) {
  std::optional<File> file = File::OpenRegular(path, OpenMode::kRead, LinkRule::kRefuse);
  if (!file) return false;
  const bool groupToo = !read_only && ContainingDirectoryIsGroupWritable(path);
  if (file->SetReadOnly(read_only, groupToo)) return true;
  if (read_only) return false;
  // Not our file: what matters is whether we can write it.
  const int refusal = errno;
  if (::access(path.c_str(), W_OK) == 0) return true;
  errno = refusal;
  return false;
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  // Greedy matching with one backtracking point: the last '*' seen.
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::string_view::npos;
  std::size_t star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> FindFiles(const std::string& directory, std::string_view pattern) {
  std::vector<std::string> names;
  const std::string where = directory.empty() ? std::string(".") : directory;
  const std::unique_ptr<DIR, DirectoryCloser> listing(::opendir(where.c_str()));
  if (!listing) return names;
  while (const dirent* entry = ::readdir(listing.get())) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    if (!MatchesWildcard(pattern, name)) continue;
    if (IsDirectoryEntry(where, *entry)) continue;
    names.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> FindSubdirectories(const std::string& directory) {
  std::vector<std::string> names;
  const std::string where = directory.empty() ? std::string(".") : directory;
  const std::unique_ptr<DIR, DirectoryCloser> listing(::opendir(where.c_str()));
  if (!listing) return names;
  while (const dirent* entry = ::readdir(listing.get())) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    struct stat info {};
    const std::string path = WithTrailingSeparator(where) + entry->d_name;
    if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) names.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool CopyExecuteBits(const std::string& model, const std::string& path) {
  constexpr mode_t kExecuteBits = S_IXUSR | S_IXGRP | S_IXOTH;
  const std::optional<struct stat> from = StatOf(model);
  const std::optional<struct stat> to = StatOf(path);
  if (!from || !to) return false;
  const mode_t current = to->st_mode & 07777;
  const mode_t wanted = (current & ~kExecuteBits) | (from->st_mode & kExecuteBits);
  return wanted == current || ChangeMode(path, wanted);
}

bool CopyPermissionBits(const std::string& model, const std::string& path) {
  const std::optional<struct stat> from = StatOf(model);
  const std::optional<struct stat> to = StatOf(path);
  if (!from || !to) return false;
  const mode_t wanted = from->st_mode & 07777;
  return wanted == (to->st_mode & 07777) || ChangeMode(path, wanted);
}

bool CanCreateFilesIn(const std::string& directory) {
  const std::string where = directory.empty() ? std::string(".") : directory;
  return ::access(where.c_str(), W_OK | X_OK) == 0;
}

bool SyncDirectory(const std::string& directory) {
  const std::string where = directory.empty() ? std::string(".") : directory;
  const int fd = ::open(where.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int result;
  do {
    result = ::fsync(fd);
  } while (result != 0 && errno == EINTR);
  // Some file systems cannot sync a directory at all; then there is nothing
  // more this process can do.
  const bool synced = result == 0 || errno == EINVAL;
  ::close(fd);
  return synced;
}

}  // namespace tarn::platform
