// tarn log [-header] [-locked] [-rev REVISIONS] [-json] FILE...
//
// The history of each file's logfile (layouts in log_layout.h). A file
// without a logfile, or whose logfile is damaged, is reported and the next
// file shown; the exit status is then 1.
#pragma once

#include <span>
#include <string>

#include "engine/commands/command_options.h"

namespace tarn::cli {

// The options of the command line, as its parser takes them.
std::span<const CommandOption> LogReportOptions();

int RunLogReport(std::span<const std::string> words);

}  // namespace tarn::cli
