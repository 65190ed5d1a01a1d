// The subcommands that run an engine command (get, put, lock, unlock,
// label, unlabel, header) once per file.
//
// The command line is the engine command's own: the same options, checked
// by the same parser with the same messages, under the command word as the
// program label (so messages, journals and usage texts are the command's).
// Only the file names differ: any number of them, each run in the order
// given, going on after a file that failed, with a closing summary.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "engine/commands/command_line.h"
#include "engine/support/environment.h"
#include "engine/support/message_id.h"

namespace tarn::cli {

struct FileCommand {
  std::string_view word;  // the engine's command word: label and usage text
  // Parses the whole command line into the command's record.
  std::function<int(CommandArguments)> parse;
  // Runs the parsed command on one file.
  std::function<int(const std::string& file, tarnEnvironVars& env)> run;
  // The option that names one particular file (the output or workfile
  // option) and whether the parsed line holds it; such a line takes one
  // file only.
  const MessageId* one_file_option = nullptr;
  std::function<bool()> names_one_file;
};

// The exit status of the whole run: 2 for a refused command line, else 0
// when every file succeeded (objects/command_program.h for the others).
int RunOverFiles(const FileCommand& command, std::span<const std::string> words);

// The same for a command with its own record `Args`, parsed by `parse` and
// run by `run` with the record's file name field `file_field` set to each
// file in turn.
template <class Args>
int RunEngineCommand(std::string_view word, std::span<const std::string> words,
                     int (*parse)(CommandArguments, Args&),
                     int (*run)(const Args&, tarnEnvironVars&), std::string Args::*file_field,
                     const MessageId* one_file_option = nullptr,
                     bool (*names_one_file)(const Args&) = nullptr) {
  Args args{};
  FileCommand command;
  command.word = word;
  command.parse = [&](CommandArguments arguments) { return parse(arguments, args); };
  command.run = [&](const std::string& file, tarnEnvironVars& env) {
    Args one = args;
    one.*file_field = file;
    return run(one, env);
  };
  command.one_file_option = one_file_option;
  if (names_one_file != nullptr) command.names_one_file = [&] { return names_one_file(args); };
  return RunOverFiles(command, words);
}

}  // namespace tarn::cli
