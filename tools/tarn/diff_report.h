// tarn diff [-rev REV [-rev REV]] FILE...
//
// A revision against the workfile (the default revision when no -rev is
// given), or two revisions against each other, in unified format on
// standard output. The revisions are fetched by the get command into
// temporary files, keywords expanded as a get would expand them, so that a
// workfile fresh from a get compares equal. Exit status as diff(1) has it:
// 0 equal, 1 different, 2 trouble (for several files: 2 when any file had
// trouble, else 1 when any differed).
#pragma once

#include <span>
#include <string>

#include "engine/commands/command_options.h"

namespace tarn::cli {

inline constexpr int kDiffEqual = 0;
inline constexpr int kDiffDifferent = 1;
inline constexpr int kDiffTrouble = 2;

// The options of the command line, as its parser takes them.
std::span<const CommandOption> DiffReportOptions();

int RunDiffReport(std::span<const std::string> words);

}  // namespace tarn::cli
