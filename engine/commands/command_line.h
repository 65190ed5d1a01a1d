// Pieces shared by the engine's command-line parsers (get, check-in, lock,
// unlock, label, remove label, modify header).
//
// A command line is an argument vector whose argument 0 is the command word;
// the parsers start at argument 1. An argument is an option when it begins
// with '-'; the text after the '-' is compared with a catalogue word, letter
// case ignored, so a command line only means something together with the
// catalogue it was built from. Every refusal is reported here, where it is
// found, as a catalogue message; the parser then ends with RefuseCommandLine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/commands/command_options.h"
#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "engine/support/message_id.h"
#include "engine/support/messages.h"

namespace tarn {

// The argument vector of one command; argument 0 is the command word.
using CommandArguments = std::span<const std::string>;

// Walks an argument vector from argument 1. Options that take a value move
// the cursor onto their value, so that Next() after them goes on behind it.
class ArgumentCursor {
 public:
  explicit ArgumentCursor(CommandArguments arguments) : arguments_(arguments) {}

  bool AtEnd() const { return index_ >= arguments_.size(); }
  // The argument under the cursor; only valid while not AtEnd().
  const std::string& Current() const { return arguments_[index_]; }
  void Next() { ++index_; }
  // Moves onto the argument after the current one and returns it; null (the
  // cursor left where it was) when there is none.
  const std::string* TakeValue();
  // True when another argument follows the current one.
  bool HasValue() const { return index_ + 1 < arguments_.size(); }
  std::size_t Index() const { return index_; }

 private:
  CommandArguments arguments_;
  std::size_t index_ = 1;
};

// True when `argument` is an option: it begins with '-'.
bool IsOption(std::string_view argument);

// True when `argument` is '-' followed by the catalogue word `word`, letter
// case ignored.
bool IsOptionWord(std::string_view argument, const MessageId& word);

// The catalogue word of an option, as the echo and the messages show it.
std::string_view OptionWord(const MessageId& word);

// Marks an option that may be given once. When it was given already,
// reports message 141 with the option word and returns false.
bool MarkOptionOnce(bool& seen, const MessageId& word);

// Takes a non-option argument as the command's file name. A second one draws
// message 142 with the first name and returns false, unless a
// FileNameCollector is in place.
bool TakeFileName(const std::string& argument, std::optional<std::string>& file_name);

// Several files on one command line, for a program that runs the command
// once per file (tarn): while a collector exists, TakeFileName accepts every
// name, the first becoming the command's file name, and lists them all here
// in the order given. The options are parsed, checked and reported exactly
// as for one file. Collectors do not nest; only one may exist at a time.
class FileNameCollector {
 public:
  FileNameCollector();
  ~FileNameCollector();
  FileNameCollector(const FileNameCollector&) = delete;
  FileNameCollector& operator=(const FileNameCollector&) = delete;

  const std::vector<std::string>& Names() const { return names_; }
  void Add(const std::string& name) { names_.push_back(name); }

 private:
  std::vector<std::string> names_;
};

// ---------------------------------------------------------------------------
// Attribute overrides: NAME=VALUE, names the catalogue's attribute words
// (entries 5 to 12), values its words for yes and no (29, 18).

inline constexpr std::uint16_t kAllAttributes = kLogfileAttributeBits;

struct AttributeOverride {
  std::uint16_t mask = 0;    // attributes the command line named
  std::uint16_t values = 0;  // of those, the ones set to yes

