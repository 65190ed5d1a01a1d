#include "frontend/compare_and_view_commands.h"

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "platform/process.h"

namespace tarn::dorn {
namespace {

constexpr std::string_view kPlaceholder = "%s";

std::string Option(const MessageId& word) { return std::string(" -") + MessageText(word.number); }

}  // namespace

std::string RevisionIntoFileCommand(std::string_view file, std::string_view revision) {
  std::string command = "tget" + Option(msg::kOptionOutput) + " \"" + std::string(file) + "\"";
  command += Option(msg::kOptionQuiet);
  if (!revision.empty()) command += Option(msg::kOptionRevision) + " " + std::string(revision);
  return command;
}

bool IsValidCompareCommand(std::string_view command) {
  const std::size_t first = command.find(kPlaceholder);
  if (first == std::string_view::npos || first == 0) return false;
  return command.find(kPlaceholder, first + kPlaceholder.size()) != std::string_view::npos;
}

std::vector<std::string> CompareProgramWords(std::string_view command,
                                             const std::string& revisionFile,
                                             const std::string& workfile) {
  const std::string* fillings[] = {&revisionFile, &workfile};
  std::size_t filled = 0;
  std::vector<std::string> words = platform::SplitCommandLine(command);
  for (std::string& word : words) {
    std::size_t at = 0;
    while (filled < 2 && (at = word.find(kPlaceholder, at)) != std::string::npos) {
      word.replace(at, kPlaceholder.size(), *fillings[filled]);
      at += fillings[filled]->size();
      ++filled;
    }
  }
  return words;
}

std::vector<std::string> ViewerWords(std::string_view viewer, const std::string& file) {
  std::vector<std::string> words = platform::SplitCommandLine(viewer);
  if (!words.empty()) words.push_back(file);
  return words;
}

std::string ViewedExtension(std::string_view fileName) {
  const std::size_t tail = fileName.size() > 4 ? fileName.size() - 4 : 0;
  const std::size_t point = fileName.find('.', tail);
  return point == std::string_view::npos ? std::string() : std::string(fileName.substr(point));
}

}  // namespace tarn::dorn
