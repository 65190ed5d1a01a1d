// Writing the logfile of a history through the engine's own writers.
//
// The revisions go in one at a time, as check-ins would have put them, each
// through the writer every check-in uses (revision_insert.h): the trunk
// oldest first (each new trunk revision stored whole, the one before it
// turned into a reverse delta), then each branch from its first revision on
// (forward deltas). The logfile grows in two scratch files in the temporary
// directory, one read while the other is written. The locks are set
// last, each through the writer that changes one record, and the finished
// logfile is copied into the replacement beside the logfile's path and
// renamed into place: until then no logfile of that name exists, and on
// any failure none is left behind.
#pragma once

#include <string>
#include <string_view>

#include "engine/format/logfile_header.h"
#include "engine/support/environment.h"
#include "import/rcs_history.h"

namespace tarn::rcs {

struct ImportTarget {
  std::string name;      // the ,v file, for messages
  std::string workfile;  // the workfile the logfile belongs to
  std::string logfile;   // where the logfile goes; nothing may stand there
};

// Writes the logfile of `history` with `header` (from BuildImportedHeader).
// Returns 1, or -1 after reporting why (812, 813, 815, 814, the engine's
// own messages, and 817 for a logfile that could not be written).
int WriteImportedLogfile(const History& history, LogfileHeader header, const ImportTarget& target,
                         const tarnEnvironVars& env);

}  // namespace tarn::rcs
