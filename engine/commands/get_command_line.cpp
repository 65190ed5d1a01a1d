// Parsing the get command line.
#include <string_view>

#include "engine/commands/get_command.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// Parses one command line into `args`; every method handles the option
// under the cursor and returns false when it refused it (reported).
class GetLineParser {
 public:
  explicit GetLineParser(GetCommandArgs& args) : args_(args) {}

  bool Option(ArgumentCursor& cursor) {
    const std::string& argument = cursor.Current();
    if (IsOptionWord(argument, msg::kOptionLock)) return Lock();
    if (IsOptionWord(argument, msg::kOptionNewerOnly)) return NewerOnly();
    if (IsOptionWord(argument, msg::kOptionSet)) return Attributes(cursor);
    if (IsOptionWord(argument, msg::kOptionRevision)) return Revision(cursor);
    if (IsOptionWord(argument, msg::kOptionLabel)) return Label(cursor);
    if (IsOptionWord(argument, msg::kOptionDate)) return Date(cursor);
    if (IsOptionWord(argument, msg::kOptionOutput)) return Output(cursor);
    if (IsOptionWord(argument, msg::kOptionStandardOutput)) return StandardOutput();
    if (IsAnswerOption(argument)) return TakeAnswer(argument, args_.writableAnswer);
    if (IsTimestampOption(argument)) return Timestamp(argument);
    Report(kAlert, msg::kUnknownOption, argument);
    return false;
  }

  bool FileName(const std::string& argument) { return TakeFileName(argument, file_name_); }

  bool Complete() const { return file_name_.has_value(); }
  const std::optional<std::string>& file_name() const { return file_name_; }

 private:
  bool Lock() {
    if (!MarkOptionOnce(lock_seen_, msg::kOptionLock)) return false;
    if (args_.standardOutput) return RefuseWithStandardOutput(msg::kOptionLock);
    if (args_.newerOnly) {
      Report(kAlert, msg::kLockWithNewerOnly);
      return false;
    }
    args_.lock = true;
    return true;
  }

  bool NewerOnly() {
    if (!MarkOptionOnce(newer_seen_, msg::kOptionNewerOnly)) return false;
    if (args_.standardOutput) return RefuseWithStandardOutput(msg::kOptionNewerOnly);
    if (args_.lock) {
      Report(kAlert, msg::kNewerOnlyWithLock);
      return false;
    }
    args_.newerOnly = true;
    return true;
  }

  // The revision goes to standard output: there is no workfile to lock for,
  // compare with or name.
  bool StandardOutput() {
    if (!MarkOptionOnce(stdout_seen_, msg::kOptionStandardOutput)) return false;
    if (args_.lock) return RefuseWithStandardOutput(msg::kOptionLock);
    if (args_.newerOnly) return RefuseWithStandardOutput(msg::kOptionNewerOnly);
    if (args_.workfile) return RefuseWithStandardOutput(msg::kOptionOutput);
    args_.standardOutput = true;
    return true;
  }

  static bool RefuseWithStandardOutput(const MessageId& other) {
    Report(kAlert, msg::kStandardOutputWith, OptionWord(other));
    return false;
  }

  // A missing value or a fault inside NAME=VALUE refuses the line.
  bool Attributes(ArgumentCursor& cursor) {
    return TakeAttributeOverride(cursor, kGetOverridableAttributes, args_.attributes);
  }

  bool Revision(ArgumentCursor& cursor) {
    if (!MarkOptionOnce(revision_seen_, msg::kOptionRevision)) return false;
    if (args_.label) {
      Report(kAlert, msg::kRevisionAfterLabel);
      return false;
    }
    const std::string* value = cursor.TakeValue();
    if (value == nullptr) {
      Report(kAlert, msg::kRevisionMissing);
      return false;
    }
    args_.revision = ParseSingleRevisionArgument(*value);
    return args_.revision.has_value();
  }

  bool Date(ArgumentCursor& cursor) {
    if (!MarkOptionOnce(date_seen_, msg::kOptionDate)) return false;
    if (args_.label) {
      Report(kAlert, msg::kDateWithLabel);
      return false;
    }
    const std::string* value = cursor.TakeValue();
    if (value == nullptr) {
      Report(kAlert, msg::kOptionValueMissing, OptionWord(msg::kOptionDate));
      return false;
    }
    args_.date = ReadDateOrReport(*value);
    args_.dateText = *value;
    return args_.date.has_value();
  }

  bool Label(ArgumentCursor& cursor) {
    if (!MarkOptionOnce(label_seen_, msg::kOptionLabel)) return false;
    if (args_.date) {
      Report(kAlert, msg::kDateWithLabel);
      return false;
    }
    if (args_.revision) {
      Report(kAlert, msg::kLabelAfterRevision);
      return false;
    }
    if (cursor.TakeValue() == nullptr) {
      Report(kAlert, msg::kLabelMissing);
      return false;
    }
    args_.label = ReadQuotedText(cursor);
    if (!args_.label) {
      Report(kAlert, msg::kBadTextValue);
      return false;
    }
    return true;
  }

  bool Output(ArgumentCursor& cursor) {
    if (args_.standardOutput) return RefuseWithStandardOutput(msg::kOptionOutput);
    if (args_.workfile) {
      if (cursor.HasValue()) {
        Report(kAlert, msg::kSecondOutput, *args_.workfile);
      } else {
        Report(kAlert, msg::kOutputTwice);
      }
      return false;
    }
    const std::string* value = cursor.TakeValue();
    if (value == nullptr) {
      Report(kAlert, msg::kOutputMissing);
      return false;
    }
    args_.workfile = *value;
    return true;
  }

  // "-" + the time-stamp word, alone or followed by '=' and a value. The
  // word alone changes nothing. (A longer word that merely starts with the
  // time-stamp word is an unknown option, not a time stamp.)
  static bool IsTimestampOption(std::string_view argument) {
    if (!IsOption(argument)) return false;
    const std::string_view text = argument.substr(1);
    const std::size_t equals = text.find('=');
    return EqualsWord(text.substr(0, equals), msg::kOptionTimestamp.number);
  }

  bool Timestamp(std::string_view argument) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string_view::npos) return true;
    const std::string_view value = argument.substr(equals + 1);
    if (EqualsWord(value, msg::kWordNow.number)) {
      args_.timestamp = WorkfileTimestamp::kNow;
    } else if (EqualsWord(value, msg::kWordEditTime.number)) {
      args_.timestamp = WorkfileTimestamp::kEditTime;
    } else if (EqualsWord(value, msg::kWordCheckinTime.number)) {
      args_.timestamp = WorkfileTimestamp::kCheckInTime;
    } else {
      Report(kAlert, msg::kBadTimestampValue,
             std::string_view(MessageText(msg::kWordCheckinTime.number)),
             std::string_view(MessageText(msg::kWordNow.number)),
             std::string_view(MessageText(msg::kWordEditTime.number)));
      return false;
    }
    return true;
  }

  GetCommandArgs& args_;
  std::optional<std::string> file_name_;
  bool lock_seen_ = false;
  bool newer_seen_ = false;
  bool revision_seen_ = false;
  bool label_seen_ = false;
  bool stdout_seen_ = false;
  bool date_seen_ = false;
};

}  // namespace

int ParseGetCommandLine(CommandArguments arguments, GetCommandArgs& args) {
  return ParseCommandLineWith<GetLineParser>("tget", arguments, args);
}

}  // namespace tarn
