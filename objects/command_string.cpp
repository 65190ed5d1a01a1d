#include "objects/command_string.h"

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"

namespace tarn {

namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// "-" and the catalogue's word for one of the two workfile options.
bool IsWorkfileOption(std::string_view token) {
  if (token.empty() || token.front() != '-') return false;
  token.remove_prefix(1);
  return EqualsWord(token, msg::kOptionWorkfile.number) ||
         EqualsWord(token, msg::kOptionOutput.number);
}

}  // namespace

std::vector<std::string> SplitCommandString(std::string_view text, std::string_view fileName) {
  std::vector<std::string> arguments;
  std::size_t position = 0;
  while (true) {
    std::size_t start = position;
    std::size_t end = std::string_view::npos;
    if (start < text.size() && text[start] == '"') {
      start = ++position;
      if (!arguments.empty() && IsWorkfileOption(arguments.back())) {
        end = text.find('"', start);
      } else {
        const std::size_t last = text.rfind('"');
        if (last != std::string_view::npos && last >= start) end = last;
      }
    } else {
      end = text.find(' ', start);
    }
    if (end == std::string_view::npos) {
      if (start < text.size()) arguments.emplace_back(text.substr(start));
      break;
    }
    arguments.emplace_back(text.substr(start, end - start));
    position = end + 1;
    while (position < text.size() && IsWhiteSpace(text[position])) ++position;
  }
  arguments.emplace_back(fileName);
  return arguments;
}

}  // namespace tarn
