#include "engine/store/temporary_files.h"

#include <cstdio>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

constexpr int kNameCount = 10000;

// Process-wide: the engine runs on one thread, and every command of the run
// continues where the previous one stopped.
int& TemporaryCounter() {
  static int counter = 0;
  return counter;
}

std::string TemporaryName(const std::string& directory, int number) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04d", number);
  return directory + "TARN" + digits;
}

}  // namespace

std::optional<std::string> MakeTemporaryFile(const tarnEnvironVars& env) {
  const std::string directory = platform::WithTrailingSeparator(env.tempDirectory);
  int& counter = TemporaryCounter();
  for (int tries = 0; tries < kNameCount; ++tries) {
    counter = (counter + 1) % kNameCount;
    std::string name = TemporaryName(directory, counter);
    if (platform::CreateExclusive(name)) return name;
    // Not taken, yet not creatable: the caller's open names the problem.
    if (!platform::FileExists(name)) return name;
  }
  return std::nullopt;
}

ScopedTemporaryFile::~ScopedTemporaryFile() {
  if (!path_.empty()) platform::DeleteFile(path_);
}

}  // namespace tarn
