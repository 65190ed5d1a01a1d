// An open file of the platform: the engine's logfile, workfile and journal
// streams. Owns its descriptor; closing happens on destruction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarn::platform {

enum class OpenMode {
  kRead,             // existing file, read only
  kReadWrite,        // existing file, read and write, positioned at 0
  kWriteTruncate,    // create or truncate, write only
  kCreateExclusive,  // create; fails when the file exists
  kAppend,           // create if missing, every write goes to the end
};

// Whether a symbolic link as the last component of a path is followed.
enum class LinkRule {
  kFollow,
  kRefuse,  // the open fails with ELOOP
};

// errno value (outside the system's range) of an open that found something
// other than a regular file: a FIFO, a device, a socket or a directory.
inline constexpr int kNotRegularFile = 0x4001;

// What makes two names one file: its device and inode.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens `path`; on failure the result is empty and errno tells why.
  static std::optional<File> Open(const std::string& path, OpenMode mode);
  // Opens `path` only when it is a regular file. The open itself never
  // blocks (a FIFO without a writer, a terminal, a device that waits), so a
  // special file is refused at once; errno is then kNotRegularFile. Reads and
  // writes on the result block as usual.
  static std::optional<File> OpenRegular(const std::string& path, OpenMode mode,
                                         LinkRule links = LinkRule::kFollow);

  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }

  // Reads up to buffer.size() bytes; returns the count (0 at end of file),
  // or -1 on an error.
  std::ptrdiff_t Read(std::span<std::uint8_t> buffer);
  // Reads exactly buffer.size() bytes; false on a short read or an error.
  bool ReadExact(std::span<std::uint8_t> buffer);
  // Writes all of `data`; false on a short write (disk full) or an error.
  bool WriteAll(std::span<const std::uint8_t> data);

  bool Seek(std::int64_t offset);          // absolute
  bool SeekRelative(std::int64_t offset);  // from the current position
  std::optional<std::int64_t> Tell() const;
  std::optional<std::int64_t> Size() const;
  // The device and inode of the open file.
  std::optional<struct FileIdentity> Identity() const;
  // Changes the permission bits of the open file; never follows a name.
  // Clearing read-only gives write permission to the owner and, when
  // `groupToo`, to the group. False (errno set) when refused.
  bool SetReadOnly(bool readOnly, bool groupToo);
  // Gives the open file the permission bits of a file that a team shares in
  // `directory`: the owner may read (and write unless `readOnly`); where the
  // directory is group-writable, the group may read (and write unless
  // `readOnly`); everyone who may read `model` (when it is a regular file:
  // the file this one replaces) may read this one too; nobody else may
  // write. Where the directory is setgid, the file gets the directory's
  // group when this user may give it. False (errno set) when the bits
  // cannot be set.
  bool ShareAs(const std::string& directory, bool readOnly, const std::string* model);
  bool Truncate(std::int64_t size);
  // Flushes the file's data to disk.
  bool Sync();
  // Closes; false when the close reported an error (for example a late write
  // failure on a network file system).
  bool Close();

 private:
  explicit File(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace tarn::platform
