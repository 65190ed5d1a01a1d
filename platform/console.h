// Console input: single characters for the usage pause and the interactive
// description reader, whole lines for answers typed at the console.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarn::platform {

bool StandardInputIsTerminal();

// One character from standard input, as an unsigned byte value; -1 at end of
// input or on an error. From a terminal the character arrives as soon as it
// is typed and is not echoed (raw mode, restored before returning and when a
// signal ends the program meanwhile); the terminal's end-of-file character
// (Ctrl-D) counts as end of input. From a file or pipe it is a plain read.
int ReadConsoleCharacter();

// Writes all of `data` to standard output, unbuffered (flush any buffered
// stream output first). False, errno set, when the output refused it.
bool WriteStandardOutput(std::span<const std::uint8_t> data);

// One line from standard input without its line end (LF or CR LF); nothing
// at end of input before any character.
std::optional<std::string> ReadConsoleLine();

}  // namespace tarn::platform
