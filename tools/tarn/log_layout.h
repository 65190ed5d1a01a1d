// The two layouts of `tarn log`: plain text for people and one JSON object
// a line for scripts. Both are stable: fields keep their names and order.
//
// Plain text, per file: the header fields as "Heading:" lines (headings are
// catalogue texts, values start in column 17), the module description and
// the labels indented by two blanks, then per revision a blank line and its
// fields, its description indented by two blanks. Times are local, in the
// form 2024-05-01 13:45:00.
//
// JSON keys: file, logfile, workfile, owner, access (array), users (array),
// attributes (array), comment_prefix, default_branch, locks, revision_count,
// description, labels (array of {label, revision}), revisions (array of
// {revision, creator, checked_in, edited, locked_by (null when not
// locked), size, stored_size, compressed, description}); times are seconds
// since 1970 UTC. With the header-only option there is no revisions key.
#pragma once

#include <string>

#include "tools/tarn/logfile_history.h"
#include "tools/tarn/revision_selection.h"

namespace tarn::cli {

struct LogFilter {
  bool header_only = false;
  bool locked_only = false;
  RevisionSelection revisions;

  bool Shows(const RevisionEntry& revision) const {
    return (!locked_only || revision.locked_by.has_value()) && revisions.Selects(revision.numbers);
  }
};

std::string LogText(const LogfileHistory& history, const LogFilter& filter);

// The locked option's plain layout: one line per locked revision the filter
// shows ("a.c: revision 1.2 locked by ann"), nothing for a file without
// locks.
std::string LockedLines(const LogfileHistory& history, const LogFilter& filter);

// One line, ending in a line feed.
std::string LogJson(const LogfileHistory& history, const LogFilter& filter);

// "2024-05-01 13:45:00" in local time.
std::string LocalTimeText(long seconds);

}  // namespace tarn::cli
