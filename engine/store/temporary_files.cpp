#include "engine/store/temporary_files.h"

#include "engine/store/disk_names.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace tarn {

namespace {

// Random names meet only by extreme chance; the bound only stops a file
// system that reports every name as taken.
constexpr int kRandomTries = 100;

// Process-wide: the engine runs on one thread, and every command of the run
// continues where the previous one stopped.
unsigned& TemporaryCounter() {
  static unsigned counter = 0;
  return counter;
}

}  // namespace

std::optional<std::string> MakeTemporaryFile(const tarnEnvironVars& env) {
  const std::string directory = platform::WithTrailingSeparator(env.tempDirectory);
  unsigned& counter = TemporaryCounter();
  counter = (counter + 1) % kNumberedNameCount;
  std::string name = TemporaryFileName(directory, counter);
  for (int tries = 0; tries < kRandomTries; ++tries) {
    if (platform::CreateExclusive(name)) return name;
    // Not taken, yet not creatable: the caller's open names the problem.
    if (!platform::FileExists(name)) return name;
    // Taken, by another process or left behind by a killed one: counting on
    // would end at the last number, so the next names are random.
    name = UniqueTemporaryFileName(directory, platform::UniqueNumber());
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
