#include "engine/store/logfile_identity.h"

#include <optional>

#include "engine/store/disk_names.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

bool SameFile(const std::string& a, const std::string& b) {
  if (platform::FullPathName(a) == platform::FullPathName(b)) return true;
  const std::optional<platform::FileIdentity> first = platform::IdentityOf(a);
  if (!first) return false;
  const std::optional<platform::FileIdentity> second = platform::IdentityOf(b);
  return second && *first == *second;
}

}  // namespace

bool NamesLogfileOrLockFile(const std::string& target, const std::string& logfilePath) {
  return SameFile(target, logfilePath) || SameFile(target, LockFileName(logfilePath));
}

}  // namespace tarn
