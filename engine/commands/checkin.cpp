#include "engine/commands/checkin.h"

#include <cerrno>
#include <limits>
#include <optional>
#include <string>

#include "engine/commands/checkin_plan.h"
#include "engine/commands/checkin_refresh.h"
#include "engine/commands/checkin_write.h"
#include "engine/commands/logfile_create.h"
#include "engine/diff/line_diff.h"
#include "engine/diff/separator_choice.h"
#include "engine/format/logfile_header_io.h"
#include "engine/format/revision_number.h"
#include "engine/format/user_list.h"
#include "engine/revisions/base_revision.h"
#include "engine/revisions/new_revision_number.h"
#include "engine/store/disk_names.h"
#include "engine/store/header_agreement.h"
#include "engine/store/journal.h"
#include "engine/store/logfile_identity.h"
#include "engine/store/logfile_lock.h"
#include "engine/store/logfile_open.h"
#include "engine/store/revision_rebuild.h"
#include "engine/support/identity_note.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/quiet_reports.h"
#include "engine/support/report.h"
#include "engine/support/source_location.h"
#include "engine/support/whole_file.h"
#include "engine/text/description_reader.h"
#include "engine/text/description_text.h"
#include "engine/text/keyword_contraction.h"
#include "platform/clock.h"
#include "platform/error_text.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

// What a check-in may change in the attributes of an existing logfile.
constexpr std::uint16_t kCheckInAttributes = kAttrDeleteWork | kAttrProtectWorkFile;

// Times in revision records: unsigned 32-bit seconds, rounded down to an
// even second like the workfile time stamps they are compared with.
std::uint32_t StoredTime(std::int64_t seconds) {
  const std::int64_t even = seconds - (seconds % 2);
  if (even < 0) return 0;
  if (even > std::numeric_limits<std::uint32_t>::max()) {
    return std::numeric_limits<std::uint32_t>::max() - 1;
  }
  return static_cast<std::uint32_t>(even);
}

class CheckInCommand {
 public:
  CheckInCommand(const CheckInRecord& record, tarnEnvironVars& env, CheckInOutcome& outcome)
      : record_(record), env_(env), outcome_(outcome), attributes_(record.attributes) {}

  int Run() {
    if (ReadWholeFileOrReport(record_.WorkfileName(), workfile_) != 1) return -1;
    lock_ = AcquireLockFile(record_.givenName, env_);
    if (!lock_) return -1;
    int status = WorkOnLogfile();
    logfile_.reset();
    // A logfile left unprotected, or a workfile not refreshed, deleted or
    // protected as asked, is reported and makes the check-in fail.
    if (!ReleaseLockFile(lock_) && status == 1) status = -1;
    if (status == 1 && FinishWorkfile() != 1) status = -1;
    return status;
  }

 private:
  int WorkOnLogfile() {
    if (OpenOrStartLogfile() != 1) return -1;
    const int found = FindBaseAndNumber();
    if (found != 1) return found;
    if (!record_.quiet) {
      Report(kStatus, msg::kCheckingIn, record_.givenName, FormatRevision(number_.number));
    }
    editTime_ =
        platform::ModificationTime(record_.WorkfileName()).value_or(platform::CurrentTime());
    if (isNew_) {
      description_ = MessageText(msg::kFirstRevisionDescription.number);
      CurrentHost().ReportMessage(description_ + "\n", kStatus);
      return StoreRevision(std::move(workfile_), ByteBuffer{});
    }
    return CompareAndStore();
  }

  // The revision the check-in descends from and the number it gets.
  int FindBaseAndNumber() {
    userIndex_ = UserIndex(env_.userName, header_.modifierList);
    if (userIndex_ < 0) {
      Report(kAlert, msg::kUserNotInModifierList);
      ReportIdentityNote(env_);
      return -1;
    }
    const int found =
        FindBaseRevision(OldLogfile(), firstRecordOffset_, header_, effective_, userIndex_, base_);
    if (found != 1) return found;
    if (WorkOutNewRevisionNumber(base_, record_.revision, record_.newBranch, header_.fixed,
                                 number_) != 1) {
      return -1;
    }
    if (header_.fixed._iRevisionCount >= std::numeric_limits<std::int16_t>::max()) {
      Report(kAlert, msg::kTooManyRevisions, logfilePath_);
      return -1;
    }
    outcome_.number = number_.number;
    return 1;
  }

