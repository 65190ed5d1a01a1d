#include "engine/store/name_collisions.h"

#include <array>
#include <utility>

#include "engine/store/disk_names.h"

namespace tarn {

std::optional<std::string> CollidingName(const std::string& logfile_path) {
  DiskNames disk = DiskNamesOfLogfile(logfile_path);
  const std::array<std::string, 5> names = {
      std::move(disk.logfile),     std::move(disk.lockFile),      std::move(disk.replacement),
      std::move(disk.backup),      std::move(disk.removalBackup),
  };
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = i + 1; j < names.size(); ++j) {
      if (names[i] == names[j]) return names[j];
    }
  }
  return std::nullopt;
}

}  // namespace tarn
