#include "engine/commands/command_options.h"

#include <algorithm>
#include <array>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "engine/support/lock_messages.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

using enum OptionValue;

constexpr CommandOption kGetOptions[] = {
    {&msg::kOptionLock, kNone},
    {&msg::kOptionNewerOnly, kNone},
    {&msg::kOptionSet, kNext},
    {&msg::kOptionRevision, kNext},
    {&msg::kOptionLabel, kNext},
    {&msg::kOptionDate, kNext},
    {&msg::kOptionOutput, kNext},
    {&msg::kOptionStandardOutput, kNone},
    {&msg::kOptionTimestamp, kAttached},
    {&msg::kWordYes, kNone},
    {&msg::kWordNo, kNone},
    {&msg::kWordKeep, kNone},
    {&msg::kOptionQuiet, kNone},
};

constexpr CommandOption kPutOptions[] = {
    {&msg::kOptionText, kNext},      {&msg::kOptionLock, kNone},     {&msg::kOptionRevision, kNext},
    {&msg::kOptionNewBranch, kNone}, {&msg::kOptionWorkfile, kNext}, {&msg::kOptionSet, kNext},
    {&msg::kOptionCreate, kNone},    {&msg::kWordYes, kNone},        {&msg::kWordNo, kNone},
    {&msg::kWordKeep, kNone},        {&msg::kOptionQuiet, kNone},
};

constexpr CommandOption kLockOptions[] = {
    {&msg::kOptionRevision, kNext},
    {&msg::kOptionQuiet, kNone},
};

// Unlock also breaks a lock file by hand.
constexpr CommandOption kUnlockOptions[] = {
    {&msg::kOptionRevision, kNext},
    {&msg::kOptionQuiet, kNone},
    {&msg::kOptionBreak, kNone},
};

constexpr CommandOption kLabelOptions[] = {
    {&msg::kOptionLabel, kNext}, {&msg::kOptionRevision, kNext}, {&msg::kOptionCopyLabel, kNext},
    {&msg::kWordYes, kNone},     {&msg::kWordNo, kNone},         {&msg::kWordKeep, kNone},
    {&msg::kOptionQuiet, kNone},
};

constexpr CommandOption kUnlabelOptions[] = {
    {&msg::kOptionLabel, kNext},
    {&msg::kOptionQuiet, kNone},
};

constexpr CommandOption kHeaderOptions[] = {
    {&msg::kOptionAccessList, kNone},    {&msg::kOptionCommentPrefix, kNone},
    {&msg::kOptionDescription, kNone},   {&msg::kOptionAddUsers, kNone},
    {&msg::kOptionOwner, kNone},         {&msg::kOptionRenameLabel, kNext},
    {&msg::kOptionDefaultBranch, kNext}, {&msg::kOptionText, kNext},
    {&msg::kOptionSet, kNext},           {&msg::kOptionQuiet, kNone},
};

constexpr std::array<EngineCommandOptions, 7> kEngineCommands = {{
    {"tget", "get", kGetOptions},
    {"tput", "put", kPutOptions},
    {"tlock", "lock", kLockOptions},
    {"tunlock", "unlock", kUnlockOptions},
    {"tstamp", "label", kLabelOptions},
    {"tunstamp", "unlabel", kUnlabelOptions},
    {"tmh", "header", kHeaderOptions},
}};

const EngineCommandOptions* FindCommand(std::string_view word) {
  for (const EngineCommandOptions& command : kEngineCommands) {
    if (command.word == word) return &command;
  }
  return nullptr;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = LowerAscii(c);
  return lowered;
}

