#include "tools/tarn/usage_listing.h"

#include <string>

#include "engine/support/usage.h"
#include "objects/command_program.h"

namespace tarn::cli {

void ListUsage(std::string_view label, std::string_view usage, std::FILE* out) {
  PrintUsageFrom(UsageFilePath(usage), label, 1, out, ConsoleUsagePause());
}

int RefuseWithUsage(std::string_view label, std::string_view usage) {
  ListUsage(label, usage, stderr);
  return kExitBadCommand;
}

}  // namespace tarn::cli
