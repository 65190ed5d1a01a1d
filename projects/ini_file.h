// tIniFile: reading and changing one INI file shared by a team.
//
// The file format: a line "[name]" starts a section; any other non-empty line
// of a section is a key line "key=value" (the key is the text before the
// first '=', the value everything after it, blanks included); a line starting
// with ';' is a comment, never a key, and is kept as it stands. Section names
// and keys are compared without regard to ASCII letter case, and exactly
// otherwise (blanks around a key are part of it).
//
// Lines may be of any length and the last line needs no line end: both are
// read as they stand and written back whole (with a line end). A CR before
// the line end is dropped, so files edited on other systems read the same.
//
// A file is read once and kept while its stamp (identity, size, times) stays
// the same, so many lookups in one command cost one read. Only a regular file
// is read, never blocking on a FIFO or device, and a file larger than
// kMaxFileSize, a line longer than kMaxLineLength or a NUL byte makes the file
// unusable: Problem() says why, readers see no values, and every change is
// refused so that a file this code cannot read whole is never rewritten.
//
// A symbolic link in place of the file (a team's shared file linked into a
// member's directory) is written through: the file it leads to is replaced in
// its own directory and the link stays. The new file keeps the old one's
// group and permission bits (refused when the writer cannot give it that
// group); a file holding passwords never gets world permission, nor group
// permission unless its directory is shared with a group. A file whose own
// permission bits refuse the writer is not replaced, whatever the directory
// allows.
//
// Changes are serialised between processes and machines by the lock file
// "$<name>" beside the file (4 attempts, 200 ms apart, for a lock held by a
// live process; one left by a dead process is cleared at once). An object
// takes the lock at its first change and holds it until it is destroyed, so
// one short-lived object is the unit of mutual exclusion: construct, change,
// destroy. Every change writes the whole new file as "!<name>" beside the
// old one, flushes it and renames it over the old file, so a reader (which
// needs no lock) and a crash at any moment see the old file or the new one,
// whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/lock_file.h"

namespace tarn {

enum class IniWrite {
  kWritten,
  kLockBusy,     // another process held the lock through every attempt
  kWriteFailed,  // the new file could not be made; errno tells why
  kBadText,      // a name or value that would break the file's lines
  kUnreadable,   // the file is there but cannot be read whole (see Problem())
  kReadOnly,     // the file's own permission bits refuse this writer
  kDirectoryNotWritable,  // no new file can be made where the file lives
  kGroupRefused,          // the new file cannot have the old one's group
};

// Why an existing INI file cannot be used.
struct IniProblem {
  enum class Kind {
    kUnreadable,     // `error` tells why
    kNotRegularFile, // a FIFO, device, socket or directory in its place
    kTooLarge,
    kLineTooLong,    // at `line`
    kBinaryBytes,    // a NUL byte at `line`
  };
  Kind kind = Kind::kUnreadable;
  std::string fileName;
  int error = 0;
  std::size_t line = 0;
};

class tIniFile {
 public:
  // `file_name` is the INI file's path; nothing is opened yet.
  explicit tIniFile(std::string file_name);

  static constexpr std::size_t kMaxLineLength = 64 * 1024;
  static constexpr std::int64_t kMaxFileSize = 16 * 1024 * 1024;
  virtual ~tIniFile();
  tIniFile(const tIniFile&) = delete;
  tIniFile& operator=(const tIniFile&) = delete;

  const std::string& FileName() const { return file_name_; }
  const std::string& LockFileName() const { return lock_file_name_; }
  const std::string& TempFileName() const { return temp_file_name_; }
  // The file a change replaces: the file name, or where its links lead.
  const std::string& TargetFileName() const { return target_file_name_; }

  // Why the file cannot be read; nothing when it can or is missing.
  std::optional<IniProblem> Problem();

  // The value of the first line of `section` whose key is `key`; nothing
  // when the file, the section or the key is missing, or the key's line has
  // no '='.
  std::optional<std::string> GetValue(std::string_view section, std::string_view key);
  // The keys of the section's lines, comments left out.
  std::vector<std::string> GetKeyNames(std::string_view section);
  // The section's whole "key=value" lines (an '=' after the first
  // character), comments left out.
  std::vector<std::string> GetEntries(std::string_view section);
  bool HasSection(std::string_view section);

  // The key's line becomes "key=value"; an empty value removes every line of
  // the key in the section. A missing section is appended at the end.
  IniWrite SetValue(std::string_view section, std::string_view key, std::string_view value);
  // The key's line becomes "key=" (the key stays, with an empty value).
  IniWrite SetEmptyValue(std::string_view section, std::string_view key);
  // Removes the section's header and all of its lines.
  IniWrite RemoveSection(std::string_view section);

  // Takes the lock now (a read followed by a change then sees no other
  // writer in between). True when held.
  bool Lock();
  // The same, saying why not: kLockBusy, or kDirectoryNotWritable.
  IniWrite TakeLock();

  // True when `text` can stand in a line as a section name or a key.
  static bool IsUsableName(std::string_view text);

 private:
  const std::vector<std::string>& Lines();
  // kWritten when the file may be replaced now (lock held, file read whole,
  // its own bits allow it), else why not.
  IniWrite ReadyToChange();
  IniWrite ReplaceLine(std::string_view section, std::string_view key,
                       std::optional<std::string> new_line);
  IniWrite WriteWhole(const std::vector<std::string>& lines);

  std::string file_name_;
  std::string target_file_name_;
  std::string lock_file_name_;
  std::string temp_file_name_;
  std::optional<platform::LockFile> lock_;
  // The file's lines as last read or written (shared with the per-process
  // copy of the file), and why it could not be read.
  std::shared_ptr<const std::vector<std::string>> lines_;
  std::optional<IniProblem> problem_;
};

}  // namespace tarn