  // `attributes` with the named bits replaced by the command line's values.
  std::uint16_t ApplyTo(std::uint16_t attributes) const {
    return static_cast<std::uint16_t>((attributes & ~mask) | (values & mask));
  }
  bool operator==(const AttributeOverride&) const = default;
};

// Parses the value of the attribute option into `result`. The value is one
// NAME=VALUE pair or several separated by commas. Faults in a pair are
// reported (120 no '=', 121 a value other than yes or no, 122 an unknown
// name, 123 a name outside `permitted`) and that pair is left out; the
// other pairs are still parsed, so that every fault is reported at once.
// False when any pair was faulty. A later pair for the same attribute
// replaces an earlier one.
bool ParseAttributeOverride(std::string_view text, std::uint16_t permitted,
                            AttributeOverride& result);

// Takes the attribute option's value from `cursor` and parses it as above.
// False when the value is missing (message 108) or any pair was faulty: a
// command that ran without the attribute the user meant would do something
// else than what was asked, so the command line is refused.
bool TakeAttributeOverride(ArgumentCursor& cursor, std::uint16_t permitted,
                           AttributeOverride& result);

// The catalogue word that names attribute `bit` (one of the eight bits), or
// null for anything else.
const MessageId* AttributeNameWord(std::uint16_t bit);

// ---------------------------------------------------------------------------
// Preset answers to a command's question: -yes, -no, or the word of entry 59
// (leave it, and say so).

// True when `argument` is one of the three answer options.
bool IsAnswerOption(std::string_view argument);

// Records the answer option `argument` as its word after the '-', upper-cased.
// A second answer draws message 100 with both words and returns false.
bool TakeAnswer(std::string_view argument, std::optional<std::string>& answer);

// True when the first character of `answer` is that of the word for yes,
// letter case ignored.
bool AnswerIsYes(std::string_view answer);

// True when `answer` is the word of entry 59, letter case ignored.
bool AnswerIsKeep(std::string_view answer);

// ---------------------------------------------------------------------------
// Label texts. An argument that begins with an apostrophe opens a quoted
// text, which runs over the following arguments, joined with single blanks,
// up to the argument that ends with an apostrophe; the two apostrophes are
// dropped. Any other argument is the text as it stands.

inline constexpr std::size_t kMaxLabelLength = 79;

// Reads a text starting at the cursor's current argument; on success the
// cursor stands on the last argument the text used. An unterminated quote
// draws message 179, a text longer than `limit` message 152 (with the
// limit); then the result is empty and the cursor is where it was.
std::optional<std::string> ReadQuotedText(ArgumentCursor& cursor,
                                          std::size_t limit = kMaxLabelLength);

// ---------------------------------------------------------------------------
// Revision arguments.

// True when an element of the descriptor in use has a wildcard flag.
bool HasWildcardElement(const tarnCommandRevDesc& descriptor);

// Parses `text` as one exact revision (or a branch, which names its newest
// revision). Refused, with the message reported: a range (it contains ':')
// 178, a text that is no revision number 131, too many elements 148 (by the
// revision parser), a wildcard element 132.
std::optional<tarnCommandRevDesc> ParseSingleRevisionArgument(std::string_view text);

// Reads `text` as a moment (date_reading.h); refused with message 901, which
// lists the forms accepted.
std::optional<std::int64_t> ReadDateOrReport(std::string_view text);

// ---------------------------------------------------------------------------

// Ends a refused command line: runs the usage report for the program label
// and returns -1, the parser's result.
int RefuseCommandLine(CommandArguments arguments);

// Walks the arguments through a command's line parser: an option outside
// the command's table `options` is refused here (with the nearest correct
// one), the quiet option is taken here for every command alike (into
// `quiet`), other options go to `parser.Option(cursor)`, everything else to
// `parser.FileName(text)`, and the line must end `parser.Complete()`. False
// at the first refusal.
template <class LineParser>
bool WalkCommandLine(CommandArguments arguments, std::span<const CommandOption> options,
                     LineParser& parser, bool& quiet) {
  bool quiet_seen = false;
  for (ArgumentCursor cursor(arguments); !cursor.AtEnd(); cursor.Next()) {
    const std::string& argument = cursor.Current();
    bool accepted = false;
    if (!IsOption(argument)) {
      accepted = parser.FileName(argument);
    } else if (FindCommandOption(options, argument) == nullptr) {
      ReportUnknownOption(options, argument);
    } else if (IsOptionWord(argument, msg::kOptionQuiet)) {
      accepted = MarkOptionOnce(quiet_seen, msg::kOptionQuiet);
      quiet = true;
    } else {
      accepted = parser.Option(cursor);
    }
    if (!accepted) return false;
  }
  return parser.Complete();
}

// A whole parse with `LineParser` (built on the command's record, which has
// a `quiet` field) for the command `command_word`: the record is cleared
// first, and again when the line is refused, in which case the usage report
// runs. 1 or -1.
template <class LineParser, class Args>
int ParseCommandLineWith(std::string_view command_word, CommandArguments arguments, Args& args) {
  args = Args{};
  LineParser parser(args);
  if (!WalkCommandLine(arguments, OptionsOfCommand(command_word), parser, args.quiet)) {
    args = Args{};
    return RefuseCommandLine(arguments);
  }
  args.fileName = *parser.file_name();
  return 1;
}

// Builds the command line that a command writes back into the journal: the
// program label followed by pieces in six formats.
class OptionEcho {
 public:
  OptionEcho();  // starts with the program label

  // " -%s": an option without a value.
  OptionEcho& Flag(const MessageId& word);
  // " -%s " then the revision number.
  OptionEcho& Revision(const MessageId& word, std::string_view number);
  // " -%s %s": an option and its value (a journal field: quoted when it
  // holds a separator or a line end).
  OptionEcho& Value(const MessageId& word, std::string_view value);
  // " -%s \"%s\"": an option and a label in double quotes (quotes and
  // control characters in it escaped).
  OptionEcho& QuotedLabel(const MessageId& word, std::string_view label);
  // " -%s %s=%s": the attribute option, the attribute's name and yes or no.
  OptionEcho& Attribute(std::uint16_t bit, bool in_effect);
  // Attribute() for every bit of `named`, in the order CheckLock,
  // DeleteWork, ExpandKeywords, ProtectLogFile, ProtectWorkFile, BinaryFile,
  // Compression, JournalFile; yes or no as `effective` has the bit.
  OptionEcho& Attributes(std::uint16_t named, std::uint16_t effective);
  // " %s": the file name, as a journal field.
  OptionEcho& FileName(std::string_view name);

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace tarn
