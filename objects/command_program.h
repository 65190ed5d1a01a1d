// Running one engine command as a command-line program (tget, tlock, ...).
//
// The program loads the catalogue from its own directory, reports to the
// console (results on standard output, errors on standard error, questions
// at the terminal), takes its settings from the environment variables and
// runs under the command word as its program label, so that its messages
// and journal entries start with that word and its usage text is
// <word>.usa. Then it does what the object interface does with a command
// string: the command's parser, then the command's operation.
#pragma once

#include <functional>
#include <string_view>

#include "engine/commands/command_line.h"
#include "engine/support/environment.h"
#include "objects/env_var.h"

namespace tarn {

// Exit statuses of the command-line programs. A program exits 0 exactly
// when what was asked was done, as the object interface's wrappers return
// true exactly when the operation returned 1; a script can then trust 0.
enum ProgramExit : int {
  kExitSucceeded = 0,  // the command returned 1: done
  kExitFailed = 1,  // the command returned -1 (failed or refused), or the program could not start
  kExitBadCommand = 2,   // the command line was refused
  kExitNothingDone = 3,  // the command returned 2: nothing was done (no lock held, answer no)
};

// The parser fills the command's record from the arguments (1 accepted);
// the operation runs it with the settings (1 or 2 success, -1 failure).
using CommandParser = std::function<int(CommandArguments)>;
using CommandOperation = std::function<int(tarnEnvironVars&)>;
// Makes the settings the command runs under, once the catalogue is loaded;
// none: the environment's alone (tEnvVar's defaults).
using SettingsSource = std::function<tEnvVar()>;

// The exit status of a program whose command `parse` and `run` carry out.
int RunCommandProgram(std::string_view command_word, int argc, const char* const* argv,
                      const CommandParser& parse, const CommandOperation& run,
                      const SettingsSource& settings = nullptr);

// The same for a command with a record of its own: `Args` is filled by
// `parse` and handed to `run`.
template <class Args>
int RunCommandProgram(std::string_view command_word, int argc, const char* const* argv,
                      int (*parse)(CommandArguments, Args&),
                      int (*run)(const Args&, tarnEnvironVars&),
                      const SettingsSource& settings = nullptr) {
  Args args{};
  return RunCommandProgram(
      command_word, argc, argv, [&](CommandArguments arguments) { return parse(arguments, args); },
      [&](tarnEnvironVars& env) { return run(args, env); }, settings);
}

// The exit status for an operation's result.
int ExitStatusOf(int command_result);

}  // namespace tarn
