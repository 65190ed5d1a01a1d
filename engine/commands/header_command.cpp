// The modify-header operation: the attribute change, one header change with
// its value (given or typed), the rewrite and the journal entry.
#include "engine/commands/header_command.h"

#include <algorithm>
#include <optional>
#include <string>

#include "engine/commands/header_changes.h"
#include "engine/format/supplemental_info.h"
#include "engine/format/user_list.h"
#include "engine/revisions/lock_change.h"
#include "engine/revisions/lock_rules.h"
#include "engine/store/journal.h"
#include "engine/store/logfile_rewrite.h"
#include "engine/store/logfile_session.h"
#include "engine/support/identity_note.h"
#include "engine/support/messages.h"
#include "engine/support/quiet_reports.h"
#include "engine/support/report.h"
#include "engine/text/description_reader.h"

namespace tarn {

namespace {

// The option word a change is echoed with in the journal; null for the
// default-branch change, whose note says everything.
const MessageId* ChangeWord(HeaderChange change) {
  switch (change) {
    case HeaderChange::kAccessList:
      return &msg::kOptionAccessList;
    case HeaderChange::kCommentPrefix:
      return &msg::kOptionCommentPrefix;
    case HeaderChange::kDescription:
      return &msg::kOptionDescription;
    case HeaderChange::kAddUsers:
      return &msg::kOptionAddUsers;
    case HeaderChange::kOwner:
      return &msg::kOptionOwner;
    case HeaderChange::kRenameLabel:
    case HeaderChange::kDefaultBranch:
    case HeaderChange::kNone:
      break;
  }
  return nullptr;
}

class HeaderCommand {
 public:
  HeaderCommand(const HeaderCommandArgs& args, tarnEnvironVars& env)
      : args_(args), env_(env), lock_env_(env) {}

  int Run() {
    // The lock is released under the logfile's own attributes (a protected
    // logfile is protected again), while the caller's attribute word stays
    // as it was supplied for the journal decision.
    if (session_.OpenForChange(args_.fileName, lock_env_) != 1) return -1;
    LogfileHeader& header = session_.header();
    ProtectBy(header.fixed._iAttributes);
    std::optional<LogfileRewrite> rewrite =
        LogfileRewrite::Begin(session_.path(), BackupName::kFirstCharacterReplaced);
    if (!rewrite) return -1;
    if (UserIndex(env_.userName, header.accessList) < 0) {
      Report(kAlert, msg::kNotInAccessList, ProgramLabel());
      ReportIdentityNote(env_);
      ReportAccessListCure(header, args_.fileName);
      return -1;
    }
    bool changed = false;
    if (args_.attributes) {
      if (ChangeAttributes(*args_.attributes) != 1) return -1;
      changed = args_.attributes->mask != 0;
    }
    if (args_.change != HeaderChange::kNone) {
      const int result = ApplyChange();
      if (result < 0) return -1;
      changed = changed || result == 1;
    }
    if (!changed) return 1;
    if (header.supplementalInfo.size() == kSupplementalInfoSize &&
        UpdateSupplementalInfo(header, args_.fileName, env_) != 1) {
      return -1;
    }
    if (rewrite->Finish(session_.file(), session_.firstRecordOffset(), header) != 1) return -1;
    ProtectBy(header.fixed._iAttributes);
    if ((env_.attributes & kAttrJournalFile) != 0) WriteJournal();
    return 1;
  }

 private:
  void ProtectBy(std::uint16_t attributes) {
    lock_env_.attributes = WithLogfileAttributes(lock_env_.attributes, attributes);
  }

  // CheckLock may not be cleared while revisions are locked: their locks
  // would stay recorded with nothing to release them.
  // A lock the stored count misses (left by a command killed before locks
  // were made safe) counts as much as one it holds; the rewrite stores the
  // count the records give.
  int ChangeAttributes(const AttributeOverride& attributes) {
    tLogFileHdr& fixed = session_.header().fixed;
    const std::optional<int> locked =
        CountLockedRevisions(session_.file(), session_.firstRecordOffset());
    if (!locked) return -1;
    const int locks = std::max<int>(*locked, fixed._iLockCount);
    const bool clears_check_lock = (fixed._iAttributes & kAttrCheckLock) != 0 &&
                                   (attributes.mask & kAttrCheckLock) != 0 &&
                                   (attributes.values & kAttrCheckLock) == 0;
    if (clears_check_lock && locks != 0) {
      Report(kAlert, msg::kLocksPreventClearing, locks, args_.fileName);
      return -1;
    }
    fixed._iLockCount = static_cast<std::int16_t>(*locked);
    fixed._iAttributes = attributes.ApplyTo(fixed._iAttributes);
    return 1;
  }

