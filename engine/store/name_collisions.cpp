#include "engine/store/name_collisions.h"

#include <array>

#include "engine/store/logfile_names.h"
#include "engine/store/logfile_replace.h"
#include "engine/store/logfile_rewrite.h"

namespace tarn {

std::optional<std::string> CollidingName(const std::string& logfile_path) {
  const std::array<std::string, 5> names = {
      logfile_path,
      LockFileName(logfile_path),
      ReplacementFileName(logfile_path),
      BackupFileName(logfile_path, BackupName::kFirstCharacterReplaced),
      BackupFileName(logfile_path, BackupName::kUnderscoreInFront),
  };
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = i + 1; j < names.size(); ++j) {
      if (names[i] == names[j]) return names[j];
    }
  }
  return std::nullopt;
}

}  // namespace tarn
