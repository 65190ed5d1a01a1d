// The get command's run: from the parsed command line to the written
// workfile (and, for a check-out, the recorded lock).
#include "engine/commands/get_command.h"

#include <cerrno>
#include <optional>

#include "engine/commands/revision_by_date.h"
#include "engine/format/revision_number.h"
#include "engine/format/supplemental_info.h"
#include "engine/revisions/labels.h"
#include "engine/revisions/lock_change.h"
#include "engine/revisions/lock_rules.h"
#include "engine/store/disk_names.h"
#include "engine/store/header_agreement.h"
#include "engine/store/journal.h"
#include "engine/store/logfile_identity.h"
#include "engine/store/logfile_session.h"
#include "engine/store/revision_lookup.h"
#include "engine/store/revision_rebuild.h"
#include "engine/store/revision_scan.h"
#include "engine/store/workfile_replace.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/quiet_reports.h"
#include "engine/support/report.h"
#include "engine/text/keyword_expansion.h"
#include "engine/text/local_date_text.h"
#include "platform/clock.h"
#include "platform/error_text.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

// What the get found out about the revision it fetched.
struct FetchedRevision {
  tRevHdr header;             // as stored (RevSize the stored size)
  tarnCommandRevDesc number;  // its full number
  std::int64_t offset = 0;    // of its 32-byte header in the logfile
  std::string label;          // the label naming it, or the catalogue's "none"
};

class GetRun {
 public:
  GetRun(const GetCommandArgs& args, tarnEnvironVars& env) : args_(args), env_(env) {}

  int Run() {
    if (OpenAndFetch() != 1) return Finish(-1);
    if (!args_.standardOutput) {
      bool go_on = true;
      if (SettleWritableWorkfile(go_on) != 1) return Finish(-1);
      if (!go_on) return Finish(2);  // the user's writable workfile stays
    }
    if (HasAttribute(kAttrExpandKeywords) && Expand() != 1) return Finish(-1);
    if (args_.standardOutput) return Finish(WriteToStandardOutput(text_));
    if (args_.newerOnly &&
        workfile_time_ >= static_cast<std::int64_t>(revision_.header.FilePutDate)) {
      return Finish(1);  // the workfile is as new as the revision: nothing to write
    }
    if (WriteWorkfile() != 1) return Finish(-1);
    if (args_.lock && RecordLock() != 1) return Finish(-1);
    locked_ = args_.lock;
    return Finish(1);
  }

 private:
  bool HasAttribute(std::uint16_t bit) const { return (effective_ & bit) != 0; }

  // Opens the logfile and rebuilds the revision asked for; a check-out also
  // checks the lock rules. Everything that can refuse the get is found out
  // here, before anybody is asked whether to replace a workfile.
  int OpenAndFetch() {
    session_.emplace();
    // Only a check-out changes the logfile and takes its lock file; a plain
    // get reads it. Every get reads all the records before it trusts one
    // (a check-out's open does it): a damaged number or order elsewhere can
    // make the walk to a revision pick up another one's data.
    if (args_.lock) {
      if (session_->OpenForChange(args_.fileName, env_) != 1) return -1;
    } else if (session_->OpenForReading(args_.fileName, env_) != 1 ||
               CheckHeaderAgreesWithRecords(session_->file(), session_->firstRecordOffset(),
                                            session_->header()) != 1) {
      return -1;
    }
    effective_ = args_.attributes.ApplyTo(session_->header().fixed._iAttributes);
    env_.attributes = effective_;
    if (!args_.standardOutput) {
      // Only a regular file (or a link to one) can be a workfile: asking
      // whether to replace a directory or a device would be wrong already.
      std::optional<std::string> target = WorkfileTarget(args_.WorkfilePath());
      if (!target) return -1;
      workfile_ = std::move(*target);
      if (WorkfileIsTheLogfile()) return -1;
    }
    std::optional<tarnCommandRevDesc> request = ChooseRequest();
    if (!request) return -1;
    // The text stays in memory from the rebuild through the keyword
    // expansion to the workfile, and is written once.
    if (Fetch(*request) != 1) return -1;
    if (args_.lock && CheckLockRulesFor() != 1) return -1;
    return 1;
  }

  // An output path that names the logfile (or its lock file), in whatever
  // spelling, would replace the whole history with one revision's text.
  bool WorkfileIsTheLogfile() const {
    if (!NamesLogfileOrLockFile(workfile_, session_->path())) return false;
    Report(kAlert, msg::kWorkfileIsLogfile, args_.WorkfilePath());
    return true;
  }

  enum class Writable { kNo, kReplace, kKeep, kAsk };