  int ApplyChange() {
    LogfileHeader& header = session_.header();
    if (args_.change == HeaderChange::kDefaultBranch) {
      return ChangeDefaultBranch(header, session_.file(), session_.firstRecordOffset(),
                                 *args_.revision, note_);
    }
    if (args_.change == HeaderChange::kRenameLabel) {
      const int creator = UserIndex(env_.userName, header.modifierList);
      if (creator < 0) {
        // A label stores its creator as a position in the user list.
        Report(kAlert, msg::kUserNotInModifierList);
        ReportIdentityNote(env_);
        return -1;
      }
      const std::optional<std::string> value = Value();
      if (!value) return -1;
      return RenameLabel(header, args_.label, *value, static_cast<std::int16_t>(creator),
                         args_.fileName, note_);
    }
    const std::optional<std::string> value = Value();
    if (!value) return -1;
    switch (args_.change) {
      case HeaderChange::kAccessList:
        return ChangeAccessList(header, *value, note_);
      case HeaderChange::kCommentPrefix:
        return ChangeCommentPrefix(header, *value, note_);
      case HeaderChange::kDescription:
        return ChangeDescription(header, *value, note_);
      case HeaderChange::kAddUsers:
        return AddUsers(header, *value, note_);
      case HeaderChange::kOwner:
        return ChangeOwner(header, *value, note_);
      default:
        return -1;
    }
  }

  // The text option's value, or else the value typed at the console after
  // the change's headings and prompt. None when the typing was abandoned.
  std::optional<std::string> Value() {
    if (args_.text) return *args_.text;
    ShowHeadings();
    std::optional<std::string> typed = ReadTypedValueFromConsole();
    if (!typed) {
      Report(kAlert, msg::kValueAbandoned, args_.fileName);
      return std::nullopt;
    }
    CurrentHost().ReportMessage("\n", kStatus);
    // A NUL would end the text early when the header is read back.
    typed->erase(std::remove(typed->begin(), typed->end(), '\0'), typed->end());
    return typed;
  }

  void ShowHeadings() {
    const LogfileHeader& header = session_.header();
    const std::string& file = args_.fileName;
    switch (args_.change) {
      case HeaderChange::kAccessList:
        Report(kStatus, msg::kHeadingAccessList, file, header.accessList);
        Report(kStatus, msg::kHeadingModifierList, file, header.modifierList);
        ReportRaw(kStatus, msg::kPromptAccessList);
        break;
      case HeaderChange::kCommentPrefix:
        Report(kStatus, msg::kHeadingCommentPrefix, file, header.commentPrefix);
        ReportRaw(kStatus, msg::kPromptCommentPrefix);
        break;
      case HeaderChange::kDescription:
        Report(kStatus, msg::kHeadingDescription, file, header.description);
        ReportRaw(kStatus, msg::kPromptDescription);
        break;
      case HeaderChange::kAddUsers:
        Report(kStatus, msg::kHeadingModifierList, file, header.modifierList);
        ReportRaw(kStatus, msg::kPromptAddUsers);
        break;
      case HeaderChange::kOwner:
        Report(kStatus, msg::kHeadingOwner, file, header.owner);
        Report(kStatus, msg::kHeadingAccessList, file, header.accessList);
        ReportRaw(kStatus, msg::kPromptOwner);
        break;
      case HeaderChange::kRenameLabel:
        Report(kStatus, msg::kHeadingRenameLabel, args_.label);
        break;
      case HeaderChange::kDefaultBranch:
      case HeaderChange::kNone:
        break;
    }
  }

  // The program label, the change's option, the attributes changed, the
  // file name, and on the next line the change note.
  void WriteJournal() {
    OptionEcho echo;
    if (args_.change == HeaderChange::kRenameLabel) {
      echo.Value(msg::kOptionRenameLabel, "'" + args_.label + "'");
    } else if (const MessageId* word = ChangeWord(args_.change)) {
      echo.Revision(*word, "");
    }
    if (args_.attributes) echo.Attributes(args_.attributes->mask, args_.attributes->values);
    echo.FileName(args_.fileName);
    std::string text = echo.Text();
    if (!note_.empty()) text += "\n" + note_;
    WriteJournalEntry(ProgramLabel(), env_, session_.path(), text);
  }

  const HeaderCommandArgs& args_;
  tarnEnvironVars& env_;
  tarnEnvironVars lock_env_;  // must outlive session_
  LogfileSession session_;
  std::string note_;
};

}  // namespace

int ModifyHeader(const HeaderCommandArgs& args, tarnEnvironVars& env) {
  const ScopedQuietReports quiet(args.quiet);
  return HeaderCommand(args, env).Run();
}

}  // namespace tarn
