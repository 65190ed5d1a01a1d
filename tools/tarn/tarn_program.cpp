#include "tools/tarn/tarn_program.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/commands/command_options.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "engine/support/usage.h"
#include "objects/command_program.h"
#include "platform/exit_cleanup.h"
#include "tarn_version.h"
#include "tools/tarn/subcommands.h"
#include "tools/tarn/usage_listing.h"

namespace tarn::cli {

namespace {

constexpr std::string_view kHelpWord = "help";
constexpr std::string_view kHelpOption = "--help";
constexpr std::string_view kVersionOption = "--version";
constexpr std::string_view kCompleteOption = "--complete";

// The overview of all subcommands.
constexpr std::string_view kOverviewUsage = "tarn";

// The usage of a subcommand names it as it is typed (tarn get), also where
// it shares the usage text of a command program (tget).
void ListSubcommandUsage(const Subcommand& subcommand, std::FILE* out) {
  const std::string typed = std::string(kTarnLabel) + " " + std::string(subcommand.name);
  const bool program_text = !SubcommandOfCommand(subcommand.label).empty();
  ListUsage(typed, subcommand.usage, out, program_text ? std::string_view(typed) : "");
}

int ShowVersion() {
  Report(kStatus, msg::kVersionText, kTarnVersion);
  return kExitSucceeded;
}

std::vector<std::string> SubcommandNames() {
  std::vector<std::string> names;
  for (const Subcommand& subcommand : AllSubcommands()) names.emplace_back(subcommand.name);
  return names;
}

// One line for the word, one for the nearest subcommand where there is one.
int UnknownSubcommand(const std::string& name) {
  Report(kAlert, msg::kUnknownSubcommand, std::string_view(name));
  const std::vector<std::string> names = SubcommandNames();
  if (const std::optional<std::string> nearest = NearestWord(names, name)) {
    Report(kAlert, msg::kNearestSubcommand, std::string_view(*nearest));
  }
  return kExitBadCommand;
}

// "tarn help [SUBCOMMAND]"
int Help(std::span<const std::string> words) {
  if (words.empty()) {
    ListUsage(kTarnLabel, kOverviewUsage, stdout);
    return kExitSucceeded;
  }
  const Subcommand* subcommand = FindSubcommand(words.front());
  if (subcommand == nullptr || words.size() > 1) return UnknownSubcommand(words.back());
  ListSubcommandUsage(*subcommand, stdout);
  return kExitSucceeded;
}

int Complete(std::span<const std::string> words) {
  for (const std::string& word : CompletionWords(words)) std::printf("%s\n", word.c_str());
  return kExitSucceeded;
}

bool Holds(std::span<const std::string> words, std::string_view word) {
  return std::ranges::find(words, word) != words.end();
}

}  // namespace

std::vector<std::string> CompletionWords(std::span<const std::string> before) {
  std::vector<std::string> words;
  if (before.empty()) {
    words = SubcommandNames();
    words.emplace_back(kHelpWord);
    words.emplace_back(kHelpOption);
    words.emplace_back(kVersionOption);
    return words;
  }
  if (before.front() == kHelpWord) return SubcommandNames();
  const Subcommand* subcommand = FindSubcommand(before.front());
  if (subcommand == nullptr) return words;
  for (const CommandOption& option : SubcommandOptions(*subcommand)) {
    words.push_back("-" + std::string(MessageText(option.word->number)));
  }
  words.emplace_back(kHelpOption);
  return words;
}

int RunTarn(std::span<const std::string> words) {
  const ScopedProgramLabel label(kTarnLabel);
  // A refused command line says why on standard error and where the usage
  // is; standard output holds only what was asked for.
  SetUsageStream(stderr);
  PointRefusalsToHelp();
  if (!ArgumentsAreText(words)) return kExitBadCommand;
  if (words.empty()) {
    ListUsage(kTarnLabel, kOverviewUsage, stderr);
    return kExitBadCommand;
  }
  const std::string& first = words.front();
  if (first == kVersionOption) return ShowVersion();
  if (first == kCompleteOption) return Complete(words.subspan(1));
  if (first == kHelpOption || first == kHelpWord) return Help(words.subspan(1));
  const Subcommand* subcommand = FindSubcommand(first);
  if (subcommand == nullptr) return UnknownSubcommand(first);
  const std::span<const std::string> rest = words.subspan(1);
  if (Holds(rest, kHelpOption)) {
    ListSubcommandUsage(*subcommand, stdout);
    return kExitSucceeded;
  }
  if (Holds(rest, kVersionOption)) return ShowVersion();
  try {
    return subcommand->run(rest);
  } catch (const SettingsRefused&) {
    return kExitFailed;  // reported where it was found
  }
}

int TarnMain(int argc, const char* const* argv) {
  // Ctrl-C, a closed terminal or a kill must not leave temporary files or a
  // held lock file behind.
  platform::InstallEarlyExitCleanup();
  const ProgramSession session(kTarnLabel);
  if (!session.Ready()) return kExitFailed;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
  return RunTarn(words);
}

}  // namespace tarn::cli
