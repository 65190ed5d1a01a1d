// tarn export: the history of workfiles, or of directory trees of
// logfiles, as a git fast-import stream.
#pragma once

#include <span>
#include <string>

#include "engine/commands/command_options.h"

namespace tarn::cli {

int RunExport(std::span<const std::string> words);

// Its options, for completion.
std::span<const CommandOption> ExportCommandOptions();

// The path a file gets in the repository. A workfile named on the command
// line keeps its relative path ("./" and empty components dropped; an
// absolute one keeps its final name). A logfile found below a directory
// argument gets its path below that directory, the logfile directory's own
// name (`logfile_directory`, when it is one relative component such as
// "TARN") left out, and the workfile's name for the logfile's (X.___
// gives X: a workfile without an extension).
std::string RepositoryPathOfWorkfile(const std::string& workfile);
std::string RepositoryPathOfLogfile(const std::string& relative, const std::string& logfile_directory);

}  // namespace tarn::cli
