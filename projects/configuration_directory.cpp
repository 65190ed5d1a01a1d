#include "projects/configuration_directory.h"

#include <optional>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "platform/environment_variables.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

constexpr std::string_view kOwnSubdirectory = "tarn";

// A variable set to "" counts as not set: it would name the current
// directory, wherever the program happens to run.
std::optional<std::string> NonEmptyVariable(std::string_view name) {
  std::optional<std::string> value = platform::GetEnvironmentVariable(name);
  if (value && value->empty()) return std::nullopt;
  return value;
}

std::string UserConfigurationDirectory() {
  if (std::optional<std::string> xdg = NonEmptyVariable("XDG_CONFIG_HOME")) {
    return platform::WithTrailingSeparator(*xdg) + std::string(kOwnSubdirectory);
  }
  const std::string home =
      NonEmptyVariable("HOME").value_or(std::string(1, platform::kPathSeparator));
  return platform::WithTrailingSeparator(home) + ".config" + platform::kPathSeparator +
         std::string(kOwnSubdirectory);
}

// The seven programs live in <prefix>/libexec/tarn/, tarn in <prefix>/bin/:
// one installation, so one program directory for its configuration.
constexpr std::string_view kLibexecDirectory = "/libexec/tarn/";
constexpr std::string_view kFromLibexecToBin = "../../bin/";

// The installation's program directory (where tarn is) when it holds
// dorn.ini: a team's shared installation.
std::optional<std::string> InstallationDirectory() {
  std::string directory = platform::WithTrailingSeparator(platform::ProgramDirectory());
  if (directory.ends_with(kLibexecDirectory)) {
    directory = platform::WithTrailingSeparator(
        platform::FullPathName(directory + std::string(kFromLibexecToBin)));
  }
  if (platform::FileExists(directory + std::string(kSystemIniFileName))) return directory;
  return std::nullopt;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string ConfigurationDirectory() {
  if (std::optional<std::string> own =
          NonEmptyVariable(MessageText(msg::kEnvConfigDirectory.number))) {
    return platform::WithTrailingSeparator(platform::FullPathName(*own));
  }
  if (std::optional<std::string> installation = InstallationDirectory()) return *installation;
  return platform::WithTrailingSeparator(platform::FullPathName(UserConfigurationDirectory()));
}

std::string UserIniFileName(std::string_view user_name) { return std::string(user_name) + ".ini"; }

bool IsSystemIniFileName(std::string_view name) {
  if (name.size() != kSystemIniFileName.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (LowerAscii(name[i]) != kSystemIniFileName[i]) return false;
  }
  return true;
}

bool MakeConfigurationDirectory(const std::string& directory) {
  const std::string full = platform::FullPathName(directory);
  if (full.empty()) return false;
  if (platform::DirectoryExists(full)) return true;
  std::string made;
  std::size_t start = 0;
  while (start < full.size()) {
    std::size_t end = full.find(platform::kPathSeparator, start + 1);
    if (end == std::string::npos) end = full.size();
    made = full.substr(0, end);
    if (!made.empty() && !platform::CreateDirectory(made)) return false;
    start = end;
  }
  return platform::DirectoryExists(full);
}

}  // namespace tarn
