// One entry of the project files list: a logfile of the project as its
// header describes it, with the state of its workfile.
//
// The texts of the five columns and the list's order live here, apart from
// any widget, so that both can be checked on their own.
#pragma once

#include <cstdint>
#include <string>

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

// Column texts. Locked By: empty when nothing is locked, else the modifier
// at the last-modifier index ("Locked" for a negative index). Last Changed:
// local time as "Wed Jan 02 03:04:05 2001". Workfile In: the header's
// workfile name while locked. File size: the last workfile size when above 0.
std::string LockedByText(const ProjectFile& file);
std::string LastChangedText(std::int64_t seconds);
std::string WorkfileInText(const ProjectFile& file);
std::string FileSizeText(const ProjectFile& file);
std::string ColumnText(const ProjectFile& file, FileColumn column);

// True when the workfile is missing or older than the logfile's last update:
// the entry carries the "New" marker.
bool ShowsNewMarker(const ProjectFile& file);

// The list's order for a sort column: true when `a` goes before `b`. Names
// and texts compare without regard to letter case; an entry with a text goes
// before one without; times and sizes run largest first, with the entries
// that have none last; ties fall back to the name.
bool SortsBefore(const ProjectFile& a, const ProjectFile& b, FileColumn column);

}  // namespace tarn::dorn