  // Whether the workfile is there and writable, and what the command line
  // says to do then. -1 (reported) when it cannot even be looked at.
  int LookAtWorkfile(Writable& writable) {
    writable = Writable::kNo;
    workfile_time_ = 0;
    if (!platform::FileExists(workfile_)) return 1;
    const std::optional<std::int64_t> time = platform::ModificationTime(workfile_);
    if (!time) {
      // Not even its time can be read: writing over it would go wrong too.
      Report(kAlert, msg::kWorkfileNotWritten, workfile_, platform::ErrorText(errno));
      return -1;
    }
    workfile_time_ = *time;
    if (platform::IsReadOnly(workfile_)) return 1;
    if (!args_.writableAnswer) {
      writable = Writable::kAsk;
    } else if (AnswerIsKeep(*args_.writableAnswer)) {
      writable = Writable::kKeep;
    } else {
      writable = AnswerIsYes(*args_.writableAnswer) ? Writable::kReplace : Writable::kKeep;
    }
    return 1;
  }

  // A writable workfile may hold changes of the user's: it is replaced only
  // when the user says so, in advance or when asked. `go_on` false: leave
  // it; nothing is done. While the question is open the logfile is let go,
  // so that nobody else's command waits on the answer; it is then taken
  // again, and when the workfile changed meanwhile the question is asked
  // again about what it is now.
  int SettleWritableWorkfile(bool& go_on) {
    while (true) {
      Writable writable = Writable::kNo;
      if (LookAtWorkfile(writable) != 1) return -1;
      if (writable == Writable::kKeep && AnswerIsKeep(*args_.writableAnswer) && !args_.quiet) {
        Report(kStatus, msg::kWritableWorkfileKept, workfile_);
      }
      go_on = writable != Writable::kKeep;
      if (writable != Writable::kAsk) return 1;

      const std::optional<platform::FileState> asked_about = platform::StateOf(workfile_);
      session_.reset();
      Report(kStatus, msg::kAskReplaceWritable, workfile_);
      go_on = AnswerIsYes(CurrentHost().AskQuestion());
      if (!go_on) return 1;
      if (OpenAndFetch() != 1) return -1;
      if (platform::StateOf(workfile_) == asked_about) return LookAtWorkfile(writable);
      Report(kStatus, msg::kChangedWhileAsked, workfile_);
    }
  }

  // The revision asked for: the one given, the one the label names, or the
  // default revision. Nothing (reported) when the label is not there: what
  // was asked for cannot be done.
  std::optional<tarnCommandRevDesc> ChooseRequest() {
    const LogfileHeader& header = session_->header();
    revision_.label = MessageText(msg::kWordNone.number);
    if (args_.date) return ChooseByDate();
    if (args_.revision) return args_.revision;
    if (args_.label) {
      if (header.labels.empty()) {
        Report(kAlert, msg::kNoLabels, args_.fileName);
        return std::nullopt;
      }
      const LabelRecord* label = FindLabel(header, *args_.label);
      if (label == nullptr) {
        Report(kAlert, msg::kLabelNotFound, *args_.label, args_.fileName);
        return std::nullopt;
      }
      revision_.label = *args_.label;
      return LabelToRequest(*label);
    }
    tarnCommandRevDesc request;
    if (DefaultRevision(header, request) != 1) return std::nullopt;
    return request;
  }

  // The newest revision checked in at or before the date, on the line of
  // the revision given or of the default revision; named in the output.
  // Beside a revision on standard output the note goes where errors go, so
  // that the output stays the revision's text alone.
  std::optional<tarnCommandRevDesc> ChooseByDate() {
    return ChooseRevisionByDate(session_->file(), session_->firstRecordOffset(), session_->header(),
                                args_.revision, *args_.date, args_.dateText, args_.fileName,
                                args_.standardOutput ? kAlert : kStatus);
  }

  int Fetch(const tarnCommandRevDesc& request) {
    platform::File& file = session_->file();
    RebuiltRevision rebuilt;
    if (RebuildRevisionText(file, session_->firstRecordOffset(), request, text_, &rebuilt) != 1) {
      ReportWhyNotFetched(request);
      return -1;
    }
    revision_.number = rebuilt.number;
    revision_.offset = rebuilt.offset;
    // The rebuild may report the expanded size; the record as stored is what
    // a lock writes back.
    if (ReadRevisionHeaderAt(file, revision_.offset, revision_.header) != 1) return -1;
    if (!args_.label && !session_->header().labels.empty()) {
      const LabelRecord* label =
          LabelOfRevision(session_->header(), revision_.number, revision_.header);
      if (label != nullptr) revision_.label = label->text;
    }
    return 1;
  }

  // A revision that is not there is named as such; one that is there but
  // could not be rebuilt says so (its reason reported by the rebuild).
  void ReportWhyNotFetched(const tarnCommandRevDesc& request) {
    RevisionRecord record;
    switch (LookUpRevision(session_->file(), session_->firstRecordOffset(), request, record)) {
      case Lookup::kNotFound:
        Report(kAlert, msg::kRevisionNotFound, FormatRevision(request));
        return;
      case Lookup::kFound:
        Report(kAlert, msg::kRebuildFailed, args_.fileName, FormatRevision(request));
        return;
      case Lookup::kFailed:
        return;  // the damage was reported
    }
  }

