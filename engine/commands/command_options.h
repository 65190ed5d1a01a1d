// The options of the engine's command lines, one table per command word.
//
// A parser refuses every option outside its command's table before it looks
// at it; the same tables give a mistyped option its nearest correct
// spelling, and tarn's completion its option words, so the three never
// disagree.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/support/message_id.h"

namespace tarn {

// How an option takes its value.
enum class OptionValue {
  kNone,      // -lock
  kNext,      // -rev 1.2: the value is the next argument
  kAttached,  // -t=now: the word alone, or the word, '=' and the value
};

struct CommandOption {
  const MessageId* word;  // the catalogue word after the '-'
  OptionValue value;
};

// One engine command: its word (tget, tput, ...), the tarn subcommand that
// runs it (get, put, ...) and its options.
struct EngineCommandOptions {
  std::string_view word;
  std::string_view subcommand;
  std::span<const CommandOption> options;
};

// Every engine command, in the order tarn lists them.
std::span<const EngineCommandOptions> AllEngineCommandOptions();

// The options of the command `word`; empty for a word that is no command.
std::span<const CommandOption> OptionsOfCommand(std::string_view word);

// The tarn subcommand of the command `word`; empty for a word that is no
// command.
std::string_view SubcommandOfCommand(std::string_view word);

// The command that lists the usage of a program label: "tarn help get" for
// the command word tget, "tarn help log" for the label "tarn log", "tarn
// help" for tarn itself; empty for any other label.
std::string HelpCommandOf(std::string_view program_label);

// The option of `options` that `argument` ('-' and a word, letter case
// ignored) names; null when it names none.
const CommandOption* FindCommandOption(std::span<const CommandOption> options,
                                       std::string_view argument);

// The option word of `options` nearest to what `argument` spells (letter
// case ignored), when one is close enough to be what was meant: at most a
// third of its letters wrong (a swap of two neighbours counting as one), or
// `argument` (two letters or more) a beginning of it.
std::optional<std::string> NearestOptionWord(std::span<const CommandOption> options,
                                             std::string_view argument);

// The same over any list of words, for command lines with tables of their
// own.
std::optional<std::string> NearestWord(std::span<const std::string> words, std::string_view text);

// Reports an option that `options` does not hold: the option, and on a
// second line the nearest correct one where there is one.
void ReportUnknownOption(std::span<const CommandOption> options, std::string_view argument);

}  // namespace tarn
