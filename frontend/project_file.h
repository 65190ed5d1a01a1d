// One entry of the project files list: a logfile of the project as its
// header describes it, with the state of its workfile.
//
// The texts of the five columns and the list's order live here, apart from
// any widget, so that both can be checked on their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::dorn {

struct ProjectFile {
  std::string name;           // the workfile name the directory scan reports
  std::string logfilePath;    // full path of the logfile
  int lockCount = 0;          // of the header
  std::string modifierList;   // comma-separated, as the header holds it
  int lastModifierIndex = -1; // from the supplemental information
  std::int64_t lastUpdate = 0;      // of the logfile, seconds since 1970 UTC
  std::string workfileIn;           // the header's workfile name
  std::int64_t lastWorkfileSize = 0;
  bool workfileExists = false;
  std::int64_t workfileModified = 0;  // seconds since 1970 UTC

  // Who holds a lock, each holder once, in revision order (read for locked
  // logfiles only).
  std::vector<std::string> lockers;
  // The newest revision's edit and check-in times, read where the times
  // alone cannot tell whether the workfile holds it.
  bool headKnown = false;
  std::int64_t headEditTime = 0;
  std::int64_t headCheckinTime = 0;

  // Why the logfile cannot be shown (damaged, busy, unreadable); empty for a
  // sound one. `damaged`: the logfile itself is at fault.
  std::string problem;
  bool damaged = false;
};

// The list's columns, in order; the numbers are the stored sort column.
enum class FileColumn : int {
  kFilename = 0,
  kLockedBy = 1,
  kLastChanged = 2,
  kWorkfileIn = 3,
  kFileSize = 4,
};
inline constexpr int kFileColumnCount = 5;

// Column texts. Locked By: empty when nothing is locked, else the lock
// holders, comma-separated ("Locked" when their names are unknown). Last Changed:
// local time as "Wed Jan 02 03:04:05 2001". Workfile In: the header's
// workfile name while locked. File size: the last workfile size when above 0.
std::string LockedByText(const ProjectFile& file);
std::string LastChangedText(std::int64_t seconds);
std::string WorkfileInText(const ProjectFile& file);
std::string FileSizeText(const ProjectFile& file);
std::string ColumnText(const ProjectFile& file, FileColumn column);

// True when the logfile holds a revision newer than the workfile: the
// workfile is missing, or it is older than the logfile's last update and
// (where the newest revision's times are known) neither carries that
// revision's edit time nor was written at or after its check-in. A label or
// a lock changes the logfile but not its newest revision: no marker then.
bool ShowsNewMarker(const ProjectFile& file);
// True when the times alone cannot decide the marker, so the newest
// revision's times are worth reading.
bool NeedsHeadRevision(const ProjectFile& file);

// The list's order for a sort column: true when `a` goes before `b`. Names
// and texts compare without regard to letter case; an entry with a text goes
// before one without; times and sizes run largest first, with the entries
// that have none last; ties fall back to the name.
bool SortsBefore(const ProjectFile& a, const ProjectFile& b, FileColumn column);

}  // namespace tarn::dorn
