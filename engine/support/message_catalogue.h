// The numbered message catalogue (the file tarnMsgF).
//
// Every text the system shows and every word it recognises on a command line
// is a catalogue entry, looked up by number. The catalogue is loaded once at
// start-up and lives until FreeMessages.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// The first line every catalogue file must carry, letter for letter.
extern const std::string_view kCatalogueBanner;

inline constexpr std::string_view kCatalogueFileName = "tarnMsgF";

// Loads the catalogue `file_name` from `directory` (empty: the file name
// alone). Problems are reported on standard error with `program_name` as
// prefix. Returns 1, or -1 on a fatal error.
int LoadMessageFile(std::string_view program_name, std::string_view file_name,
                    std::string_view directory);

// The text of message `number`; never fails. Escapes (\n, \t, ...) are
// converted on first lookup.
const char* MessageText(int number);

// The highest message number of the loaded catalogue (-1 when none).
int MaxMessageNumber();

void FreeMessages();

// Field `n` (from 0) of a comma-separated list such as a modifier list,
// counting only non-empty fields; message 26's text when there is no such
// field.
std::string ListField(std::string_view list, int n);

// Compares a word with a catalogue word, ASCII letter case ignored.
bool EqualsWord(std::string_view text, int number);

}  // namespace tarn