  // What a question during the check-in is about: the workfile read at the
  // start, the revision it descends from, the number it gets and the
  // attributes it is stored under.
  struct AskedAbout {
    std::optional<platform::FileState> workfile;
    std::string base;
    std::string number;
    bool startsBranch = false;
    std::uint16_t attributes = 0;
    bool operator==(const AskedAbout&) const = default;
  };

  AskedAbout WhatIsAsked() const {
    return AskedAbout{platform::StateOf(record_.WorkfileName()), FormatRevision(base_.number),
                      FormatRevision(number_.number), number_.startsBranch, effective_};
  }

  // Runs `ask`, which puts a question to a person, with the logfile let go,
  // so that nobody else's command waits on the answer. Then takes the
  // logfile again and checks that what was asked about still holds; when it
  // does not, says so and fails, having changed nothing. -1 as well when
  // `ask` fails.
  template <class Ask>
  int AskWithLogfileFree(Ask ask) {
    const AskedAbout before = WhatIsAsked();
    logfile_.reset();
    if (!ReleaseLockFile(lock_)) return -1;
    if (ask() != 1) return -1;
    lock_ = AcquireLockFile(record_.givenName, env_);
    if (!lock_) return -1;
    if (OpenOrStartLogfile() != 1) return -1;
    if (isNew_ || FindBaseAndNumber() != 1 || WhatIsAsked() != before) {
      Report(kAlert, msg::kCheckInChangedWhileAsked, record_.givenName);
      return -1;
    }
    return 1;
  }

  // The old logfile, or null for a new one.
  platform::File* OldLogfile() { return logfile_ ? &*logfile_ : nullptr; }

  int OpenOrStartLogfile() {
    const std::optional<std::string> path =
        LogfileNameFromWorkfile(record_.givenName, env_.logfileDirectory);
    if (!path) return -1;
    logfilePath_ = *path;
    // A workfile option naming the logfile would store the logfile in
    // itself, and DeleteWork would then delete it.
    if (NamesLogfileOrLockFile(record_.WorkfileName(), logfilePath_)) {
      Report(kAlert, msg::kCheckInOfLogfile, record_.WorkfileName());
      return -1;
    }
    if (!platform::FileExists(logfilePath_)) {
      isNew_ = true;
      if (BuildDefaultHeader(record_, env_, header_) != 1) return -1;
      effective_ = header_.fixed._iAttributes;
      return 1;
    }
    logfile_ = OpenLogfile(record_.givenName, env_, logfilePath_);
    if (!logfile_) return -1;
    if (ReadLogfileHeader(*logfile_, header_) != 1) return -1;
    const std::optional<std::int64_t> offset = logfile_->Tell();
    if (!offset) {
      ReportFault(msg::kSeekFailed);
      return -1;
    }
    firstRecordOffset_ = *offset;
    // A header that disagrees with the records would make the new logfile
    // lose revisions or reuse a number.
    if (CheckHeaderAgreesWithRecords(*logfile_, firstRecordOffset_, header_) != 1) {
      Report(kAlert, msg::kLogfileNotChanged, logfilePath_);
      return -1;
    }
    if ((attributes_.mask & ~kCheckInAttributes) != 0) {
      Report(kAlert, msg::kAttributesIgnored);
      attributes_.mask &= kCheckInAttributes;
      attributes_.values &= kCheckInAttributes;
    }
    effective_ = attributes_.ApplyTo(header_.fixed._iAttributes);
    env_.attributes = WithLogfileAttributes(env_.attributes, effective_);
    return 1;
  }

  bool InEffect(std::uint16_t attribute) const { return (effective_ & attribute) != 0; }

