#include "tools/tarn/import_subcommand.h"

#include <optional>
#include <vector>

#include "engine/commands/command_line.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "import/import_check.h"
#include "import/rcs_import.h"
#include "objects/command_program.h"
#include "projects/settings_in_force.h"
#include "tools/tarn/file_run_summary.h"
#include "tools/tarn/tarn_settings.h"
#include "tools/tarn/usage_listing.h"

namespace tarn::cli {

namespace {

constexpr std::string_view kLabel = "tarn import";

constexpr CommandOption kImportOptions[] = {{&msg::kOptionCheck, OptionValue::kNone},
                                             {&msg::kOptionSet, OptionValue::kNext}};

struct ImportRequest {
  bool check = false;
  rcs::ImportChoices choices;
  std::vector<std::string> arguments;
};

// False after reporting why the line is refused (or when it names nothing).
bool ParseImportLine(std::span<const std::string> words, ImportRequest& request) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (!IsOption(word)) {
      request.arguments.push_back(word);
    } else if (!IsKnownOption(kImportOptions, word)) {
      return false;
    } else if (IsOptionWord(word, msg::kOptionSet)) {
      if (i + 1 >= words.size()) {
        Report(kAlert, msg::kOptionValueMissing, OptionWord(msg::kOptionSet));
        return false;
      }
      if (!ParseAttributeOverride(words[++i], kLogfileAttributeBits, request.choices.attributes)) {
        return false;
      }
    } else {
      request.check = true;
    }
  }
  return !request.arguments.empty();
}

}  // namespace

std::span<const CommandOption> ImportOptions() { return kImportOptions; }

int RunImport(std::span<const std::string> words) {
  const ScopedProgramLabel label(kLabel);
  ImportRequest request;
  if (!ParseImportLine(words, request)) return RefuseWithUsage(kLabel);
  tarnEnvironVars env;
  TarnSettings().CopyToStruct(&env);
  // Only a list the environment or the project names replaces the file's:
  // the user's own name is what the settings fall back to otherwise.
  request.choices.access_list_given =
      std::string_view(SettingsInForce().AccessList()) != MessageText(msg::kWordNone.number);
  FileRunSummary summary;
  for (const std::string& argument : request.arguments) {
    const std::optional<std::vector<std::string>> files = rcs::RcsFilesNamedBy(argument);
    if (!files) {
      summary.Add(argument, kExitFailed);
      continue;
    }
    for (const std::string& file : *files) {
      const int result =
          request.check ? rcs::CheckImport(file, env) : rcs::ImportRcsFile(file, env, request.choices);
      summary.Add(file, result == 1 ? kExitSucceeded : kExitFailed);
    }
  }
  summary.Report();
  return summary.ExitStatus();
}

}  // namespace tarn::cli
