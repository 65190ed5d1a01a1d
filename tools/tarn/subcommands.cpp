#include "tools/tarn/subcommands.h"

#include <array>

#include "engine/commands/checkin.h"
#include "engine/commands/checkin_command_line.h"
#include "engine/commands/get_command.h"
#include "engine/commands/header_command.h"
#include "engine/commands/label_command.h"
#include "engine/commands/lock_command.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "projects/project_shell.h"
#include "tools/tarn/annotate_report.h"
#include "tools/tarn/diff_report.h"
#include "tools/tarn/engine_subcommand.h"
#include "tools/tarn/export_subcommand.h"
#include "tools/tarn/import_subcommand.h"
#include "tools/tarn/log_report.h"
#include "tools/tarn/status_report.h"

namespace tarn::cli {

namespace {

bool GetNamesOneFile(const GetCommandArgs& args) { return args.workfile.has_value(); }
bool CheckInNamesOneFile(const CheckInRecord& record) { return record.workfile.has_value(); }

int RunGet(std::span<const std::string> words) {
  return RunEngineCommand<GetCommandArgs>("tget", words, ParseGetCommandLine, RunGetCommand,
                                          &GetCommandArgs::fileName, &msg::kOptionOutput,
                                          GetNamesOneFile);
}

int RunPut(std::span<const std::string> words) {
  return RunEngineCommand<CheckInRecord>("tput", words, ParseCheckInCommandLine, RunCheckIn,
                                         &CheckInRecord::givenName, &msg::kOptionWorkfile,
                                         CheckInNamesOneFile);
}

int RunLock(std::span<const std::string> words) {
  return RunEngineCommand<LockCommandArgs>("tlock", words, ParseLockCommandLine, LockRevision,
                                           &LockCommandArgs::fileName);
}

int RunUnlock(std::span<const std::string> words) {
  return RunEngineCommand<LockCommandArgs>("tunlock", words, ParseUnlockCommandLine, UnlockRevision,
                                           &LockCommandArgs::fileName);
}

int RunLabel(std::span<const std::string> words) {
  return RunEngineCommand<LabelCommandArgs>("tstamp", words, ParseLabelCommandLine, LabelRevision,
                                            &LabelCommandArgs::fileName);
}

int RunUnlabel(std::span<const std::string> words) {
  return RunEngineCommand<UnlabelCommandArgs>("tunstamp", words, ParseUnlabelCommandLine,
                                              RemoveLabel, &UnlabelCommandArgs::fileName);
}

int RunHeader(std::span<const std::string> words) {
  return RunEngineCommand<HeaderCommandArgs>("tmh", words, ParseHeaderCommandLine, ModifyHeader,
                                             &HeaderCommandArgs::fileName);
}

int RunProject(std::span<const std::string> words) { return RunProjectShell(words, CurrentHost()); }

int RunUser(std::span<const std::string> words) { return RunUserShell(words, CurrentHost()); }

constexpr std::array<Subcommand, 15> kSubcommands = {{
    {"get", "tget", "tget", RunGet},
    {"put", "tput", "tput", RunPut},
    {"lock", "tlock", "tlock", RunLock},
    {"unlock", "tunlock", "tunlock", RunUnlock},
    {"label", "tstamp", "tstamp", RunLabel},
    {"unlabel", "tunstamp", "tunstamp", RunUnlabel},
    {"header", "tmh", "tmh", RunHeader},
    {"log", "tarn log", "tarn_log", RunLogReport},
    {"status", "tarn status", "tarn_status", RunStatusReport},
    {"diff", "tarn diff", "tarn_diff", RunDiffReport},
    {"annotate", "tarn annotate", "tarn_annotate", RunAnnotateReport},
    {"project", "tarn project", "tarn_project", RunProject},
    {"user", "tarn user", "tarn_user", RunUser},
    {"import", "tarn import", "tarn_import", RunImport},
    {"export", "tarn export", "tarn_export", RunExport},
}};

}  // namespace

const Subcommand* FindSubcommand(std::string_view name) {
  for (const Subcommand& subcommand : kSubcommands) {
    if (subcommand.name == name) return &subcommand;
  }
  return nullptr;
}

std::span<const Subcommand> AllSubcommands() { return kSubcommands; }

std::span<const CommandOption> SubcommandOptions(const Subcommand& subcommand) {
  const std::span<const CommandOption> engine = OptionsOfCommand(subcommand.label);
  if (!engine.empty()) return engine;
  if (subcommand.run == RunLogReport) return LogReportOptions();
  if (subcommand.run == RunDiffReport) return DiffReportOptions();
  if (subcommand.run == RunImport) return ImportOptions();
  if (subcommand.run == RunAnnotateReport) return AnnotateOptions();
  if (subcommand.run == RunExport) return ExportCommandOptions();
  return {};
}

}  // namespace tarn::cli