  int TakeDescription() {
    if (record_.description) {
      description_ = NormaliseDescription(*record_.description);
      return 1;
    }
    return AskWithLogfileFree([this] {
      Report(kStatus, msg::kEnterRevisionDescription);
      std::optional<std::string> typed = ReadDescriptionFromConsole();
      if (!typed) return -1;
      CurrentHost().ReportMessage("\n", kStatus);
      description_ = std::move(*typed);
      return 1;
    });
  }

  int CompareAndStore() {
    if (TakeDescription() != 1) return -1;
    ByteBuffer toStore;
    if (InEffect(kAttrExpandKeywords) && !InEffect(kAttrBinaryFile)) {
      ContractedText contracted = ContractKeywords(workfile_);
      toStore = std::move(contracted.text);
      description_ = DescriptionWithNotes(description_, contracted.notes);
      if (contracted.countedContractions > 0) editTime_ = platform::CurrentTime();
    } else {
      toStore = std::move(workfile_);
    }
    if (base_.IsVirtual()) return StoreRevision(std::move(toStore), ByteBuffer{});

    ByteBuffer baseText;
    if (RebuildRevisionText(*logfile_, firstRecordOffset_, base_.number, baseText) != 1) {
      Report(kAlert, msg::kRebuildFailed, record_.givenName, FormatRevision(base_.number));
      return -1;
    }
    std::uint8_t separator = '\n';
    if (InEffect(kAttrBinaryFile)) {
      Report(kStatus, msg::kChoosingSeparator);
      separator = ChooseSeparatorFor(toStore);
    }
    // A trunk revision is stored whole and the old tip as the way back to
    // it (new -> old); a branch revision as the way forward from its base.
    ByteBuffer delta;
    const int compared = number_.IsTrunk() ? CompareBuffers(toStore, baseText, separator, delta)
                                           : CompareBuffers(baseText, toStore, separator, delta);
    if (compared < 0) return -1;
    baseText.clear();
    baseText.shrink_to_fit();
    if (compared == 0) {
      const int store = StoreUnchanged();
      if (store < 0) return -1;
      if (store == 0) return PlanAndWrite(std::nullopt);
    }
    if (number_.IsTrunk()) return StoreRevision(std::move(toStore), std::move(delta));
    return StoreRevision(std::move(delta), ByteBuffer{});
  }

  // The question for an unchanged workfile: 1 to store it all the same, 0
  // not to, -1 when the check-in cannot go on.
  int StoreUnchanged() {
    if (!record_.quiet) Report(kStatus, msg::kUnchangedWorkfile, record_.givenName);
    if (record_.answer) {
      if (!record_.quiet) CurrentHost().ReportMessage(" " + *record_.answer + "\n", kStatus);
      return AnswerIsYes(*record_.answer) ? 1 : 0;
    }
    bool yes = false;
    if (AskWithLogfileFree([&yes] {
          yes = AskYes();
          return 1;
        }) != 1) {
      return -1;
    }
    return yes ? 1 : 0;
  }

  // Works out what the new logfile holds and writes it. Without `texts` the
  // unchanged workfile is not stored.
  int PlanAndWrite(std::optional<CheckInTexts> texts) {
    CheckInFacts facts;
    facts.header = header_;
    facts.attributes = effective_;
    facts.userIndex = userIndex_;
    facts.base = base_;
    facts.number = number_;
    facts.keepLock = record_.keepLock;
    facts.newBranch = record_.newBranch;
    facts.storeRevision = texts.has_value();
    if (texts) facts.putDate = StoredTime(platform::CurrentTime());
    facts.editDate = StoredTime(editTime_);
    const CheckInPlan plan = PlanCheckIn(facts);

    outcome_.number = plan.number;
    if (!texts) {
      description_ = MessageText(msg::kUnchangedDescription.number);
      onlyReleasedLock_ = true;
      texts.emplace();
    } else {
      texts->description = description_;
    }
    if (plan.write == CheckInWrite::kNothing) return 1;
    CheckInTarget target;
    target.old = OldLogfile();
    target.firstRecordOffset = firstRecordOffset_;
    target.logfilePath = logfilePath_;
    target.isNew = isNew_;
    target.workfile = record_.WorkfileName();
    if (WriteCheckIn(plan, target, std::move(*texts), env_) != 1) return -1;
    headerWritten_ = true;
    outcome_.stored = plan.write == CheckInWrite::kNewRevision;
    return 1;
  }

