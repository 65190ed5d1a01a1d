#include "tools/tarn/engine_subcommand.h"

#include <string>
#include <vector>

#include "engine/commands/command_options.h"
#include "engine/support/report.h"
#include "engine/support/usage.h"
#include "objects/command_program.h"
#include "tools/tarn/file_run_summary.h"
#include "tools/tarn/tarn_settings.h"

namespace tarn::cli {

int RunOverFiles(const FileCommand& command, std::span<const std::string> words) {
  // The command runs under its word (journals and usage texts are the
  // command's) and speaks as what the person typed.
  const ScopedProgramLabel label(command.word);
  const ScopedMessageLabel shown("tarn " + std::string(SubcommandOfCommand(command.word)));
  // Argument 0 is the command word, as for the single-command programs.
  std::vector<std::string> arguments;
  arguments.emplace_back(command.word);
  arguments.insert(arguments.end(), words.begin(), words.end());

  std::vector<std::string> files;
  {
    const FileNameCollector collector;
    if (command.parse(arguments) != 1) return kExitBadCommand;
    files = collector.Names();
  }
  if (files.size() > 1 && command.one_file_option != nullptr && command.names_one_file &&
      command.names_one_file()) {
    Report(kAlert, msg::kOneFileOption, OptionWord(*command.one_file_option));
    PrintUsage(command.word, static_cast<int>(arguments.size()));
    return kExitBadCommand;
  }

  const tEnvVar settings = TarnSettings();
  FileRunSummary summary;
  for (const std::string& file : files) {
    // Each file gets fresh settings: a command leaves the logfile's own
    // attributes in them.
    tarnEnvironVars env;
    settings.CopyToStruct(&env);
    const platform::CommandInterruption interruption = InterruptionFor(file);
    summary.Add(file, ExitStatusOf(command.run(file, env)));
  }
  summary.Report();
  return summary.ExitStatus();
}

}  // namespace tarn::cli