  // A check-out under CheckLock must obey the lock rules; without CheckLock
  // no lock is recorded, and the user is told.
  int CheckLockRulesFor() {
    if (!HasAttribute(kAttrCheckLock)) {
      Report(kStatus, msg::kCheckLockOff, args_.fileName,
             std::string_view(MessageText(msg::kLocksNotRecorded.number)));
      return 1;
    }
    tRevHdr locked = revision_.header;
    return CheckLockRules(session_->file(), session_->firstRecordOffset(), args_.fileName,
                          session_->header(), env_, locked);
  }

  int Expand() {
    KeywordExpansionContext context;
    context.revision = revision_.header;
    context.revisionNumber = revision_.number;
    context.header = &session_->header();
    context.logfile = &session_->file();
    context.firstRevisionOffset = session_->firstRecordOffset();
    context.workfilePath = args_.WorkfilePath();
    context.logfileArgument = args_.fileName;
    context.logfilePath = session_->path();
    context.revisionLabel = revision_.label;
    context.binary = HasAttribute(kAttrBinaryFile);
    context.environment = &env_;
    ByteBuffer expanded;
    if (ExpandKeywordsInText(context, text_, expanded) != 1) return -1;
    text_.swap(expanded);
    return 1;
  }

  std::int64_t WorkfileTimestamp() const {
    switch (args_.timestamp) {
      case WorkfileTimestamp::kEditTime:
        return revision_.header.FileEditDate;
      case WorkfileTimestamp::kCheckInTime:
        return revision_.header.FilePutDate;
      case WorkfileTimestamp::kNow:
        break;
    }
    return platform::CurrentTime();
  }

  int WriteWorkfile() {
    WorkfileFinish finish;
    finish.timestamp = WorkfileTimestamp();
    // A workfile fetched without a lock is only for reading while locks
    // are kept: protecting it stops edits that could never be checked in.
    finish.readOnly =
        !args_.lock && HasAttribute(kAttrCheckLock) && HasAttribute(kAttrProtectWorkFile);
    if (ReplaceWorkfileWithText(text_, workfile_, finish) != 1) return -1;
    if (args_.fetchedRevision != nullptr) *args_.fetchedRevision = FormatRevision(revision_.number);
    if (!args_.quiet) {
      Report(kStatus, msg::kFetched, FormatRevision(revision_.number), session_->path(),
             args_.WorkfilePath());
      Report(kStatus, msg::kFetchedEditTime, LocalDateText(revision_.header.FileEditDate));
      Report(kStatus, msg::kFetchedCheckinTime, LocalDateText(revision_.header.FilePutDate));
    }
    return 1;
  }

  // The lock is recorded only once the workfile is in place, so that a get
  // that failed never leaves a lock without a workfile behind. Record and
  // lock count change together (lock_change.h).
  int RecordLock() {
    if (!HasAttribute(kAttrCheckLock)) return 1;
    tRevHdr locked = revision_.header;
    LogfileHeader& header = session_->header();
    if (CheckLockRules(session_->file(), session_->firstRecordOffset(), args_.fileName, header, env_,
                       locked) != 1) {
      return -1;
    }
    if (header.fixed._iSupplementalInfoSize == static_cast<std::int16_t>(kSupplementalInfoSize)) {
      if (UpdateSupplementalInfo(header, args_.WorkfilePath(), env_) != 1) return -1;
    }
    return WriteLockChange(*session_, revision_.offset, revision_.header, locked);
  }

  void WriteJournal() {
    OptionEcho echo;
    echo.Flag(msg::kOptionLock).Revision(msg::kOptionRevision, FormatRevision(revision_.number));
    if (args_.workfile) echo.Value(msg::kOptionOutput, *args_.workfile);
    if (args_.label) echo.QuotedLabel(msg::kOptionLabel, *args_.label);
    echo.Attributes(args_.attributes.mask, effective_).FileName(args_.fileName);
    WriteJournalEntry(ProgramLabel(), env_, session_->path(), echo.Text());
  }

  // Closes the logfile, writes the journal entry of a check-out and
  // releases the lock file. A logfile that could not be protected again
  // makes the command fail.
  int Finish(int result) {
    if (!session_) return result;  // let go for a question answered no
    session_->CloseLogfile();
    if (locked_ && result == 1 && HasAttribute(kAttrJournalFile)) WriteJournal();
    if (session_->Close() != 1 && result != -1) return -1;
    return result;
  }

  const GetCommandArgs& args_;
  tarnEnvironVars& env_;
  std::optional<LogfileSession> session_;  // none while a question is open
  std::uint16_t effective_ = 0;
  std::string workfile_;            // the file written: the workfile or the file its link names
  std::int64_t workfile_time_ = 0;  // 0: there is no workfile
  FetchedRevision revision_;
  ByteBuffer text_;      // the fetched revision's text, expanded once the keywords are
  bool locked_ = false;  // a check-out that went through
};

}  // namespace

int RunGetCommand(const GetCommandArgs& args, tarnEnvironVars& env) {
  const ScopedQuietReports quiet(args.quiet);
  GetRun run(args, env);
  return run.Run();
}

}  // namespace tarn
