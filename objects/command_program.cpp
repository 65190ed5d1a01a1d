#include "objects/command_program.h"

#include <string>
#include <vector>

#include "engine/commands/command_options.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "engine/support/usage.h"
#include "engine/support/utf8_text.h"
#include "objects/command_line_identity.h"
#include "platform/exit_cleanup.h"
#include "platform/installed_files.h"
#include "tarn_version.h"

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

platform::CommandInterruption InterruptionFor(std::string_view file) {
  return platform::CommandInterruption(FormatMessage(msg::kInterruptedUnchanged, file),
                                       FormatMessage(msg::kInterruptedCompleted, file));
}

int CombinedExitStatus(int so_far, int next) {
  if (so_far == kExitFailed || next == kExitFailed) return kExitFailed;
  return so_far != kExitSucceeded ? so_far : next;
}

ProgramSession::ProgramSession(std::string_view program_name) {
  const std::string directory = platform::InstalledFileDirectory(kCatalogueFileName);
  if (LoadMessageFile(program_name, kCatalogueFileName, directory) != 1) return;
  host_.emplace();
  previous_host_ = SetHost(&*host_);
}

ProgramSession::~ProgramSession() {
  if (!host_) return;
  SetHost(previous_host_);
  FreeMessages();
}

tEnvVar CommandLineSettings(const SettingsSource& source) {
  tEnvVar settings = source ? source() : tEnvVar();
  ApplyCommandLineIdentity(settings);
  return settings;
}

void PointRefusalsToHelp() { SetUsagePointer(HelpCommandOf); }

bool ArgumentsAreText(std::span<const std::string> arguments) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (!IsUtf8Text(arguments[i])) {
      Report(kAlert, msg::kArgumentNotUtf8, static_cast<int>(i + 1));
      return false;
    }
  }
  return true;
}

int RunCommandProgram(std::string_view command_word, int argc, const char* const* argv,
                      const CommandParser& parse, const CommandOperation& run,
                      const SettingsSource& settings, const CommandFileName& file_name) {
  // Ctrl-C, a closed terminal or a kill must not leave temporary files or a
  // held lock file behind.
  platform::InstallEarlyExitCleanup();
  // Nothing can be reported before the catalogue is there: the loader says
  // on standard error what went wrong.
  const ProgramSession session(command_word);
  if (!session.Ready()) return kExitFailed;
  const ScopedProgramLabel label(command_word);
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    Report(kStatus, msg::kVersionText, kTarnVersion);
    return kExitSucceeded;
  }

  PointRefusalsToHelp();

  // Argument 0 is the command word, as the object interface passes it.
  std::vector<std::string> arguments;
  arguments.emplace_back(command_word);
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  if (!ArgumentsAreText(std::span(arguments).subspan(1))) return kExitBadCommand;

  if (parse(arguments) != 1) return kExitBadCommand;
  tarnEnvironVars env;
  try {
    CommandLineSettings(settings).CopyToStruct(&env);
  } catch (const SettingsRefused&) {
    return kExitFailed;
  }
  const platform::CommandInterruption interruption = InterruptionFor(file_name ? file_name() : "");
  return ExitStatusOf(run(env));
}

}  // namespace tarn
