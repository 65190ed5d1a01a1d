// Starting external programs (the compare and viewer commands) and waiting
// for them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::platform {

// Splits a command line into words as a POSIX shell does, without any
// expansion: blanks (space, tab, line feed) separate words; '...' keeps
// everything inside as it stands; "..." keeps blanks and quotes, and a
// backslash in it escapes only \ " $ ` and a line feed; outside quotes a
// backslash makes the next character ordinary (a backslash before a line
// feed removes both). "" and '' make an empty word. An unclosed quote runs to
// the end of the line; a final lone backslash stays itself.
std::vector<std::string> SplitCommandLine(std::string_view line);

// A number for naming private files: random where the system gives random
// bytes, mixed with a per-process counter and the process id, so that two
// calls never give the same number within a process and processes hardly
// ever meet. Names made from it are still created exclusively.
std::uint64_t UniqueNumber();

// Runs the program named by the first word of `command_line` (looked up in
// PATH when it holds no separator) with the other words as its arguments,
// without a shell, inheriting the standard streams, and waits for it.
// Returns its exit status, 128 + the signal number when a signal ended it,
// and -1 when it could not be started (empty line, program not found).
int RunProgram(std::string_view command_line);

// Runs the program `words` names (looked up in PATH) with the other words as
// its arguments, without a shell, reading nothing (standard input is the
// null device) and collecting its standard output into `output`; standard
// error is inherited. Returns as RunProgram does.
int RunProgramForOutput(std::span<const std::string> words, std::string& output);

}  // namespace tarn::platform
