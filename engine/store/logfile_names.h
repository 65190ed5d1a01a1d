// Every rule that names a file after a logfile: the logfile of a workfile,
// the lock file beside a logfile, and back from a logfile to its workfile.
//
// A logfile keeps its workfile's base name and changes the extension by a
// fixed character rule, so a logfile never has its workfile's name and the
// workfile name can be derived back from it. Paths use the platform's
// separator; a path longer than the platform allows is refused, never cut
// (a cut path names a different file).
#pragma once

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

// The lock file held while an entry is appended to the journal
// `journalPath`: beside it, its name with ".lock" added, so that every
// machine sharing the journal's directory sees the same one.
std::string JournalLockFileName(std::string_view journalPath);

// The local journal's path: the journal directory, a separator unless it is
// empty or ends in one, and the journal's name.
std::string LocalJournalPath(std::string_view journalDirectory, std::string_view journalName);

}  // namespace tarn
