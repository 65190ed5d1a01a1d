#include "engine/commands/command_line.h"

#include <array>

#include "engine/format/attribute_words.h"
#include "engine/format/revision_number.h"
#include "engine/store/journal.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "engine/support/usage.h"
#include "engine/text/date_reading.h"

namespace tarn {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

std::optional<std::uint16_t> AttributeBitNamed(std::string_view name) {
  for (const AttributeWord& attribute : kAttributeWords) {
    if (EqualsWord(name, attribute.word->number)) return attribute.bit;
  }
  return std::nullopt;
}

// One NAME=VALUE pair; faults are reported, leave `result` unchanged and
// return false.
bool ParseOneOverride(std::string_view pair, std::uint16_t permitted, AttributeOverride& result) {
  const std::size_t equals = pair.find('=');
  if (equals == std::string_view::npos) {
    Report(kAlert, msg::kAttributeWithoutValue, pair);
    return false;
  }
  const std::string_view name = pair.substr(0, equals);
  const std::string_view value = pair.substr(equals + 1);
  const bool yes = EqualsWord(value, msg::kWordYes.number);
  if (!yes && !EqualsWord(value, msg::kWordNo.number)) {
    Report(kAlert, msg::kAttributeBadValue, pair);
    return false;
  }
  const std::optional<std::uint16_t> bit = AttributeBitNamed(name);
  if (!bit) {
    Report(kAlert, msg::kAttributeUnknown, pair);
    return false;
  }
  if ((*bit & permitted) == 0) {
    Report(kAlert, msg::kAttributeNotPermitted, pair);
    return false;
  }
  result.mask = static_cast<std::uint16_t>(result.mask | *bit);
  result.values = yes ? static_cast<std::uint16_t>(result.values | *bit)
                      : static_cast<std::uint16_t>(result.values & ~*bit);
  return true;
}

}  // namespace

const std::string* ArgumentCursor::TakeValue() {
  if (!HasValue()) return nullptr;
  ++index_;
  return &arguments_[index_];
}

bool IsOption(std::string_view argument) { return !argument.empty() && argument.front() == '-'; }

bool IsOptionWord(std::string_view argument, const MessageId& word) {
  return IsOption(argument) && EqualsWord(argument.substr(1), word.number);
}

std::string_view OptionWord(const MessageId& word) { return MessageText(word.number); }

bool MarkOptionOnce(bool& seen, const MessageId& word) {
  if (seen) {
    Report(kAlert, msg::kOptionTwice, OptionWord(word));
    return false;
  }
  seen = true;
  return true;
}

namespace {

FileNameCollector*& ActiveCollector() {
  static FileNameCollector* collector = nullptr;
  return collector;
}

}  // namespace

FileNameCollector::FileNameCollector() { ActiveCollector() = this; }

FileNameCollector::~FileNameCollector() { ActiveCollector() = nullptr; }

bool TakeFileName(const std::string& argument, std::optional<std::string>& file_name) {
  if (FileNameCollector* collector = ActiveCollector()) {
    collector->Add(argument);
    if (!file_name) file_name = argument;
    return true;
  }
  if (file_name) {
    Report(kAlert, msg::kSecondFileName, *file_name);
    return false;
  }
  file_name = argument;
  return true;
}

bool ParseAttributeOverride(std::string_view text, std::uint16_t permitted,
                            AttributeOverride& result) {
  bool all_good = true;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view pair = text.substr(0, comma);
    if (!pair.empty() || comma == std::string_view::npos) {
      all_good = ParseOneOverride(pair, permitted, result) && all_good;
    }
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return all_good;
}

bool TakeAttributeOverride(ArgumentCursor& cursor, std::uint16_t permitted,
                           AttributeOverride& result) {
  const std::string* value = cursor.TakeValue();
  if (value == nullptr) {
    Report(kAlert, msg::kAttributeValueMissing);
    return false;
  }
  return ParseAttributeOverride(*value, permitted, result);
}

const MessageId* AttributeNameWord(std::uint16_t bit) {
  for (const AttributeWord& attribute : kAttributeWords) {
    if (attribute.bit == bit) return attribute.word;
  }
  return nullptr;
}

bool IsAnswerOption(std::string_view argument) {
  return IsOptionWord(argument, msg::kWordYes) || IsOptionWord(argument, msg::kWordNo) ||
         IsOptionWord(argument, msg::kWordKeep);
}

bool TakeAnswer(std::string_view argument, std::optional<std::string>& answer) {
  std::string word(argument.substr(1));
  for (char& c : word) c = UpperAscii(c);
  if (answer) {
    Report(kAlert, msg::kSecondAnswer, *answer, word);
    return false;
  }
  answer = std::move(word);
  return true;
}

