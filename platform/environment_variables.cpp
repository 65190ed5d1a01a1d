#include "platform/environment_variables.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/paths.h"

namespace tarn::platform {

namespace {

std::string& ProgramDirectoryOverride() {
  static std::string directory;
  return directory;
}

std::optional<std::string> NonEmptyVariable(std::string_view name) {
  std::optional<std::string> value = GetEnvironmentVariable(name);
  if (value && value->empty()) return std::nullopt;
  return value;
}

// The running program's own path, as the kernel knows it.
std::string OwnExecutablePath() {
  std::vector<char> buffer(256);
  while (true) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return std::string();
    if (static_cast<std::size_t>(length) < buffer.size()) {
      return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::optional<std::string> GetEnvironmentVariable(std::string_view name) {
  if (name.empty() || name.find('=') != std::string_view::npos) return std::nullopt;
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::string TemporaryDirectory() {
  std::optional<std::string> directory = NonEmptyVariable("TEMP");
  if (!directory) directory = NonEmptyVariable("TMPDIR");
  if (!directory) return std::string("/tmp/");
  return WithTrailingSeparator(*directory);
}

std::string ProgramDirectory() {
  const std::string& chosen = ProgramDirectoryOverride();
  if (!chosen.empty()) return chosen;
  const std::string directory = DirectoryPart(OwnExecutablePath());
  if (directory.empty()) return std::string(1, kPathSeparator);
  return directory;
}

void SetProgramDirectory(std::string directory) {
  ProgramDirectoryOverride() =
      directory.empty() ? std::string() : WithTrailingSeparator(FullPathName(directory));
}

}  // namespace tarn::platform
