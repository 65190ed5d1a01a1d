// The label operation: adds, moves or copies a label and rewrites the
// logfile with the changed label list.
#include "engine/commands/label_command.h"

#include <algorithm>
#include <optional>
#include <string>

#include "engine/format/revision_number.h"
#include "engine/format/supplemental_info.h"
#include "engine/format/user_list.h"
#include "engine/revisions/label_entries.h"
#include "engine/revisions/labels.h"
#include "engine/revisions/lock_rules.h"
#include "engine/store/journal.h"
#include "engine/store/logfile_rewrite.h"
#include "engine/store/logfile_session.h"
#include "engine/store/revision_lookup.h"
#include "engine/store/revision_scan.h"
#include "engine/support/identity_note.h"
#include "engine/support/messages.h"
#include "engine/support/quiet_reports.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// What the question about an existing label came to.
enum class Decision {
  kMove,    // remove the old entry and go on
  kKeep,    // leave everything as it is; success
  kRefuse,  // leave everything as it is; failure
};

// The answer given in advance, or else the user's answer to `question`
// (reported first as a status message).
template <class... Texts>
Decision Decide(const std::optional<std::string>& given,
                CheckedMessage<std::type_identity_t<Texts>...> question, const Texts&... texts) {
  if (given && AnswerIsKeep(*given)) return Decision::kKeep;
  if (given) return AnswerIsYes(*given) ? Decision::kMove : Decision::kRefuse;
  Report(kStatus, question, texts...);
  return AskYes() ? Decision::kMove : Decision::kRefuse;
}

class LabelCommand {
 public:
  LabelCommand(const LabelCommandArgs& args, tarnEnvironVars& env) : args_(args), env_(env) {}

  int Run() {
    if (session_.OpenForChange(args_.fileName, env_) != 1) return -1;
    LogfileHeader& header = session_.header();
    env_.attributes = WithLogfileAttributes(env_.attributes, header.fixed._iAttributes);
    // The replacement is made before anything is asked: a logfile that
    // cannot be rewritten fails before the user answers a question.
    std::optional<LogfileRewrite> rewrite =
        LogfileRewrite::Begin(session_.path(), BackupName::kFirstCharacterReplaced);
    if (!rewrite) return -1;
    rewrite_.emplace(std::move(*rewrite));
    if (UserIndex(env_.userName, header.accessList) < 0) {
      Report(kAlert, msg::kNotInAccessList, ProgramLabel());
      ReportIdentityNote(env_);
      ReportAccessListCure(header, args_.fileName);
      return -1;
    }
    const int changed = args_.IsCopy() ? CopyLabel() : AddLabel();
    if (changed != 1) return changed;
    return Write();
  }

 private:
  // The label option. 1 when the list was changed, 2 when an existing label
  // stays on purpose (success, nothing written), -1 refused.
  int AddLabel() {
    LogfileHeader& header = session_.header();
    const int creator = UserIndex(env_.userName, header.modifierList);
    if (creator < 0) {
      // A label stores its creator as a position in the user list.
      Report(kAlert, msg::kUserNotInModifierList);
      ReportIdentityNote(env_);
      return -1;
    }
    if (FindLabel(header, args_.label) != nullptr) {
      const Decision decision =
          Decide(args_.answer, msg::kAskMoveLabel, std::string_view(args_.label),
                 std::string_view(args_.fileName));
      if (decision != Decision::kMove) {
        Report(kStatus, msg::kLabelKept, args_.label, args_.fileName);
        return decision == Decision::kKeep ? 2 : -1;
      }
      RemoveLabelEntry(header, args_.label);
    }
    std::optional<LabelRecord> entry = LabelForRequest(static_cast<std::int16_t>(creator));
    if (!entry) return -1;
    header.labels.insert(header.labels.begin(), std::move(*entry));
    applied_ = header.labels.front();
    return 1;
  }

