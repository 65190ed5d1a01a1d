// What the reports show of a logfile, read into plain values, so that the
// layouts (log_layout.h, status_report.h) need no logfile to be tested; and
// which files of a directory are under control. This is the reports' one
// reading layer: it reads through the object interface (logfile objects),
// under the logfile's lock file, as a command does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "objects/env_var.h"
#include "tools/tarn/revision_selection.h"

namespace tarn::cli {

struct RevisionEntry {
  std::string number;  // "1.2.1.4"
  RevisionNumbers numbers;
  std::string creator;
  long checked_in = 0;  // seconds since 1970 UTC
  long edited = 0;
  std::optional<std::string> locked_by;
  long size = 0;             // bytes of the revision's text as stored
  unsigned long stored = 0;  // bytes after compression
  bool compressed = false;
  std::string description;
};

struct LabelEntry {
  std::string label;
  std::string revision;
};

struct LogfileHistory {
  std::string file;  // as given
  std::string logfile;
  std::string workfile;
  std::string owner;
  std::string access_list;
  std::string users;
  std::vector<std::string> attributes;  // the catalogue's attribute names
  std::string comment_prefix;
  std::string default_branch;
  int locks = 0;
  int revision_count = 0;
  std::string description;
  // From the supplemental information: the user the last change (or lock)
  // recorded (-1: none), when the logfile last changed and the workfile's
  // size then.
  int last_modifier = -1;
  long last_update = 0;
  long last_workfile_size = 0;
  std::vector<LabelEntry> labels;
  std::vector<RevisionEntry> revisions;  // in the logfile's order
};

enum class HistoryRead {
  kRead,
  kNoLogfile,  // there is no logfile for the file
  kDamaged,    // the logfile cannot be opened or read whole
};

// Reads the header, the labels and, unless `header_only`, every revision.
// `file` names the workfile; its logfile follows from the settings.
HistoryRead ReadLogfileHistory(const std::string& file, const tEnvVar& settings, bool header_only,
                               LogfileHistory& history);

// The workfile names (without directory) whose logfiles lie in the logfile
// directory of the settings, sorted; lock files are left out. Whether each
// is a sound logfile, ReadLogfileHistory tells.
std::vector<std::string> FilesUnderControl(const tEnvVar& settings);

}  // namespace tarn::cli
