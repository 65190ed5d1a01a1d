#include "engine/support/message_catalogue.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/support/line_pieces.h"
#include "engine/support/messages.h"

namespace tarn {

const std::string_view kCatalogueBanner = "TARN message catalogue -- (c) the TARN developers";

namespace {

constexpr std::size_t kMaxPathLength = 259;
constexpr std::size_t kLineReaderSize = 512;
constexpr std::size_t kLongTextWarning = 256;
constexpr long kLargestMaxNumber = 100000;

struct Entry {
  std::string text;
  bool converted = false;
};

struct Catalogue {
  bool loaded = false;
  std::vector<std::unique_ptr<Entry>> entries;  // index = message number
};

Catalogue& TheCatalogue() {
  static Catalogue catalogue;
  return catalogue;
}


// Reads a leading decimal number as "%d" does (blanks, sign, digits).
bool LeadingNumber(std::string_view text, long& value) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
  if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') return false;
  long number = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    number = number > 100000000 ? number : number * 10 + (text[pos] - '0');
    ++pos;
  }
  value = negative ? -number : number;
  return true;
}

std::string CataloguePath(std::string_view file_name, std::string_view directory) {
  std::string path(directory);
  if (!path.empty() && path.back() != '/') path += '/';
  path += file_name;
  return path;
}

char EscapeReplacement(char c) {
  switch (c) {
    case 'a':
      return '\a';
    case 'b':
      return '\b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    case 'v':
      return '\v';
    default:
      return c;
  }
}

// Each backslash becomes a blank and the character behind it its control
// character. A trailing backslash just becomes a blank.
void ConvertEscapes(std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') continue;
    text[i] = ' ';
    if (i + 1 < text.size()) {
      text[i + 1] = EscapeReplacement(text[i + 1]);
      ++i;
    }
  }
}

void Warn(std::string_view program, const char* what, int line) {
  std::fprintf(stderr, "%.*s -- %s at line %d\n", static_cast<int>(program.size()), program.data(),
               what, line);
}

void WarnMessage(std::string_view program, const char* what, long number, int line) {
  std::fprintf(stderr, "%.*s -- %s for message %ld at line %d\n", static_cast<int>(program.size()),
               program.data(), what, number, line);
}

