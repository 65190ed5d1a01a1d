// Every name the engine puts on disk, side by side: the logfile of a
// workfile, the lock file beside a logfile, the replacement file a command
// writes a new logfile into, the backup a rewrite keeps, the new file a get
// writes beside a workfile, and the temporary files of a run. Keeping them
// in one place makes it visible which names could meet.
//
// A logfile keeps its workfile's base name and changes the extension by a
// fixed character rule, so a logfile never has its workfile's name and the
// workfile name can be derived back from it. Paths use the platform's
// separator; a path longer than the platform allows is refused, never cut
// (a cut path names a different file).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarn {

// The extension rule alone: every character after the last '.' of the final
// component is replaced by its successor ('9' -> '0', 'Z' -> 'A', 'z' -> 'a';
// the characters ! ' * - ? ^ _ { ~ stay as they are); a name without a '.'
// gets ".___", a name ending in '.' gets "___". Wildcards stay wildcards, so
// a workfile pattern turns into a logfile pattern.
std::string LogfileNameOf(std::string_view workfileName);

// The inverse: back from a logfile name to its workfile name. An extension
// "___" is cut off, leaving the '.' ("readme.___" gives "readme.").
std::string WorkfileNameOf(std::string_view logfileName);

// The logfile path of `workfileName` in `logfileDirectory`, unchecked.
// A relative directory is taken relative to the workfile's own directory
// ("src/main.cpp" in "TARN" is "src/TARN/main.dqq"), so the same workfile
// name finds the same logfile from wherever it is given; an absolute
// directory is used as it stands ("src/main.cpp" in "/srv/tarn" is
// "/srv/tarn/main.dqq"). An empty directory is the workfile's own directory
// ("./main.d" for "main.c"). The directory may or may not end in a
// separator.
std::string LogfilePathOf(std::string_view workfileName, std::string_view logfileDirectory);

// LogfilePathOf for a command: a result longer than platform::kMaxPathLength
// is refused with message 361: none.
std::optional<std::string> LogfileNameFromWorkfile(std::string_view workfileName,
                                                   std::string_view logfileDirectory);

// The directory that holds the logfile of `workfileName` ("." for the
// current one), without a trailing separator.
std::string LogfileDirectoryOf(std::string_view workfileName, std::string_view logfileDirectory);

// The lock file of a logfile: its path with the first character of the
// final component replaced by '$' ("logs/main.d" -> "logs/$ain.d").
std::string LockFileName(std::string_view logfilePath);

// How many characters of a lock's token the names of the files made under
// that lock carry (the first ones).
inline constexpr std::size_t kLockTagLength = 16;
std::string LockTag(std::string_view token);

// The replacement file of a logfile (logfile_replace.h): in the same
// directory, the final component with its first character replaced by '!'
// and a '+' appended, then the tag of the token of the lock it is made
// under: whose file it is can be told from its name, and nobody removes
// another's. A logfile's extension never holds a '+' (the naming rule never
// produces one), so this name can never be another workfile's logfile or
// lock file.
std::string ReplacementFileName(std::string_view logfilePath, std::string_view token = {});

// The lock file held while an entry is appended to the journal
// `journalPath`: beside it, its name with ".lock" added, so that every
// machine sharing the journal's directory sees the same one.
std::string JournalLockFileName(std::string_view journalPath);

// The local journal's path: the journal directory, a separator unless it is
// empty or ends in one, and the journal's name.
std::string LocalJournalPath(std::string_view journalDirectory, std::string_view journalName);

// How a command names its backup (logfile_rewrite.h).
enum class BackupName {
  kFirstCharacterReplaced,  // label, modify header: '!' for the first character
  kUnderscoreInFront,       // remove label: '_' in front of the name
};

// The backup of a logfile: in the same directory, the final component with
// its first character replaced by '!' (or with '_' in front), then '@'
// appended. The naming rule never puts '@' into a logfile's extension (only
// '?' could turn into it, and '?' stays as it is), so a backup is never a
// logfile, lock file or replacement file of any workfile; one left behind by
// a killed command is removed by the next command that proves its lock
// stale. Like the replacement, it carries the tag of its lock's token.
std::string BackupFileName(std::string_view logfilePath, BackupName style,
                           std::string_view token = {});

// How many names the numbered temporary files cycle through.
inline constexpr unsigned kNumberedNameCount = 10000;

// The new file beside `workfile` that a workfile replacement writes
// (workfile_replace.h), made with the random number `unique`: hidden, in
// the workfile's own directory, so the rename never crosses file systems:
// ".tarn-new-" and 16 hexadecimal digits. Random numbers are never counted
// up to a limit, so files left by killed processes can never use up the names.
std::string WorkfileReplacementName(std::string_view workfile, std::uint64_t unique);

// Temporary file `number` in `directory` (temporary_files.h): "TARNNNNN",
// the directory given with its trailing separator.
std::string TemporaryFileName(std::string_view directory, unsigned number);

// The temporary file tried once the numbered name is taken: "TARN" and the
// random number `unique` in 16 hexadecimal digits.
std::string UniqueTemporaryFileName(std::string_view directory, std::uint64_t unique);

// Every name the engine may put beside one logfile.
struct DiskNames {
  std::string logfile;
  std::string lockFile;
  std::string replacement;
  std::string backup;         // label, modify header
  std::string removalBackup;  // remove label
};

// The names beside the logfile `logfilePath`.
DiskNames DiskNamesOfLogfile(std::string_view logfilePath);

// The names for `workfileName` with its logfile in `logfileDirectory`;
// none when the logfile path is too long (reported as above).
std::optional<DiskNames> DiskNamesOf(std::string_view workfileName,
                                     std::string_view logfileDirectory);

}  // namespace tarn
