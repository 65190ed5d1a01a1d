#include "tools/tarn/usage_listing.h"

#include "engine/support/report.h"
#include "engine/support/usage.h"
#include "objects/command_program.h"

namespace tarn::cli {

void ListUsage(std::string_view label, std::string_view usage, std::FILE* out,
               std::string_view synopsis_command) {
  PrintUsageFrom(UsageFilePath(usage), label, 1, out, ConsoleUsagePause(), synopsis_command);
}

int RefuseWithUsage(std::string_view label) {
  PrintUsage(label, 1);
  return kExitBadCommand;
}

bool IsKnownOption(std::span<const CommandOption> options, std::string_view word) {
  if (FindCommandOption(options, word) != nullptr) return true;
  ReportUnknownOption(options, word);
  return false;
}

}  // namespace tarn::cli
