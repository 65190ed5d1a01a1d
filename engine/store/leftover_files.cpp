#include "engine/store/leftover_files.h"

#include <cerrno>

#include "engine/store/logfile_replace.h"
#include "engine/store/logfile_rewrite.h"
#include "engine/support/report.h"
#include "platform/file_system.h"

namespace tarn {

void RemoveLeftoverFiles(const std::string& logfilePath) {
  const std::string leftovers[] = {
      ReplacementFileName(logfilePath),
      BackupFileName(logfilePath, BackupName::kFirstCharacterReplaced),
      BackupFileName(logfilePath, BackupName::kUnderscoreInFront),
  };
  for (const std::string& path : leftovers) {
    if (!platform::FileExists(path)) continue;
    if (!platform::DeleteFile(path) && errno != ENOENT) {
      ReportSystemFailure(msg::kLeftoverNotRemoved, path);
    }
  }
}

}  // namespace tarn
