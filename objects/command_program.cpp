#include "objects/command_program.h"

#include <string>
#include <vector>

#include "engine/support/console_host.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "objects/env_var.h"
#include "platform/environment_variables.h"
#include "platform/exit_cleanup.h"

namespace tarn {

int ExitStatusOf(int command_result) {
  switch (command_result) {
    case 1:
      return kExitSucceeded;
    case 2:
      return kExitNothingDone;
    default:
      return kExitFailed;
  }
}

int RunCommandProgram(std::string_view command_word, int argc, const char* const* argv,
                      const CommandParser& parse, const CommandOperation& run,
                      const SettingsSource& settings) {
  // Ctrl-C, a closed terminal or a kill must not leave temporary files or a
  // held lock file behind.
  platform::InstallEarlyExitCleanup();
  // Nothing can be reported before the catalogue is there: the loader says
  // on standard error what went wrong.
  if (LoadMessageFile(command_word, kCatalogueFileName, platform::ProgramDirectory()) != 1) {
    return kExitFailed;
  }
  ConsoleHost host;  // reads its preset answer through the catalogue
  Host* previous_host = SetHost(&host);
  const ScopedProgramLabel label(command_word);

  // Argument 0 is the command word, as the object interface passes it.
  std::vector<std::string> arguments;
  arguments.emplace_back(command_word);
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);

  int status = kExitBadCommand;
  if (parse(arguments) == 1) {
    const tEnvVar in_force = settings ? settings() : tEnvVar();
    tarnEnvironVars env;
    in_force.CopyToStruct(&env);
    status = ExitStatusOf(run(env));
  }
  SetHost(previous_host);
  FreeMessages();
  return status;
}

}  // namespace tarn
