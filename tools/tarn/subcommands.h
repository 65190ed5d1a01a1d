// The subcommands of the tarn program and what runs each.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "engine/commands/command_options.h"

namespace tarn::cli {

// Runs a subcommand on the words after its name; returns the exit status.
using SubcommandRunner = int (*)(std::span<const std::string> words);

struct Subcommand {
  std::string_view name;   // as typed after "tarn"
  std::string_view label;  // the program label its messages carry
  std::string_view usage;  // its usage text: <usage>.usa
  SubcommandRunner run;
};

// The subcommand called `name`, or null.
const Subcommand* FindSubcommand(std::string_view name);

// Every subcommand, in the order the overview lists them.
std::span<const Subcommand> AllSubcommands();

// The options of a subcommand's command line, from the table its parser
// checks them against; empty for a subcommand without one.
std::span<const CommandOption> SubcommandOptions(const Subcommand& subcommand);

}  // namespace tarn::cli
