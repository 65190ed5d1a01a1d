// The usage listing that every command prints after rejecting its command
// line.
//
// The listing is a text file beside the programs named after the program
// label (tget.usa, tput.usa, ...), so that it can be changed together with the
// catalogue's option words without rebuilding anything.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace tarn {

inline constexpr std::string_view kUsageFileExtension = ".usa";
// Lines of the usage text shown between two pauses.
inline constexpr int kUsageLinesPerPage = 23;

// How the listing lets its reader keep up. Prompts are shown and keys waited
// for only when `enabled`; scripts, pipes and the desktop front end must never
// hang on a key nobody can press.
struct UsagePause {
  bool enabled = false;
  std::function<void()> wait_for_key;
};

// Waits only when standard input is a terminal.
UsagePause ConsoleUsagePause();

// The usage file of a program label, <label>.usa, where the programs'
// installed files are found (platform/installed_files.h).
std::string UsageFilePath(std::string_view program_label);

// The stream PrintUsage writes to: standard output unless a program sends
// the listing after a refused command line to standard error (tarn does, so
// that a script's output holds only results). Null restores standard output.
void SetUsageStream(std::FILE* stream);

// A program a person types (tarn, the seven command programs) answers a
// refused command line with the refusal and a pointer to the command's help
// in place of the whole usage text, which would scroll the refusal away:
// `help_command` gives the command that lists the usage of a program label
// ("tarn help get"); where it gives an empty text, the usage is listed.
// Null (the default) lists the usage every time.
using UsagePointer = std::function<std::string(std::string_view program_label)>;
void SetUsagePointer(UsagePointer help_command);

// Prints the usage text of `program_label` to standard output, or the
// pointer to it (above). With more than one argument on the rejected command
// line, the reader first gets a chance to read the refusal just reported.
void PrintUsage(std::string_view program_label, int argument_count);

// The same with its surroundings made explicit (the listing's file, the
// stream and the pause), for callers that have their own. A
// `synopsis_command` replaces the command word at the start of each line of
// the synopsis (the lines before the first empty one): the usage texts name
// the command programs, and tarn shows its own subcommand there.
void PrintUsageFrom(const std::string& usage_path, std::string_view program_label,
                    int argument_count, std::FILE* out, const UsagePause& pause,
                    std::string_view synopsis_command = {});

}  // namespace tarn
