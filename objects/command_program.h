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
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/commands/command_line.h"
#include "engine/support/console_host.h"
#include "engine/support/environment.h"
#include "objects/env_var.h"
#include "platform/exit_cleanup.h"

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

// The exit status of several commands run one after the other (one per
// file): success only when each succeeded; a failure outweighs any other
// status; otherwise the first status that was not success.
int CombinedExitStatus(int so_far, int next);

// What every command-line program sets up before its first command and
// takes down at its end: the catalogue (found where the installed files
// lie, platform/installed_files.h) and the console as the engine's host.
class ProgramSession {
 public:
  // `program_name` prefixes the loader's complaints.
  explicit ProgramSession(std::string_view program_name);
  ~ProgramSession();
  ProgramSession(const ProgramSession&) = delete;
  ProgramSession& operator=(const ProgramSession&) = delete;

  // False when the catalogue could not be loaded (the loader said why on
  // standard error); nothing can be reported then.
  bool Ready() const { return host_.has_value(); }

 private:
  std::optional<ConsoleHost> host_;  // reads its preset answer through the catalogue
  Host* previous_host_ = nullptr;
};

// Makes the settings a command runs under, once the catalogue is loaded;
// none: the environment's alone (tEnvVar's defaults).
using SettingsSource = std::function<tEnvVar()>;

// Thrown by a settings source that has reported why no command can run under
// the settings (an INI file that cannot be read, a user name that cannot be
// used); the program then ends as failed.
struct SettingsRefused {};

// The settings a command-line program runs under: the source's (else the
// environment's), then the command line's identity rules
// (command_line_identity.h).
tEnvVar CommandLineSettings(const SettingsSource& source = nullptr);

// The parser fills the command's record from the arguments (1 accepted);
// the operation runs it with the settings (1 or 2 success, -1 failure).
using CommandParser = std::function<int(CommandArguments)>;
using CommandOperation = std::function<int(tarnEnvironVars&)>;
// Makes the settings the command runs under, once the catalogue is loaded;
// none: the environment's alone (tEnvVar's defaults).
using SettingsSource = std::function<tEnvVar()>;

// The file a parsed command works on, for the note shown when a signal ends
// it (platform/exit_cleanup.h).
using CommandFileName = std::function<std::string()>;

// The exit status of a program whose command `parse` and `run` carry out.
int RunCommandProgram(std::string_view command_word, int argc, const char* const* argv,
                      const CommandParser& parse, const CommandOperation& run,
                      const SettingsSource& settings = nullptr,
                      const CommandFileName& file_name = nullptr);

// The file name a command's record holds (the check-in's as given).
template <class Args>
std::string FileNameOf(const Args& args) {
  if constexpr (requires { args.givenName; }) {
    return args.givenName;
  } else if constexpr (requires { args.fileName; }) {
    return args.fileName;
  } else {
    return std::string();
  }
}

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
      [&](tarnEnvironVars& env) { return run(args, env); }, settings,
      [&] { return FileNameOf(args); });
}

// The scope of one command on `file` for the signals that may end it: the
// notes it leaves name the command and the file.
platform::CommandInterruption InterruptionFor(std::string_view file);

// What a program a person types does with a refused command line: the
// refusal, then a pointer to the command's help (tarn help get) in place of
// the whole usage text.
void PointRefusalsToHelp();

// False, after saying which, when an argument is not UTF-8 text: a name
// that cannot be shown or typed again would end up in messages and
// journals.
bool ArgumentsAreText(std::span<const std::string> arguments);

// The exit status for an operation's result.
int ExitStatusOf(int command_result);

}  // namespace tarn
