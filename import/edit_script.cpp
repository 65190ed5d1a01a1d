#include "import/edit_script.h"

#include <charconv>
#include <vector>

namespace tarn::rcs {

namespace {

// Splits a text into its lines, each with its newline (the last perhaps
// without).
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t newline = text.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

struct Command {
  char kind = 0;  // 'a' or 'd'
  long line = 0;
  long count = 0;
};

bool ParseCount(std::string_view text, long& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty() &&
         text.front() != '-';
}

// "a12 3\n" or "d4 1\n" (the newline is part of the line given).
bool ParseCommand(std::string_view text, Command& command) {
  if (text.empty() || text.back() != '\n') return false;
  text.remove_suffix(1);
  if (text.size() < 4 || (text.front() != 'a' && text.front() != 'd')) return false;
  command.kind = text.front();
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return false;
  return ParseCount(text.substr(1, blank - 1), command.line) &&
         ParseCount(text.substr(blank + 1), command.count) && command.count > 0;
}

}  // namespace

std::variant<std::string, ScriptFault> ApplyEditScript(std::string_view source,
                                                       std::string_view script) {
  const std::vector<std::string_view> from = Lines(source);
  const std::vector<std::string_view> commands = Lines(script);
  const auto source_lines = static_cast<long>(from.size());
  std::string target;
  target.reserve(source.size() + script.size());
  long copied = 0;  // source lines dealt with so far
  auto copy_up_to = [&](long line) {
    for (; copied < line; ++copied) target.append(from[static_cast<std::size_t>(copied)]);
  };
  std::size_t at = 0;
  while (at < commands.size()) {
    const int script_line = static_cast<int>(at) + 1;
    Command command;
    if (!ParseCommand(commands[at], command)) return ScriptFault{script_line};
    ++at;
    if (command.kind == 'd') {
      // Deletes lines line .. line + count - 1.
      if (command.line < 1 || command.line - 1 < copied ||
          command.count > source_lines - (command.line - 1)) {
        return ScriptFault{script_line};
      }
      copy_up_to(command.line - 1);
      copied += command.count;
    } else {
      // Adds after line `line` (0: in front of the first).
      if (command.line < copied || command.line > source_lines) return ScriptFault{script_line};
      if (command.count > static_cast<long>(commands.size() - at)) return ScriptFault{script_line};
      copy_up_to(command.line);
      for (long i = 0; i < command.count; ++i) target.append(commands[at++]);
    }
  }
  copy_up_to(source_lines);
  return target;
}

}  // namespace tarn::rcs
