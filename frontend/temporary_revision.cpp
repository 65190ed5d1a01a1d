#include "frontend/temporary_revision.h"

#include "engine/support/environment.h"
#include "platform/file_system.h"

namespace tarn::dorn {
namespace {

// Names taken by others are skipped; the bound only stops a directory that
// refuses every name.
constexpr int kTries = 20;

}  // namespace

TemporaryRevision::TemporaryRevision(std::string path)
    : file_(std::make_unique<ScopedTemporaryFile>(std::move(path))) {}

std::optional<TemporaryRevision> TemporaryRevision::Reserve(const tEnvVar& settings,
                                                            std::string_view extension) {
  tarnEnvironVars environment;
  settings.CopyToStruct(&environment);
  for (int tries = 0; tries < kTries; ++tries) {
    const std::optional<std::string> reserved = MakeTemporaryFile(environment);
    // A name handed back without its file means the directory takes none.
    if (!reserved || !platform::FileExists(*reserved)) return std::nullopt;
    const std::string path = *reserved + std::string(extension);
    const bool free = extension.empty() || platform::CreateExclusive(path);
    platform::DeleteFile(*reserved);
    if (!free) continue;
    if (path != *reserved) platform::DeleteFile(path);
    return TemporaryRevision(path);
  }
  return std::nullopt;
}

bool TemporaryRevision::Remove() {
  const std::string path = Path();
  const bool writable = !platform::FileExists(path) || platform::SetReadOnly(path, false);
  platform::DeleteFile(path);
  return writable;
}

}  // namespace tarn::dorn
