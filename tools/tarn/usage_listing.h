// Listing a subcommand's usage text: on standard output when asked for,
// on standard error after a refused command line.
#pragma once

#include <cstdio>
#include <span>
#include <string_view>

#include "engine/commands/command_options.h"

namespace tarn::cli {

// Lists <usage>.usa under the heading for `label`; a `synopsis_command`
// stands in for the command word at the start of the synopsis lines.
void ListUsage(std::string_view label, std::string_view usage, std::FILE* out,
               std::string_view synopsis_command = {});

// Points a refused command line of `label` to its help (tarn help log) and
// returns 2, the status of a refused command line.
int RefuseWithUsage(std::string_view label);

// True when `word` (an option) is one of `options`; otherwise it is
// reported with the nearest correct one.
bool IsKnownOption(std::span<const CommandOption> options, std::string_view word);

}  // namespace tarn::cli
