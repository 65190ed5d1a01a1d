// tarn import: bringing ,v histories over into logfiles, and checking them.
#pragma once

#include <span>
#include <string>

#include "engine/commands/command_options.h"

namespace tarn::cli {

// The options of the command line, as its parser takes them.
std::span<const CommandOption> ImportOptions();

int RunImport(std::span<const std::string> words);

}  // namespace tarn::cli
