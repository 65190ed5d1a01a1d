#include "platform/installed_files.h"

#include <array>

#include "platform/environment_variables.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn::platform {

namespace {

// Relative to the program's directory: beside it, the prefix's share/tarn/
// seen from bin/, and the same seen from libexec/tarn/.
constexpr std::array<std::string_view, 3> kSearchOrder = {"", "../share/tarn/",
                                                          "../../share/tarn/"};

}  // namespace

std::string InstalledFileDirectory(std::string_view file_name) {
  const std::string program_directory = ProgramDirectory();
  for (const std::string_view relative : kSearchOrder) {
    std::string directory = program_directory;
    directory += relative;
    std::string path = directory;
    path += file_name;
    if (FileExists(path)) return WithTrailingSeparator(FullPathName(directory));
  }
  return program_directory;
}

std::string InstalledFilePath(std::string_view file_name) {
  std::string path = InstalledFileDirectory(file_name);
  path += file_name;
  return path;
}

}  // namespace tarn::platform
