// The lock and unlock operations.
#include "engine/commands/lock_command.h"

#include <optional>

#include "engine/commands/lock_break.h"
#include "engine/format/revision_number.h"
#include "engine/format/supplemental_info.h"
#include "engine/format/user_list.h"
#include "engine/revisions/lock_change.h"
#include "engine/revisions/lock_rules.h"
#include "engine/store/journal.h"
#include "engine/store/logfile_session.h"
#include "engine/store/revision_lookup.h"
#include "engine/store/revision_scan.h"
#include "engine/support/identity_note.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/quiet_reports.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// The record that `request` selects, scanning from the first record.
std::optional<RevisionRecord> FindRecord(platform::File& file, std::int64_t first_record_offset,
                                         const tarnCommandRevDesc& request) {
  RevisionRecord record;
  switch (LookUpRevision(file, first_record_offset, request, record)) {
    case Lookup::kFound:
      return record;
    case Lookup::kNotFound:
      Report(kAlert, msg::kRevisionNotFound, FormatRevision(request));
      return std::nullopt;
    case Lookup::kFailed:
      break;
  }
  return std::nullopt;
}

// The revision a lock or unlock acts on: the one given; else the stored
// default revision (the newest on the default branch); else the first
// record, the newest trunk revision.
std::optional<RevisionRecord> FindTargetRevision(LogfileSession& session,
                                                 const std::optional<tarnCommandRevDesc>& given) {
  const LogfileHeader& header = session.header();
  if (given) return FindRecord(session.file(), session.firstRecordOffset(), *given);
  if (header.defaultRevision) {
    return FindRecord(session.file(), session.firstRecordOffset(), *header.defaultRevision);
  }
  RevisionScanner scanner(session.file(), session.firstRecordOffset());
  RevisionRecord record;
  switch (scanner.Next(record)) {
    case RevisionScanner::Step::kRecord:
      return record;
    case RevisionScanner::Step::kEnd: {
      // A logfile without any revision: there is nothing to lock.
      tarnCommandRevDesc newest;
      DefaultRevision(header, newest);
      Report(kAlert, msg::kRevisionNotFound, FormatRevision(newest));
      return std::nullopt;
    }
    case RevisionScanner::Step::kFailed:
      return std::nullopt;
  }
  return std::nullopt;
}

void WriteLockJournalEntry(const tarnEnvironVars& env, const LogfileSession& session,
                           std::string_view file_name, const std::string& revision_number) {
  if ((env.attributes & kAttrJournalFile) == 0) return;
  OptionEcho echo;
  echo.Value(msg::kOptionRevision, revision_number).FileName(file_name);
  WriteJournalEntry(ProgramLabel(), env, session.path(), echo.Text());
}

int CheckLockOff(std::string_view file_name) {
  Report(kAlert, msg::kCheckLockOff, file_name,
         std::string_view(MessageText(msg::kLocksNotRecorded.number)));
  return -1;
}

int Lock(const LockCommandArgs& args, tarnEnvironVars& env, LogfileSession& session,
         std::string& revision_number) {
  if (session.OpenForChange(args.fileName, env) != 1) return -1;
  LogfileHeader& header = session.header();
  // The command acts under the logfile's own attributes; releasing the lock
  // file protects the logfile by them.
  env.attributes = header.fixed._iAttributes;
  if ((env.attributes & kAttrCheckLock) == 0) {
    // Nothing to record: locks are neither kept nor checked in this logfile.
    CheckLockOff(args.fileName);
    return 1;
  }
  const std::optional<RevisionRecord> record = FindTargetRevision(session, args.revision);
  if (!record) return -1;
  tRevHdr locked = record->header;
  // A refused lock is a failure of the command: the user does not have it.
  if (CheckLockRules(session.file(), session.firstRecordOffset(), args.fileName, header, env,
                     locked) != 1) {
    return -1;
  }
  if (header.fixed._iSupplementalInfoSize == static_cast<std::int16_t>(kSupplementalInfoSize)) {
    if (UpdateSupplementalInfo(header, args.fileName, env) != 1) return -1;
  }
  if (WriteLockChange(session, record->offset, record->header, locked) != 1) return -1;
  revision_number = FormatRevision(record->number);
  Report(kStatus, msg::kLocked, revision_number, args.fileName, env.userName);
  return 1;
}

