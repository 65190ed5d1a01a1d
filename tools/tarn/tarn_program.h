// The tarn program: one command on PATH with a subcommand per engine
// command (get, put, lock, unlock, label, unlabel, header), the reports
// (log, status, diff), help and the version.
//
//   tarn SUBCOMMAND [options] FILE...
//   tarn help [SUBCOMMAND] | tarn --help | tarn SUBCOMMAND --help
//   tarn --version | tarn SUBCOMMAND --version
//   tarn --complete [SUBCOMMAND]   the words bash completion offers
//
// Exit statuses: 0 done; 1 failed or refused (for several files: any file);
// 2 a command line refused (the refusal and where to find the usage, on
// standard error); statuses of the engine commands pass through unchanged
// (objects/command_program.h).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::cli {

// The program label of tarn's own messages.
inline constexpr std::string_view kTarnLabel = "tarn";

// What completion offers after "tarn": the subcommands and tarn's own
// options; after "tarn SUBCOMMAND": the subcommand's options, from the
// table its parser checks them against. Empty for an unknown subcommand.
std::vector<std::string> CompletionWords(std::span<const std::string> before);

// Runs tarn on the words after the program name, with the catalogue loaded
// and the console host in place.
int RunTarn(std::span<const std::string> words);

// main(): loads the catalogue first.
int TarnMain(int argc, const char* const* argv);

}  // namespace tarn::cli
