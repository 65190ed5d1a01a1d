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
};

class tIniFile {
 public:
  // `file_name` is the INI file's path; nothing is opened yet.
  explicit tIniFile(std::string file_name);
  virtual ~tIniFile();
  tIniFile(const tIniFile&) = delete;
  tIniFile& operator=(const tIniFile&) = delete;

  const std::string& FileName() const { return file_name_; }
  const std::string& LockFileName() const { return lock_file_name_; }
  const std::string& TempFileName() const { return temp_file_name_; }

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

  // True when `text` can stand in a line as a section name or a key.
  static bool IsUsableName(std::string_view text);

 private:
  const std::vector<std::string>& Lines();
  // kWritten when the lock is held, else why it is not.
  IniWrite TakeLock();
  IniWrite ReplaceLine(std::string_view section, std::string_view key,
                       std::optional<std::string> new_line);
  IniWrite WriteWhole(const std::vector<std::string>& lines);

  std::string file_name_;
  std::string lock_file_name_;
  std::string temp_file_name_;
  std::optional<platform::LockFile> lock_;
  // The file's lines as last read or written; reread at the next read after
  // the lock was taken by someone else's change (see Lines()).
  std::optional<std::vector<std::string>> lines_;
};

}  // namespace tarn
