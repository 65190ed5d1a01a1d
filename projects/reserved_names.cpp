#include "projects/reserved_names.h"

#include <algorithm>
#include <array>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "projects/configuration_directory.h"

namespace tarn {

namespace {

constexpr std::array<int, 5> kSectionNames = {
    msg::kIniProjectList.number, msg::kIniDefaultProject.number, msg::kIniToolsSection.number,
    msg::kIniUsersSection.number, msg::kIniUserSection.number};

// Characters a file name of ours may not start with: hidden files, and the
// marks of the lock and temporary files beside each INI file.
constexpr std::string_view kNoFirstCharacter = ".$!";
// Nor hold anywhere: directories, INI lines.
constexpr std::string_view kNowhere = "/=";
// A file name's longest length, less the ".ini" it gets.
constexpr std::size_t kLongestName = 255 - 4;

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

}  // namespace

bool IsReservedProjectName(std::string_view name) {
  return std::any_of(kSectionNames.begin(), kSectionNames.end(),
                     [name](int number) { return EqualsWord(name, number); });
}

std::string ReservedProjectNames() {
  std::string names;
  for (const int number : kSectionNames) {
    if (!names.empty()) names += ", ";
    names += MessageText(number);
  }
  return names;
}

bool IsUsableUserName(std::string_view name) {
  if (name.empty() || name.size() > kLongestName) return false;
  if (kNoFirstCharacter.find(name.front()) != std::string_view::npos) return false;
  if (name.front() == '[' || name.front() == ';') return false;
  if (name.find_first_of(kNowhere) != std::string_view::npos) return false;
  if (std::any_of(name.begin(), name.end(), IsControl)) return false;
  // The user's INI file would be the system INI file.
  return !IsSystemIniFileName(UserIniFileName(name));
}

}  // namespace tarn
