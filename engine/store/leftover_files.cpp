#include "engine/store/leftover_files.h"

#include <cerrno>

#include "engine/store/disk_names.h"
#include "engine/support/report.h"
#include "platform/file_system.h"

namespace tarn {

void RemoveLeftoverFiles(const std::string& logfilePath, const std::string& token) {
  if (token.empty()) return;  // an untagged name proves nothing
  const std::string leftovers[] = {
      ReplacementFileName(logfilePath, token),
      BackupFileName(logfilePath, BackupName::kFirstCharacterReplaced, token),
      BackupFileName(logfilePath, BackupName::kUnderscoreInFront, token),
  };
  for (const std::string& path : leftovers) {
    if (!platform::DeleteFile(path) && errno != ENOENT) {
      ReportSystemFailure(msg::kLeftoverNotRemoved, path);
    }
  }
}

}  // namespace tarn