  // The new entry for the revision the command names: the given one (a
  // branch gives a floating label), else the newest revision of the default
  // branch, else the newest trunk revision.
  std::optional<LabelRecord> LabelForRequest(std::int16_t creator) {
    tarnCommandRevDesc request;
    if (args_.revision) {
      request = *args_.revision;
    } else if (DefaultRevision(session_.header(), request) != 1) {
      return std::nullopt;
    }
    RevisionRecord record;
    const Lookup found =
        LookUpRevision(session_.file(), session_.firstRecordOffset(), request, record);
    if (found != Lookup::kFound) {
      if (found == Lookup::kNotFound)
        Report(kAlert, msg::kRevisionNotFound, FormatRevision(request));
      return std::nullopt;
    }
    const bool floating = args_.revision && IsBranchRequest(*args_.revision);
    return MakeLabelEntry(record.number, floating, creator, args_.AppliedLabel());
  }

  // The copy option. 1 when the list was changed, 2 when there is nothing
  // to do (success, nothing written), -1 refused.
  int CopyLabel() {
    LogfileHeader& header = session_.header();
    const std::string& added = *args_.newLabel;
    if (FindLabel(header, args_.label) == nullptr) {
      Report(kStatus, msg::kLabelNotFound, args_.label, args_.fileName);
      return 2;
    }
    if (added == args_.label) {
      // The label marks that revision already.
      Report(kStatus, msg::kLabelKept, added, args_.fileName);
      return 2;
    }
    if (FindLabel(header, added) != nullptr) {
      const Decision decision =
          Decide(args_.answer, msg::kAskReplaceCopyLabel, std::string_view(added),
                 std::string_view(args_.fileName), std::string_view(args_.label));
      if (decision != Decision::kMove) {
        Report(kStatus, msg::kLabelKept, added, args_.fileName);
        return decision == Decision::kKeep ? 2 : -1;
      }
      RemoveLabelEntry(header, added);
    }
    const auto existing =
        std::find_if(header.labels.begin(), header.labels.end(),
                     [this](const LabelRecord& l) { return l.text == args_.label; });
    LabelRecord copy = *existing;
    copy.text = added;
    copy.iVersionSize = static_cast<std::int16_t>(added.size() + 1);
    if (IsFloating(copy) && FixToNewestRevision(copy) != 1) return -1;
    applied_ = copy;
    header.labels.insert(existing, std::move(copy));
    return 1;
  }

  // A copy of a floating label names the branch's newest revision now.
  int FixToNewestRevision(LabelRecord& copy) {
    RevisionRecord record;
    const tarnCommandRevDesc request = LabelToRequest(copy);
    const Lookup found =
        LookUpRevision(session_.file(), session_.firstRecordOffset(), request, record);
    if (found != Lookup::kFound) {
      if (found == Lookup::kNotFound)
        Report(kAlert, msg::kRevisionNotFound, FormatRevision(request));
      return -1;
    }
    copy.elements[static_cast<std::size_t>(copy.iRevisionCount - 1)].minor =
        record.number.elements[static_cast<std::size_t>(copy.iRevisionCount - 1)].iMinor;
    return 1;
  }

  int Write() {
    LogfileHeader& header = session_.header();
    if (header.supplementalInfo.size() == kSupplementalInfoSize &&
        UpdateSupplementalInfo(header, args_.fileName, env_) != 1) {
      return -1;
    }
    if (rewrite_->Finish(session_.file(), session_.firstRecordOffset(), header) != 1) return -1;
    if ((env_.attributes & kAttrJournalFile) != 0) WriteJournal();
    Report(kStatus, msg::kLabelApplied, args_.AppliedLabel(), session_.path());
    return 1;
  }

  void WriteJournal() {
    OptionEcho echo;
    echo.Value(msg::kOptionRevision, FormatRevision(LabelNumber(applied_)));
    // The label's echo is written with the fixed option text "-v".
    std::string text = echo.Text() + " -v '" + args_.AppliedLabel() + "'";
    text += " " + args_.fileName;
    WriteJournalEntry(ProgramLabel(), env_, session_.path(), text);
  }

  const LabelCommandArgs& args_;
  tarnEnvironVars& env_;
  LogfileSession session_;
  std::optional<LogfileRewrite> rewrite_;
  LabelRecord applied_;
};

}  // namespace

int LabelRevision(const LabelCommandArgs& args, tarnEnvironVars& env) {
  const ScopedQuietReports quiet(args.quiet);
  const int result = LabelCommand(args, env).Run();
  return result == 2 ? 1 : result;
}

}  // namespace tarn