// The number of letters to insert, delete, change or swap with their
// neighbour to turn `a` into `b` (two letters typed the wrong way round are
// one slip, not two).
std::size_t EditDistance(std::string_view a, std::string_view b) {
  const std::size_t width = b.size() + 1;
  std::vector<std::size_t> table((a.size() + 1) * width);
  const auto at = [&](std::size_t i, std::size_t j) -> std::size_t& {
    return table[i * width + j];
  };
  for (std::size_t i = 0; i <= a.size(); ++i) at(i, 0) = i;
  for (std::size_t j = 0; j <= b.size(); ++j) at(0, j) = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t change = at(i - 1, j - 1) + (a[i - 1] == b[j - 1] ? 0 : 1);
      at(i, j) = std::min({change, at(i - 1, j) + 1, at(i, j - 1) + 1});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
      }
    }
  }
  return at(a.size(), b.size());
}

// How many slips a word of `length` letters may carry and still be what was
// meant: none in a word of one or two letters, else a third of them.
std::size_t SlipsAllowed(std::size_t length) {
  return length < 3 ? 0 : std::max<std::size_t>(1, length / 3);
}

// The word text (what follows the '-', up to an '=').
std::string_view OptionText(std::string_view argument) {
  if (!argument.empty() && argument.front() == '-') argument.remove_prefix(1);
  return argument.substr(0, argument.find('='));
}

}  // namespace

std::span<const EngineCommandOptions> AllEngineCommandOptions() { return kEngineCommands; }

std::span<const CommandOption> OptionsOfCommand(std::string_view word) {
  const EngineCommandOptions* command = FindCommand(word);
  return command != nullptr ? command->options : std::span<const CommandOption>();
}

std::string_view SubcommandOfCommand(std::string_view word) {
  const EngineCommandOptions* command = FindCommand(word);
  return command != nullptr ? command->subcommand : std::string_view();
}

std::string HelpCommandOf(std::string_view program_label) {
  constexpr std::string_view kTarn = "tarn";
  std::string help(kTarn);
  help += " help";
  const std::string_view subcommand = SubcommandOfCommand(program_label);
  if (!subcommand.empty()) return help + " " + std::string(subcommand);
  if (program_label == kTarn) return help;
  if (program_label.starts_with(kTarn) && program_label.size() > kTarn.size() + 1 &&
      program_label[kTarn.size()] == ' ') {
    return help + std::string(program_label.substr(kTarn.size()));
  }
  return {};
}

const CommandOption* FindCommandOption(std::span<const CommandOption> options,
                                       std::string_view argument) {
  if (argument.empty() || argument.front() != '-') return nullptr;
  const std::string_view whole = argument.substr(1);
  for (const CommandOption& option : options) {
    const std::string_view text =
        option.value == OptionValue::kAttached ? OptionText(argument) : whole;
    if (EqualsWord(text, option.word->number)) return &option;
  }
  return nullptr;
}

std::optional<std::string> NearestWord(std::span<const std::string> words, std::string_view text) {
  const std::string typed = Lowered(text);
  if (typed.empty()) return std::nullopt;
  std::optional<std::string> nearest;
  std::size_t best = 0;
  for (const std::string& word : words) {
    const std::string candidate = Lowered(word);
    if (candidate.empty()) continue;
    const std::size_t distance =
        candidate.starts_with(typed) && typed.size() >= 2 ? 0 : EditDistance(typed, candidate);
    if (distance > SlipsAllowed(candidate.size())) continue;
    if (!nearest || distance < best) {
      nearest = word;
      best = distance;
    }
  }
  return nearest;
}

std::optional<std::string> NearestOptionWord(std::span<const CommandOption> options,
                                             std::string_view argument) {
  std::vector<std::string> words;
  for (const CommandOption& option : options) words.emplace_back(MessageText(option.word->number));
  return NearestWord(words, OptionText(argument));
}

void ReportUnknownOption(std::span<const CommandOption> options, std::string_view argument) {
  Report(kAlert, msg::kUnknownOption, argument);
  if (const std::optional<std::string> nearest = NearestOptionWord(options, argument)) {
    Report(kAlert, msg::kNearestOption, std::string_view(*nearest));
  }
}

}  // namespace tarn
