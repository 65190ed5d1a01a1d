#include "engine/store/temporary_files.h"

#include <cstdio>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace tarn {

namespace {

constexpr int kNameCount = 10000;
// Random names meet only by extreme chance; the bound only stops a file
// system that reports every name as taken.
constexpr int kRandomTries = 100;

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

std::string RandomName(const std::string& directory) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%016llx",
                static_cast<unsigned long long>(platform::UniqueNumber()));
  return directory + "TARN" + digits;
}

}  // namespace

std::optional<std::string> MakeTemporaryFile(const tarnEnvironVars& env) {
  const std::string directory = platform::WithTrailingSeparator(env.tempDirectory);
  int& counter = TemporaryCounter();
  counter = (counter + 1) % kNameCount;
  std::string name = TemporaryName(directory, counter);
  for (int tries = 0; tries < kRandomTries; ++tries) {
    if (platform::CreateExclusive(name)) return name;
    // Not taken, yet not creatable: the caller's open names the problem.
    if (!platform::FileExists(name)) return name;
    // Taken, by another process or left behind by a killed one: counting on
    // would end at the last number, so the next names are random.
    name = RandomName(directory);
  }
  return std::nullopt;
}

ScopedTemporaryFile::ScopedTemporaryFile(std::string path)
    : path_(std::move(path)), interrupted_(path_) {}

ScopedTemporaryFile::~ScopedTemporaryFile() {
  if (!path_.empty()) platform::DeleteFile(path_);
}

void ScopedTemporaryFile::Keep() {
  path_.clear();
  interrupted_.Forget();
}

}  // namespace tarn
