#include "engine/commands/checkin_command_line.h"

#include "engine/format/revision_number.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// A check-in names exactly the number the new revision gets, so every
// element needs both numbers: "2" (the newest of line 2) or the trunk-tip
// word cannot number a new revision.
bool NamesExactNumbers(const tarnCommandRevDesc& descriptor) {
  for (int i = 0; i < descriptor.iElementCount; ++i) {
    const RevElement& element = descriptor.elements[static_cast<std::size_t>(i)];
    if (element.iMajorFlag != kMatchExact || element.iMinorFlag != kMatchExact ||
        element.iMajor < 0 || element.iMinor < 0) {
      return false;
    }
  }
  return descriptor.iElementCount > 0;
}

// Parses one command line into `record`; every method handles the option
// under the cursor and returns false when it refused it (reported).
class CheckInLineParser {
 public:
  explicit CheckInLineParser(CheckInRecord& record) : record_(record) {}

  bool Option(ArgumentCursor& cursor) {
    const std::string& argument = cursor.Current();
    if (IsOptionWord(argument, msg::kOptionSet)) return TakeAttributes(cursor);
    if (IsOptionWord(argument, msg::kOptionWorkfile)) return TakeWorkfile(cursor);
    if (IsOptionWord(argument, msg::kOptionRevision)) return TakeRevision(cursor);
    if (IsOptionWord(argument, msg::kOptionText)) return TakeDescription(cursor);
    if (IsAnswerOption(argument)) return TakeAnswer(argument, record_.answer);
    if (IsOptionWord(argument, msg::kOptionNewBranch)) {
      if (!MarkOptionOnce(record_.newBranch, msg::kOptionNewBranch)) return false;
      if (record_.revision) {
        Report(kAlert, msg::kBranchWithRevision);
        return false;
      }
      return true;
    }
    if (IsOptionWord(argument, msg::kOptionLock)) {
      return MarkOptionOnce(record_.keepLock, msg::kOptionLock);
    }
    if (IsOptionWord(argument, msg::kOptionCreate)) {
      return MarkOptionOnce(record_.create, msg::kOptionCreate);
    }
    Report(kAlert, msg::kUnknownOption, argument);
    return false;
  }

  bool FileName(const std::string& argument) { return TakeFileName(argument, file_name_); }

  bool Complete() const { return file_name_.has_value(); }
  const std::optional<std::string>& file_name() const { return file_name_; }

 private:
  bool TakeAttributes(ArgumentCursor& cursor) {
    return TakeAttributeOverride(cursor, kAllAttributes, record_.attributes);
  }

  bool TakeWorkfile(ArgumentCursor& cursor) {
    if (record_.workfile) {
      if (cursor.HasValue()) {
        Report(kAlert, msg::kSecondWorkfileName, *record_.workfile);
      } else {
        Report(kAlert, msg::kWorkfileOptionTwice);
      }
      return false;
    }
    const std::string* value = cursor.TakeValue();
    if (value == nullptr) {
      Report(kAlert, msg::kWorkfileNameMissing);
      return false;
    }
    record_.workfile = *value;
    return true;
  }

  bool TakeRevision(ArgumentCursor& cursor) {
    bool given = record_.revision.has_value();
    if (!MarkOptionOnce(given, msg::kOptionRevision)) return false;
    if (record_.newBranch) {
      Report(kAlert, msg::kRevisionWithBranch);
      return false;
    }
    const std::string* value = cursor.TakeValue();
    if (value == nullptr) {
      Report(kAlert, msg::kRevisionMissing);
      return false;
    }
    // A range names no single number; the revision parser would read only
    // the number in front of the ':' and ignore the rest.
    tarnCommandRevDesc descriptor;
    const RevisionParse parsed = value->find(':') == std::string::npos
                                     ? ParseRevisionRequest(*value, 0, descriptor)
                                     : RevisionParse::kMalformed;
    switch (parsed) {
      case RevisionParse::kParsed:
        break;
      case RevisionParse::kMalformed:
        Report(kStatus, msg::kBadRevision, *value);
        return false;
      case RevisionParse::kTooManyElements:
        return false;  // reported by the revision parser
    }
    if (HasWildcardElement(descriptor)) {
      Report(kAlert, msg::kWildcardNotAllowed, *value);
      return false;
    }
    if (!NamesExactNumbers(descriptor)) {
      Report(kStatus, msg::kBadRevision, *value);
      return false;
    }
    record_.revision = descriptor;
    return true;
  }

  bool TakeDescription(ArgumentCursor& cursor) {
    bool given = record_.description.has_value();
    if (!MarkOptionOnce(given, msg::kOptionText)) return false;
    const std::string* value = cursor.TakeValue();
    if (value == nullptr) {
      Report(kAlert, msg::kDescriptionMissing);
      return false;
    }
    record_.description = *value;
    return true;
  }

  CheckInRecord& record_;
  std::optional<std::string> file_name_;
};

}  // namespace

int ParseCheckInCommandLine(CommandArguments arguments, CheckInRecord& record) {
  record = CheckInRecord{};
  CheckInLineParser parser(record);
  // A refused line leaves what was taken before the refusal.
  if (!WalkCommandLine(arguments, OptionsOfCommand("tput"), parser, record.quiet)) {
    return RefuseCommandLine(arguments);
  }
  record.givenName = *parser.file_name();
  return 1;
}

}  // namespace tarn