// The first record, in file order, that `user_index` holds locked; a user
// holds at most one lock per logfile. Nothing, reported as nothing to do,
// when the user holds none; nothing, reported as damage, when the records
// cannot be read (`failed` tells the two apart).
std::optional<RevisionRecord> FindOwnLock(LogfileSession& session, int user_index,
                                          std::string_view file_name, bool& failed) {
  failed = false;
  RevisionScanner scanner(session.file(), session.firstRecordOffset());
  RevisionRecord record;
  while (true) {
    switch (scanner.Next(record)) {
      case RevisionScanner::Step::kRecord:
        if (user_index >= 0 && record.header._iLocked != 0 &&
            record.header.LockerIndex == user_index) {
          return record;
        }
        break;
      case RevisionScanner::Step::kEnd:
        Report(kStatus, msg::kHoldsNoLock, file_name);
        return std::nullopt;
      case RevisionScanner::Step::kFailed:
        failed = true;
        return std::nullopt;
    }
  }
}

int Unlock(const LockCommandArgs& args, tarnEnvironVars& env, LogfileSession& session,
           std::string& revision_number) {
  if (session.OpenForChange(args.fileName, env) != 1) return -1;
  LogfileHeader& header = session.header();
  env.attributes = header.fixed._iAttributes;
  if ((env.attributes & kAttrCheckLock) == 0) return CheckLockOff(args.fileName);
  // The records say what is locked; the stored count may have gone wrong
  // (a command killed in the middle of a lock, before it was made safe),
  // and a lock it does not count must still be releasable.
  const std::optional<int> locked =
      CountLockedRevisions(session.file(), session.firstRecordOffset());
  if (!locked) return -1;
  // Nothing to release is nothing done, never a success: a script must not
  // take it for a lock given up.
  if (*locked < 1) {
    Report(kStatus, msg::kNoLocks, args.fileName);
    return 2;
  }
  if (UserIndex(env.userName, header.accessList) < 0) {
    Report(kAlert, msg::kNotInAccessList, ProgramLabel());
    ReportIdentityNote(env);
    ReportAccessListCure(header, args.fileName);
    return -1;
  }
  const int user_index = UserIndex(env.userName, header.modifierList);
  // Without a revision named, the user's own lock is released wherever it
  // is: the default revision may have moved on since it was taken.
  std::optional<RevisionRecord> record;
  if (args.revision) {
    record = FindTargetRevision(session, args.revision);
    if (!record) return -1;
  } else {
    bool failed = false;
    record = FindOwnLock(session, user_index, args.fileName, failed);
    if (!record) return failed ? -1 : 2;
  }
  const std::string number = FormatRevision(record->number);
  if (record->header._iLocked == 0) {
    Report(kStatus, msg::kNotLocked, number, args.fileName);
    return 2;
  }
  if (user_index < 0 || record->header.LockerIndex != user_index) {
    // A lock is removed only by its holder.
    const std::string holder = UserName(header.modifierList, record->header.LockerIndex);
    Report(kAlert, msg::kLockedByOther, number, args.fileName, std::string_view(holder));
    ReportIdentityNote(env);
    ReportLockHolderCure(holder, args.fileName);
    return -1;
  }
  tRevHdr unlocked = record->header;
  unlocked._iLocked = 0;
  unlocked.LockerIndex = 0;
  if (WriteLockChange(session, record->offset, record->header, unlocked) != 1) return -1;
  revision_number = number;
  return 1;
}

// Runs `operation`, then closes the logfile, writes the journal entry of a
// change and releases the lock file, in that order.
template <class Operation>
int RunLockOperation(const LockCommandArgs& args, tarnEnvironVars& env, Operation operation) {
  LogfileSession session;
  std::string revision_number;
  const int result = operation(args, env, session, revision_number);
  session.CloseLogfile();
  if (!revision_number.empty()) WriteLockJournalEntry(env, session, args.fileName, revision_number);
  // A logfile left unprotected against its attributes makes the command fail.
  if (session.Close() != 1 && result == 1) return -1;
  return result;
}

}  // namespace

int LockRevision(const LockCommandArgs& args, tarnEnvironVars& env) {
  const ScopedQuietReports quiet(args.quiet);
  return RunLockOperation(args, env, Lock);
}

int UnlockRevision(const LockCommandArgs& args, tarnEnvironVars& env) {
  const ScopedQuietReports quiet(args.quiet);
  if (args.breakLock) return BreakLogfileLock(args, env);
  return RunLockOperation(args, env, Unlock);
}

}  // namespace tarn