// Handles one message line; `current` is the number last defined. Returns
// false only when memory for the text runs out.
bool ReadMessageLine(std::string_view program, const std::string& line, int line_number,
                     long max_number, long& current, Catalogue& catalogue) {
  if (!line.empty() && line[0] == ';') return true;
  const std::size_t first_comma = line.find(',');
  if (first_comma == std::string::npos) return true;
  const std::size_t second_comma = line.find(',', first_comma + 1);
  if (second_comma == std::string::npos) {
    Warn(program, "invalid line format", line_number);
    return true;
  }
  long number = 0;
  if (LeadingNumber(std::string_view(line).substr(0, first_comma), number)) {
    if (number > max_number) {
      Warn(program, "Message number too large", line_number);
      return true;
    }
    // A negative number names no entry at all.
    if (number < 0) {
      Warn(program, "invalid line format", line_number);
      return true;
    }
    current = number;
  } else if (current < max_number) {
    ++current;
  }
  const std::size_t open = line.find('<', second_comma + 1);
  if (open == std::string::npos) {
    WarnMessage(program, "invalid message format", current, line_number);
    return true;
  }
  const std::size_t close = line.rfind('>');
  if (close == std::string::npos || close < open) {
    WarnMessage(program, "no message string", current, line_number);
    return true;
  }
  const std::size_t length = close - open - 1;
  if (length + 1 > kLongTextWarning) {
    WarnMessage(program, "message may be too long", current, line_number);
  }
  try {
    auto entry = std::make_unique<Entry>();
    entry->text = line.substr(open + 1, length);
    catalogue.entries[static_cast<std::size_t>(current)] = std::move(entry);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

int LoadMessageFile(std::string_view program_name, std::string_view file_name,
                    std::string_view directory) {
  const std::string prefix(program_name);
  const std::string path = CataloguePath(file_name, directory);
  // Only a regular file is read (a FIFO or device here would hang the
  // program), its lines as a 512-byte line reader does: at most 511 bytes, the
  // line end kept.
  std::optional<LinePieces> file;
  if (path.size() <= kMaxPathLength) file = LinePieces::Read(path, kLineReaderSize);
  if (!file) {
    std::fprintf(stderr, "%s -- failed to open message file: '%s'\n", prefix.c_str(), path.c_str());
    return -1;
  }
  std::string line;
  if (!file->Next(line)) {
    std::fprintf(stderr, "%s -- failed to read 1st line of %s message file\n", prefix.c_str(),
                 path.c_str());
    return -1;
  }
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (const std::size_t cr = line.rfind('\r'); cr != std::string::npos) line.resize(cr);
  if (line != kCatalogueBanner) {
    std::fprintf(stderr, "%s -- missing copyright as first line of message file\n%s\n",
                 prefix.c_str(), std::string(kCatalogueBanner).c_str());
    return -1;
  }
  if (!file->Next(line)) {
    std::fprintf(stderr, "%s -- missing 2nd line in message file!\n", prefix.c_str());
    return -1;
  }
  long max_number = 0;
  if (!LeadingNumber(line, max_number) || max_number < 0) {
    std::fprintf(stderr, "%s -- failed to deduce maximum message number!\n", prefix.c_str());
    return -1;
  }
  // A number far beyond any catalogue is a damaged file; allocating its array
  // would only exhaust memory.
  if (max_number > kLargestMaxNumber) {
    std::fprintf(stderr, "%s -- failed to allocate memory for message array!\n", prefix.c_str());
    return -1;
  }
  FreeMessages();
  Catalogue& catalogue = TheCatalogue();
  catalogue.entries.resize(static_cast<std::size_t>(max_number) + 1);
  catalogue.loaded = true;
  long current = 1;
  int line_number = 3;
  if (max_number > 1) {
    while (current < max_number && file->Next(line)) {
      if (!ReadMessageLine(program_name, line, line_number, max_number, current, catalogue)) {
        std::fprintf(stderr, "%s -- memory allocation failure for message %ld at line %d\n",
                     prefix.c_str(), current, line_number);
        return -1;
      }
      ++line_number;
    }
  }
  return 1;
}

const char* MessageText(int number) {
  Catalogue& catalogue = TheCatalogue();
  if (number < 0 || static_cast<std::size_t>(number) >= catalogue.entries.size()) {
    return "Message ID too large";
  }
  Entry* entry = catalogue.entries[static_cast<std::size_t>(number)].get();
  if (entry == nullptr) return "Message not defined!!";
  if (!entry->converted) {
    ConvertEscapes(entry->text);
    entry->converted = true;
  }
  return entry->text.c_str();
}

int MaxMessageNumber() {
  const Catalogue& catalogue = TheCatalogue();
  return catalogue.loaded ? static_cast<int>(catalogue.entries.size()) - 1 : -1;
}

void FreeMessages() {
  Catalogue& catalogue = TheCatalogue();
  catalogue.entries.clear();
  catalogue.entries.shrink_to_fit();
  catalogue.loaded = false;
}

std::string ListField(std::string_view list, int n) {
  // Empty fields (",," or a leading or trailing comma) are not counted: user
  // indexes stored in logfiles count only the names that are there.
  int field = 0;
  std::size_t start = 0;
  while (n >= 0 && start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) comma = list.size();
    if (comma > start) {
      if (field == n) return std::string(list.substr(start, comma - start));
      ++field;
    }
    start = comma + 1;
  }
  return MessageText(msg::kUnknownListField.number);
}

bool EqualsWord(std::string_view text, int number) {
  const std::string_view word = MessageText(number);
  if (word.size() != text.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(word[i]) != lower(text[i])) return false;
  }
  return true;
}

}  // namespace tarn
