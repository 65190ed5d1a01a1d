// Parsing the modify-header command line.
#include "engine/commands/header_command.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// The change options that take no value, with their catalogue words.
struct FlagChange {
  const MessageId* word;
  HeaderChange change;
};

constexpr FlagChange kFlagChanges[] = {
    {&msg::kOptionAccessList, HeaderChange::kAccessList},
    {&msg::kOptionCommentPrefix, HeaderChange::kCommentPrefix},
    {&msg::kOptionDescription, HeaderChange::kDescription},
    {&msg::kOptionAddUsers, HeaderChange::kAddUsers},
    {&msg::kOptionOwner, HeaderChange::kOwner},
};

// Parses one command line; every method handles the option under the
// cursor and returns false when it refused it (reported).
class HeaderLineParser {
 public:
  explicit HeaderLineParser(HeaderCommandArgs& args) : args_(args) {}

  bool Option(ArgumentCursor& cursor) {
    const std::string& argument = cursor.Current();
    // The value and the attributes may stand anywhere.
    if (IsOptionWord(argument, msg::kOptionText)) return Text(cursor);
    if (IsOptionWord(argument, msg::kOptionSet)) return Attributes(cursor);
    if (args_.change != HeaderChange::kNone) {
      Report(kAlert, msg::kSecondModification);
      return false;
    }
    if (IsOptionWord(argument, msg::kOptionRenameLabel)) return RenameLabel(cursor);
    if (IsOptionWord(argument, msg::kOptionDefaultBranch)) return DefaultBranch(cursor);
    for (const FlagChange& flag : kFlagChanges) {
      if (IsOptionWord(argument, *flag.word)) {
        args_.change = flag.change;
        return true;
      }
    }
    Report(kAlert, msg::kUnknownOption, argument);
    return false;
  }

  bool FileName(const std::string& argument) { return TakeFileName(argument, file_name_); }

  bool Complete() const {
    return file_name_.has_value() &&
           (args_.change != HeaderChange::kNone || args_.attributes.has_value());
  }
  const std::optional<std::string>& file_name() const { return file_name_; }

 private:
  bool Text(ArgumentCursor& cursor) {
    if (!MarkOptionOnce(text_seen_, msg::kOptionText)) return false;
    const std::string* value = cursor.TakeValue();
    if (value == nullptr) {
      Report(kAlert, msg::kTextValueMissing);
      return false;
    }
    args_.text = *value;
    return true;
  }

  // Faults inside NAME=VALUE are reported and the pair left out; only a
  // missing value refuses the line.
  bool Attributes(ArgumentCursor& cursor) {
    AttributeOverride taken = args_.attributes.value_or(AttributeOverride{});
    if (!TakeAttributeOverride(cursor, kAllAttributes, taken)) return false;
    args_.attributes = taken;
    return true;
  }

  bool RenameLabel(ArgumentCursor& cursor) {
    if (cursor.TakeValue() == nullptr) {
      Report(kAlert, msg::kLabelMissing);
      return false;
    }
    std::optional<std::string> label = ReadQuotedText(cursor);
    if (!label || label->empty()) {
      Report(kAlert, msg::kBadTextValue);
      return false;
    }
    args_.label = std::move(*label);
    args_.change = HeaderChange::kRenameLabel;
    return true;
  }

  bool DefaultBranch(ArgumentCursor& cursor) {
    const std::string* value = cursor.TakeValue();
    if (value == nullptr) {
      Report(kAlert, msg::kDefaultBranchMissing);
      return false;
    }
    args_.revision = ParseSingleRevisionArgument(*value);
    if (!args_.revision) return false;
    args_.change = HeaderChange::kDefaultBranch;
    return true;
  }

  HeaderCommandArgs& args_;
  std::optional<std::string> file_name_;
  bool text_seen_ = false;
};

}  // namespace

int ParseHeaderCommandLine(CommandArguments arguments, HeaderCommandArgs& args) {
  return ParseCommandLineWith<HeaderLineParser>("tmh", arguments, args);
}

}  // namespace tarn
