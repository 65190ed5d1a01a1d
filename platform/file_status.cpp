#include "platform/file_status.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarn::platform {

namespace {

constexpr mode_t kAllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

FileOwnership OwnershipFrom(const struct stat& info) {
  return FileOwnership{static_cast<unsigned>(info.st_mode & 07777),
                       static_cast<unsigned>(info.st_uid), static_cast<unsigned>(info.st_gid)};
}

std::int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 +
         static_cast<std::int64_t>(time.tv_nsec);
}

ChangeStamp StampFrom(const struct stat& info) {
  return ChangeStamp{
      FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)},
      static_cast<std::int64_t>(info.st_size), Nanoseconds(info.st_mtim),
      Nanoseconds(info.st_ctim)};
}

std::optional<struct stat> StatPath(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return info;
}

std::optional<struct stat> StatOpen(const File& file) {
  struct stat info {};
  if (!file.IsOpen() || ::fstat(file.Descriptor(), &info) != 0) return std::nullopt;
  return info;
}

}  // namespace

std::optional<FileOwnership> OwnershipOf(const std::string& path) {
  const std::optional<struct stat> info = StatPath(path);
  if (!info) return std::nullopt;
  return OwnershipFrom(*info);
}

std::optional<FileOwnership> OwnershipOf(const File& file) {
  const std::optional<struct stat> info = StatOpen(file);
  if (!info) return std::nullopt;
  return OwnershipFrom(*info);
}

bool GiveGroupAndMode(File& file, std::optional<unsigned> group, unsigned mode) {
  const std::optional<struct stat> info = StatOpen(file);
  if (!info) return false;
  // The group first: changing it may clear set-id bits the mode then sets.
  if (group && static_cast<unsigned>(info->st_gid) != *group &&
      ::fchown(file.Descriptor(), static_cast<uid_t>(-1), static_cast<gid_t>(*group)) != 0) {
    return false;
  }
  return ::fchmod(file.Descriptor(), static_cast<mode_t>(mode & 07777)) == 0;
}

bool CanWriteInPlace(const std::string& path) {
  const std::optional<struct stat> info = StatPath(path);
  if (!info) return false;
  if ((info->st_mode & kAllWriteBits) == 0) {
    errno = EACCES;
    return false;
  }
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

unsigned EffectiveUserId() { return static_cast<unsigned>(::geteuid()); }

std::optional<ChangeStamp> ChangeStampOf(const std::string& path) {
  const std::optional<struct stat> info = StatPath(path);
  if (!info) return std::nullopt;
  return StampFrom(*info);
}

std::optional<ChangeStamp> ChangeStampOf(const File& file) {
  const std::optional<struct stat> info = StatOpen(file);
  if (!info) return std::nullopt;
  return StampFrom(*info);
}

}  // namespace tarn::platform
