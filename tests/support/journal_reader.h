// Reading journal entries back, as a person's script would: fields split at
// the separator, a field in double quotes taken as one field with its
// escapes undone, a plain field taken as it stands. Both forms are read,
// so entries written before quoting existed read as well.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::testing {

// The text of a quoted field (with its quotes), its escapes undone; nothing
// when it is not one well-formed quoted field.
std::optional<std::string> UnquoteJournalField(std::string_view quoted);

// The `count` fields of one entry line, the last taking the rest of the
// line as it stands; nothing when the line has fewer fields or a quoted
// field is not closed.
std::optional<std::vector<std::string>> SplitJournalLine(std::string_view line, std::size_t count);

// One entry: its first line's fields and the description lines that
// follow it (each indented by two blanks in the journal; without them here).
struct JournalEntry {
  std::vector<std::string> fields;
  std::vector<std::string> continuation;
};

// Every entry of a journal's text, entries having `count` fields; nothing
// when a line is neither an entry nor a continuation of one.
std::optional<std::vector<JournalEntry>> ReadJournalEntries(std::string_view text,
                                                            std::size_t count);

}  // namespace tarn::testing