bool AnswerIsYes(std::string_view answer) {
  const std::string_view yes = MessageText(msg::kWordYes.number);
  return !answer.empty() && !yes.empty() && LowerAscii(answer.front()) == LowerAscii(yes.front());
}

bool AnswerIsKeep(std::string_view answer) { return EqualsWord(answer, msg::kWordKeep.number); }

std::optional<std::string> ReadQuotedText(ArgumentCursor& cursor, std::size_t limit) {
  ArgumentCursor probe = cursor;
  std::string text;
  const std::string& first = probe.Current();
  if (first.empty() || first.front() != '\'') {
    text = first;
  } else {
    // The opening apostrophe never closes the text as well: "'" alone opens
    // a text that the following arguments continue.
    std::string piece = first.substr(1);
    while (piece.empty() || piece.back() != '\'') {
      text += piece;
      const std::string* next = probe.TakeValue();
      if (next == nullptr) {
        Report(kAlert, msg::kQuoteNotClosed);
        return std::nullopt;
      }
      text += ' ';
      piece = *next;
    }
    piece.pop_back();
    text += piece;
  }
  if (text.size() > limit) {
    Report(kAlert, msg::kLabelTooLong, static_cast<int>(limit));
    return std::nullopt;
  }
  cursor = probe;
  return text;
}

bool HasWildcardElement(const tarnCommandRevDesc& descriptor) {
  const int count = descriptor.iElementCount;
  for (int i = 0; i < count && i < kMaxRevisionElements; ++i) {
    const RevElement& element = descriptor.elements[static_cast<std::size_t>(i)];
    if ((element.iMajorFlag & kMatchWildcard) != 0 || (element.iMinorFlag & kMatchWildcard) != 0) {
      return true;
    }
  }
  return false;
}

std::optional<std::int64_t> ReadDateOrReport(std::string_view text) {
  std::optional<std::int64_t> moment = ReadDate(text);
  if (!moment) Report(kAlert, msg::kBadDate, text);
  return moment;
}

std::optional<tarnCommandRevDesc> ParseSingleRevisionArgument(std::string_view text) {
  if (text.find(':') != std::string_view::npos) {
    Report(kAlert, msg::kRangeNotAllowed, text);
    return std::nullopt;
  }
  tarnCommandRevDesc descriptor;
  switch (ParseRevisionRequest(text, 0, descriptor)) {
    case RevisionParse::kParsed:
      break;
    case RevisionParse::kMalformed:
      Report(kAlert, msg::kBadRevision, text);
      return std::nullopt;
    case RevisionParse::kTooManyElements:
      return std::nullopt;
  }
  if (HasWildcardElement(descriptor)) {
    Report(kAlert, msg::kWildcardNotAllowed, text);
    return std::nullopt;
  }
  return descriptor;
}

int RefuseCommandLine(CommandArguments arguments) {
  PrintUsage(ProgramLabel(), static_cast<int>(arguments.size()));
  return -1;
}

OptionEcho::OptionEcho() : text_(ProgramLabel()) {}

OptionEcho& OptionEcho::Flag(const MessageId& word) {
  text_ += " -";
  text_ += OptionWord(word);
  return *this;
}

OptionEcho& OptionEcho::Revision(const MessageId& word, std::string_view number) {
  Flag(word);
  text_ += ' ';
  text_ += number;
  return *this;
}

OptionEcho& OptionEcho::Value(const MessageId& word, std::string_view value) {
  return Revision(word, JournalField(value));
}

OptionEcho& OptionEcho::QuotedLabel(const MessageId& word, std::string_view label) {
  Flag(word);
  text_ += ' ';
  text_ += QuotedJournalText(label);
  return *this;
}

OptionEcho& OptionEcho::Attribute(std::uint16_t bit, bool in_effect) {
  const MessageId* name = AttributeNameWord(bit);
  if (name == nullptr) return *this;
  Flag(msg::kOptionSet);
  text_ += ' ';
  text_ += MessageText(name->number);
  text_ += '=';
  text_ += MessageText(in_effect ? msg::kWordYes.number : msg::kWordNo.number);
  return *this;
}

OptionEcho& OptionEcho::Attributes(std::uint16_t named, std::uint16_t effective) {
  for (const AttributeWord& attribute : kAttributeWords) {
    if ((named & attribute.bit) != 0) Attribute(attribute.bit, (effective & attribute.bit) != 0);
  }
  return *this;
}

OptionEcho& OptionEcho::FileName(std::string_view name) {
  text_ += ' ';
  text_ += JournalField(name);
  return *this;
}

}  // namespace tarn
