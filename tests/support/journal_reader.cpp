#include "tests/support/journal_reader.h"

#include <utility>

namespace tarn::testing {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The length of the quoted field at the start of `text` (quotes included);
// nothing when it is not closed.
std::optional<std::size_t> QuotedLength(std::string_view text) {
  for (std::size_t at = 1; at < text.size(); ++at) {
    if (text[at] == '\\') {
      ++at;
    } else if (text[at] == '"') {
      return at + 1;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> UnquoteJournalField(std::string_view quoted) {
  if (quoted.size() < 2 || quoted.front() != '"' || QuotedLength(quoted) != quoted.size()) {
    return std::nullopt;
  }
  std::string value;
  for (std::size_t at = 1; at + 1 < quoted.size(); ++at) {
    const char c = quoted[at];
    if (c != '\\') {
      value += c;
      continue;
    }
    const char escaped = quoted[++at];
    switch (escaped) {
      case 'n':
        value += '\n';
        break;
      case 'r':
        value += '\r';
        break;
      case 't':
        value += '\t';
        break;
      case 'x': {
        if (at + 3 >= quoted.size()) return std::nullopt;
        const int high = HexValue(quoted[at + 1]);
        const int low = HexValue(quoted[at + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        value += static_cast<char>(high * 16 + low);
        at += 2;
        break;
      }
      case '"':
      case '\\':
        value += escaped;
        break;
      default:
        return std::nullopt;
    }
  }
  return value;
}

std::optional<std::vector<std::string>> SplitJournalLine(std::string_view line, std::size_t count) {
  std::vector<std::string> fields;
  while (fields.size() + 1 < count) {
    std::size_t length = 0;
    if (!line.empty() && line.front() == '"') {
      const std::optional<std::size_t> quoted = QuotedLength(line);
      if (!quoted) return std::nullopt;
      length = *quoted;
      std::optional<std::string> value = UnquoteJournalField(line.substr(0, length));
      if (!value) return std::nullopt;
      fields.push_back(std::move(*value));
    } else {
      length = line.find(',');
      if (length == std::string_view::npos) return std::nullopt;
      fields.emplace_back(line.substr(0, length));
    }
    if (length >= line.size() || line[length] != ',') return std::nullopt;
    line.remove_prefix(length + 1);
  }
  fields.emplace_back(line);
  return fields;
}

std::optional<std::vector<JournalEntry>> ReadJournalEntries(std::string_view text,
                                                            std::size_t count) {
  std::vector<JournalEntry> entries;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with("  ")) {
      if (entries.empty()) return std::nullopt;
      entries.back().continuation.emplace_back(line.substr(2));
      continue;
    }
    std::optional<std::vector<std::string>> fields = SplitJournalLine(line, count);
    if (!fields) return std::nullopt;
    entries.push_back(JournalEntry{std::move(*fields), {}});
  }
  return entries;
}

}  // namespace tarn::testing
