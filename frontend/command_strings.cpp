#include "frontend/command_strings.h"

#include <array>
#include <cctype>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"

namespace tarn::dorn {
namespace {

std::string Word(const MessageId& message) { return MessageText(message.number); }

// " -word"
std::string Option(const MessageId& word) { return " -" + Word(word); }

std::string YesOrNo(bool yes) { return Word(yes ? msg::kWordYes : msg::kWordNo); }

// " -set Name=yes|no"
std::string AttributeOverride(const MessageId& name, bool yes) {
  return Option(msg::kOptionSet) + " " + Word(name) + "=" + YesOrNo(yes);
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string WritableOption(WritableChoice choice) {
  switch (choice) {
    case WritableChoice::kReplace:
      return Option(msg::kWordYes);
    case WritableChoice::kKeep:
      return Option(msg::kWordNo);
    case WritableChoice::kAsk:
      break;
  }
  return "";
}

std::string TimestampOption(TimestampChoice choice) {
  const MessageId& value = choice == TimestampChoice::kCheckinTime ? msg::kWordCheckinTime
                           : choice == TimestampChoice::kEditTime  ? msg::kWordEditTime
                                                                   : msg::kWordNow;
  return Option(msg::kOptionTimestamp) + "=" + Word(value);
}

// The parts the get and the check-out commands share, from the workfile to
// the expand-keywords override. Nothing when a label is wanted but empty.
std::optional<std::string> WorkfileAndRevision(const GetChoices& choices) {
  std::string command = Option(msg::kOptionOutput) + " " + Quoted(choices.workfile);
  command += Option(msg::kOptionQuiet);
  if (choices.byLabel) {
    if (choices.label.empty()) return std::nullopt;
    command += Option(msg::kOptionLabel) + " " + QuotedGetLabel(choices.label);
  } else if (!choices.revision.empty()) {
    command += Option(msg::kOptionRevision) + " " + choices.revision;
  }
  if (choices.expandKeywords != TriState::kUndetermined) {
    command += AttributeOverride(msg::kWordExpandKeywords,
                                 choices.expandKeywords == TriState::kChecked);
  }
  return command;
}

std::string RevisionOption(std::string_view revision) {
  return revision.empty() ? "" : Option(msg::kOptionRevision) + " " + std::string(revision);
}

// True when a label, enclosed in apostrophes and cut at its blanks by the
// command-line splitter, comes back from the get parser as it was.
bool SurvivesApostrophes(std::string_view label) {
  if (label.find('"') != std::string_view::npos) return false;
  if (label.front() == ' ' || label.back() == ' ') return false;
  if (label.find("  ") != std::string_view::npos) return false;
  // An inner word ending in an apostrophe would end the quoted text early.
  return label.find("' ") == std::string_view::npos;
}

}  // namespace

std::string RevisionOfEntry(std::string_view entry) {
  for (std::size_t i = 0; i < entry.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(entry[i]))) return std::string(entry.substr(i));
  }
  return "";
}

std::string QuotedGetLabel(std::string_view label) {
  if (label.empty() || label.front() == '\'' || SurvivesApostrophes(label)) {
    return "'" + std::string(label) + "'";
  }
  return Quoted(label);
}

std::optional<std::string> GetCommand(const GetChoices& choices) {
  std::optional<std::string> parts = WorkfileAndRevision(choices);
  if (!parts) return std::nullopt;
  std::string command = "tget " + *parts;
  if (choices.newerOnly) command += Option(msg::kOptionNewerOnly);
  if (choices.makeWritable != TriState::kUndetermined) {
    // Writable output is the protect-workfile attribute switched off.
    command += AttributeOverride(msg::kWordProtectWorkFile,
                                 choices.makeWritable == TriState::kClear);
  }
  command += WritableOption(choices.writable);
  command += TimestampOption(choices.timestamp);
  return command;
}

std::optional<std::string> CheckOutCommand(const GetChoices& choices) {
  std::optional<std::string> parts = WorkfileAndRevision(choices);
  if (!parts) return std::nullopt;
  std::string command = "tget -" + Word(msg::kOptionLock) + *parts;
  command += WritableOption(choices.writable);
  command += TimestampOption(choices.timestamp);
  return command;
}

std::string CheckInCommand(const CheckInChoices& choices) {
  std::string command = "tput" + Option(msg::kOptionWorkfile) + " " + Quoted(choices.workfile);
  command += Option(msg::kOptionQuiet);
  command += Option(msg::kOptionText) + " " + Quoted(choices.description);
  if (choices.duplicate == DuplicateChoice::kAlways) command += Option(msg::kWordYes);
  if (choices.duplicate == DuplicateChoice::kOnlyOnChanges) command += Option(msg::kWordNo);
  if (choices.forceBranch) command += Option(msg::kOptionNewBranch);
  if (choices.leaveCheckedOut) command += Option(msg::kOptionLock);
  if (choices.protectWorkfile != TriState::kUndetermined) {
    command += AttributeOverride(msg::kWordProtectWorkFile,
                                 choices.protectWorkfile == TriState::kChecked);
  }
  return command;
}

std::string AddCommand(const AddChoices& choices) {
  struct Attribute {
    std::uint16_t bit;
    const MessageId& word;
  };
  // The order in which the command names them.
  static const std::array<Attribute, 8> kAttributes{{
      {0x01, msg::kWordCheckLock},
      {0x02, msg::kWordDeleteWork},
      {0x04, msg::kWordExpandKeywords},
      {0x08, msg::kWordProtectLogFile},
      {0x20, msg::kWordBinaryFile},
      {0x10, msg::kWordProtectWorkFile},
      {0x40, msg::kWordJournalFile},
      {0x80, msg::kWordCompression},
  }};
  std::string command = "tput" + Option(msg::kOptionWorkfile) + " " + Quoted(choices.workfile);
  command += Option(msg::kOptionQuiet) + Option(msg::kOptionCreate);
  command += Option(msg::kOptionText) + " " + Quoted(choices.description);
  for (const Attribute& attribute : kAttributes) {
    const bool on = (choices.attributes & attribute.bit) != 0;
    if (on != ((choices.defaults & attribute.bit) != 0)) {
      command += AttributeOverride(attribute.word, on);
    }
  }
  return command;
}

std::string LockCommand(std::string_view revision) { return "tlock " + RevisionOption(revision); }

std::string UnlockCommand(std::string_view revision) {
  return "tunlock " + RevisionOption(revision);
}

std::string LabelCommand(std::string_view revision, std::string_view label) {
  return "tstamp " + RevisionOption(revision) + Option(msg::kOptionLabel) + " " + Quoted(label);
}

std::string UnlabelCommand(std::string_view label) {
  return "tunstamp " + Option(msg::kOptionLabel) + " " + Quoted(label);
}

}  // namespace tarn::dorn
