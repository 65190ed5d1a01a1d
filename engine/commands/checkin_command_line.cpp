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

class CheckInParser {
 public:
  CheckInParser(CommandArguments arguments, CheckInRecord& record)
      : arguments_(arguments), cursor_(arguments), record_(record) {}

  int Parse() {
    std::optional<std::string> name;
    for (; !cursor_.AtEnd(); cursor_.Next()) {
      const std::string& argument = cursor_.Current();
      const bool accepted =
          IsOption(argument) ? TakeOption(argument) : TakeFileName(argument, name);
      if (!accepted) return RefuseCommandLine(arguments_);
    }
    if (!name) return RefuseCommandLine(arguments_);
    record_.givenName = std::move(*name);
    return 1;
  }

 private:
  bool TakeOption(const std::string& argument) {
    if (IsOptionWord(argument, msg::kOptionSet)) return TakeAttributes();
    if (IsOptionWord(argument, msg::kOptionWorkfile)) return TakeWorkfile();
    if (IsOptionWord(argument, msg::kOptionRevision)) return TakeRevision();
    if (IsOptionWord(argument, msg::kOptionText)) return TakeDescription();
    if (IsAnswerOption(argument)) return TakeAnswer(argument, record_.answer);
    if (IsOptionWord(argument, msg::kOptionQuiet)) {
      record_.quiet = true;
      return true;
    }
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

  bool TakeAttributes() {
    return TakeAttributeOverride(cursor_, kAllAttributes, record_.attributes);
  }

  bool TakeWorkfile() {
    if (record_.workfile) {
      if (cursor_.HasValue()) {
        Report(kAlert, msg::kSecondWorkfileName, *record_.workfile);
      } else {
        Report(kAlert, msg::kWorkfileOptionTwice);
      }
      return false;
    }
    const std::string* value = cursor_.TakeValue();
    if (value == nullptr) {
      Report(kAlert, msg::kWorkfileNameMissing);
      return false;
    }
    record_.workfile = *value;
    return true;
  }

  bool TakeRevision() {
    bool given = record_.revision.has_value();
    if (!MarkOptionOnce(given, msg::kOptionRevision)) return false;
    if (record_.newBranch) {
      Report(kAlert, msg::kRevisionWithBranch);
      return false;
    }
    const std::string* value = cursor_.TakeValue();
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

  bool TakeDescription() {
    bool given = record_.description.has_value();
    if (!MarkOptionOnce(given, msg::kOptionText)) return false;
    const std::string* value = cursor_.TakeValue();
    if (value == nullptr) {
      Report(kAlert, msg::kDescriptionMissing);
      return false;
    }
    record_.description = *value;
    return true;
  }

  CommandArguments arguments_;
  ArgumentCursor cursor_;
  CheckInRecord& record_;
};

}  // namespace

int ParseCheckInCommandLine(CommandArguments arguments, CheckInRecord& record) {
  record = CheckInRecord{};
  return CheckInParser(arguments, record).Parse();
}

}  // namespace tarn
