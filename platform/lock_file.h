// The lock file that serialises all users of one logfile (or one INI file):
// whoever holds it may change the file beside it; everyone else waits or
// gives up. See lock_file.cpp for why it is built the way it is.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace tarn::platform {

class LockFile;

namespace lock_file_detail {
// The way of making a lock file on file systems without hard links, which
// TryAcquire falls back to by itself. Declared here so that tests can run it
// on any file system; other callers use LockFile::TryAcquire.
std::optional<LockFile> TryAcquireWithoutLinks(const std::string& path);
// The way TryAcquire takes where the file system has no unnamed files (NFS):
// a named private file linked into place.
std::optional<LockFile> TryAcquireWithNamedLink(const std::string& path);
}  // namespace lock_file_detail

// False when something other than an empty regular file stands at `path`:
// no lock file is ever anything else, so such a file is never cleared as a
// stale lock, and the lock cannot be had while it stands there.
bool CouldBeLockFile(const std::string& path);

// A held lock file. Move-only; the destructor releases it. The lock belongs
// to this object's open file, not to the process: a second TryAcquire of the
// same path in the same process fails like any other contender. A child made
// by fork() shares the held lock (its copy of the descriptor holds it too);
// programs started through exec do not inherit it.
class LockFile {
 public:
  // One attempt to create the lock file `path`. Returns the held lock, or
  // nothing when the file exists (or cannot be made: the directory is
  // missing or not writable). When the existing file is stale (nobody holds
  // it: its owner ended, even by kill -9), the attempt removes it and still
  // returns nothing, so the caller's next attempt succeeds. A lock file held
  // by a live process is never removed.
  static std::optional<LockFile> TryAcquire(const std::string& path);

  LockFile(LockFile&& other) noexcept;
  LockFile& operator=(LockFile&& other) noexcept;
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;
  ~LockFile();

  // Deletes the lock file, then lets go of it. Nothing happens a second time.
  void Release();

  bool IsHeld() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

 private:
  // Registers the held lock for release when the process is ended early.
  LockFile(int fd, std::string path);
  friend std::optional<LockFile> lock_file_detail::TryAcquireWithoutLinks(const std::string& path);
  friend std::optional<LockFile> lock_file_detail::TryAcquireWithNamedLink(const std::string& path);

  int fd_ = -1;
  std::string path_;
};

}  // namespace tarn::platform
