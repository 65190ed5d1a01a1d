// Operations on directory entries: existence, creation, removal, renaming,
// size, time stamps, the read-only attribute and directory search. Failures
// return false or nothing and leave errno set by the call that failed, so
// the caller can report why.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"

namespace tarn::platform {

// True when `path` names an entry of any kind (a dangling symbolic link too:
// the name is taken).
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// True for a plain file (after following symbolic links): not a directory,
// FIFO, socket or device.
bool IsRegularFile(const std::string& path);

// Creates one directory level; true when a directory of that name exists
// already.
bool CreateDirectory(const std::string& path);

// What a path names, after following symbolic links.
enum class EntryKind {
  kMissing,    // nothing (also a dangling link)
  kRegular,    // a regular file
  kDirectory,  // a directory
  kSpecial,    // a device, FIFO or socket
};
EntryKind KindOf(const std::string& path);

// The file that `path` leads to: while its final component is a symbolic
// link, the link's target (a relative target is taken from the link's own
// directory). The path as given when it is no link; nothing (errno set, ELOOP
// for a loop) when a link cannot be read. A dangling link leads to the name
// it points to, so writing there creates the file the link names.
std::optional<std::string> FollowLinks(const std::string& path);

// Removes a file (not a directory).
bool DeleteFile(const std::string& path);

// Renames, atomically replacing `to` when it exists.
bool RenameFile(const std::string& from, const std::string& to);

// Gives the file `existing` the second name `link` (a hard link); false when
// `link` is taken or the file system has no hard links.
bool LinkFile(const std::string& existing, const std::string& link);

// Creates an empty file; false when the name is taken.
bool CreateExclusive(const std::string& path);

// The device and inode of the file `path` names (links followed): two
// spellings name one file exactly when their identities are equal.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// How a file looks from outside (links followed). Two equal states taken
// before and after a wait say that the file was neither replaced, written
// nor given other permissions meanwhile, as far as the file system's time
// stamps can tell.
struct FileState {
  FileIdentity identity;
  std::int64_t size = 0;
  std::int64_t modified_nanoseconds = 0;
  std::uint32_t mode = 0;
  bool operator==(const FileState&) const = default;
};
// Nothing when there is no file at `path`.
std::optional<FileState> StateOf(const std::string& path);

std::optional<std::int64_t> FileSize(const std::string& path);

// Seconds since 1970 UTC.
std::optional<std::int64_t> ModificationTime(const std::string& path);

// Sets the access and modification times to `seconds` rounded down to an
// even second: the time stamps that workfiles get are even on every file
// system, so they compare equal wherever the file is copied.
bool SetModificationTime(const std::string& path, std::int64_t seconds);

// True when nobody has write permission. A missing file is not read-only.
bool IsReadOnly(const std::string& path);

// Setting clears every write permission bit. Only a regular file is changed,
// through a descriptor of its own opened without following a symbolic link:
// a link planted in a shared directory never redirects the change to another
// file, and a FIFO or device is never touched (false, errno kNotRegularFile
// or ELOOP). The file must be readable by the caller. Clearing gives write permission
// to the owner and, when the containing directory is group-writable, to the
// group as well: a team shares its logfile directory, and a logfile one member
// protected must stay usable by the others. Nothing is changed when the file
// is already as asked. Only the owner may change the bits; when clearing is
// refused but the caller can write the file anyway, that counts as success.
bool SetReadOnly(const std::string& path, bool read_only);

// Names (without the directory) of the entries of `directory` that are not
// directories and match `pattern`, sorted by byte value. In the pattern '*'
// matches any run of characters and '?' any one character; everything else
// matches itself, letter case included. "*.*" therefore needs a dot; "*"
// lists everything. Empty when the directory cannot be read.
std::vector<std::string> FindFiles(const std::string& directory, std::string_view pattern);

// Names of the subdirectories of `directory`, sorted; symbolic links are
// not followed (a tree walk then never loops). Empty when it cannot be read.
std::vector<std::string> FindSubdirectories(const std::string& directory);

// True when `name` matches `pattern` as FindFiles matches it.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// Gives `path` the execute permissions that `model` has (a script stays
// runnable when its text is replaced). False when `model` cannot be read or
// the mode cannot be changed.
bool CopyExecuteBits(const std::string& model, const std::string& path);

// Gives `path` all the permission bits of `model` (a replaced configuration
// file stays as readable and writable for the team as the one it replaces).
// False when `model` cannot be read or the mode cannot be changed.
bool CopyPermissionBits(const std::string& model, const std::string& path);

// True when this process may make files in `directory` (write and search
// permission, and a file system mounted for writing).
bool CanCreateFilesIn(const std::string& directory);

// Flushes a directory's entries to disk, so that a rename in it survives a
// crash.
bool SyncDirectory(const std::string& directory);

}  // namespace tarn::platform