  // `data` is the whole text of a trunk revision or the delta of a branch
  // revision; `oldTipDelta` the reverse delta that the old trunk tip keeps.
  int StoreRevision(ByteBuffer data, ByteBuffer oldTipDelta) {
    CheckInTexts texts;
    texts.data = std::move(data);
    texts.oldTipDelta = std::move(oldTipDelta);
    return PlanAndWrite(std::move(texts));
  }

  int FinishWorkfile() {
    const std::string& workfile = record_.WorkfileName();
    int result = 1;
    if (InEffect(kAttrDeleteWork) && !record_.keepLock) {
      if (!platform::DeleteFile(workfile)) {
        Report(kAlert, msg::kDeleteFailed, workfile);
        result = -1;
      }
    } else {
      const bool refresh = (header_.fixed._iAttributes & kAttrExpandKeywords) != 0 &&
                           (!record_.workfile || record_.expandKeywordsAlways);
      if (refresh && RefreshWorkfileAfterCheckIn(record_.givenName, workfile, outcome_.number,
                                                 InEffect(kAttrProtectLogFile),
                                                 InEffect(kAttrBinaryFile), env_) != 1) {
        result = -1;  // reported by the get or the replacement
      }
      if (InEffect(kAttrProtectWorkFile) && !record_.keepLock && !ProtectWorkfile(workfile)) {
        Report(kAlert, msg::kProtectFailed, workfile, platform::ErrorText(errno));
        result = -1;
      }
    }
    if (InEffect(kAttrJournalFile) && headerWritten_) WriteJournal();
    return result;
  }

  // A workfile that is a symbolic link is protected where the link leads,
  // as a get writes through it: the link itself has no permissions.
  static bool ProtectWorkfile(const std::string& workfile) {
    const std::optional<std::string> target = platform::FollowLinks(workfile);
    return target && platform::SetReadOnly(*target, true);
  }

  void WriteJournal() {
    CheckInJournalFacts facts;
    facts.keepLock = record_.keepLock;
    facts.workfile = record_.workfile;
    facts.revisionNumber = FormatRevision(outcome_.number);
    facts.overriddenAttributes = attributes_.mask;
    facts.effectiveAttributes = effective_;
    facts.name = record_.givenName;
    facts.description = description_;
    facts.onlyReleasedLock = onlyReleasedLock_;
    const std::optional<std::string> text = CheckInJournalText(ProgramLabel(), facts);
    if (text) WriteJournalEntry(ProgramLabel(), env_, logfilePath_, *text);
  }

  const CheckInRecord& record_;
  tarnEnvironVars& env_;
  CheckInOutcome& outcome_;
  AttributeOverride attributes_;  // the command line's, cut to what applies

  ByteBuffer workfile_;
  std::optional<LogfileLock> lock_;
  std::optional<platform::File> logfile_;  // the old logfile; none for a new one
  std::string logfilePath_;
  bool isNew_ = false;
  LogfileHeader header_;
  std::int64_t firstRecordOffset_ = 0;
  std::uint16_t effective_ = 0;
  int userIndex_ = -1;
  BaseRevision base_;
  NewRevisionNumber number_;
  std::string description_;
  std::int64_t editTime_ = 0;
  bool headerWritten_ = false;
  bool onlyReleasedLock_ = false;
};

}  // namespace

int RunCheckIn(const CheckInRecord& record, tarnEnvironVars& env, CheckInOutcome& outcome) {
  // The quiet option holds back every information message of the check-in,
  // also those of the services it calls (the comparison, the creation of
  // the logfile, the comment prefix note).
  const ScopedQuietReports quiet(record.quiet);
  outcome = CheckInOutcome{};
  return CheckInCommand(record, env, outcome).Run();
}

int RunCheckIn(const CheckInRecord& record, tarnEnvironVars& env) {
  CheckInOutcome outcome;
  return RunCheckIn(record, env, outcome);
}

}  // namespace tarn
