#include "tools/tarn/tarn_program.h"

#include <algorithm>
#include <cstdio>
#include <vector>

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

// The overview of all subcommands.
constexpr std::string_view kOverviewUsage = "tarn";

void ListSubcommandUsage(const Subcommand& subcommand, std::FILE* out) {
  ListUsage(subcommand.label, subcommand.usage, out);
}

int ShowVersion() {
  Report(kStatus, msg::kVersionText, kTarnVersion);
  return kExitSucceeded;
}

int Refuse(std::string_view label, std::string_view usage) { return RefuseWithUsage(label, usage); }

int UnknownSubcommand(const std::string& name) {
  Report(kAlert, msg::kUnknownSubcommand, std::string_view(name));
  return Refuse(kTarnLabel, kOverviewUsage);
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

bool Holds(std::span<const std::string> words, std::string_view word) {
  return std::ranges::find(words, word) != words.end();
}

}  // namespace

int RunTarn(std::span<const std::string> words) {
  const ScopedProgramLabel label(kTarnLabel);
  // Refused command lines list their usage on standard error, so that
  // standard output holds only what was asked for.
  SetUsageStream(stderr);
  if (words.empty()) return Refuse(kTarnLabel, kOverviewUsage);
  const std::string& first = words.front();
  if (first == kVersionOption) return ShowVersion();
  if (first == kHelpOption || first == kHelpWord) return Help(words.subspan(1));
  const Subcommand* subcommand = FindSubcommand(first);
  if (subcommand == nullptr) return UnknownSubcommand(first);
  const std::span<const std::string> rest = words.subspan(1);
  if (Holds(rest, kHelpOption)) {
    ListSubcommandUsage(*subcommand, stdout);
    return kExitSucceeded;
  }
  if (Holds(rest, kVersionOption)) return ShowVersion();
  return subcommand->run(rest);
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
