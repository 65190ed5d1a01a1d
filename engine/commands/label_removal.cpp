// The remove-label operation: deletes one label and rewrites the logfile
// with the shorter label list.
#include <optional>

#include "engine/commands/label_command.h"
#include "engine/format/supplemental_info.h"
#include "engine/format/user_list.h"
#include "engine/revisions/label_entries.h"
#include "engine/revisions/labels.h"
#include "engine/revisions/lock_rules.h"
#include "engine/store/journal.h"
#include "engine/store/logfile_rewrite.h"
#include "engine/store/logfile_session.h"
#include "engine/support/identity_note.h"
#include "engine/support/messages.h"
#include "engine/support/quiet_reports.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// 1 removed, 2 nothing to remove, -1 refused or not written.
int RemoveFromLogfile(const UnlabelCommandArgs& args, tarnEnvironVars& env,
                      LogfileSession& session) {
  if (session.OpenForChange(args.fileName, env) != 1) return -1;
  LogfileHeader& header = session.header();
  env.attributes = WithLogfileAttributes(env.attributes, header.fixed._iAttributes);
  std::optional<LogfileRewrite> rewrite =
      LogfileRewrite::Begin(session.path(), BackupName::kUnderscoreInFront);
  if (!rewrite) return -1;
  if (header.labels.empty()) {
    Report(kStatus, msg::kNoLabelsToRemove, session.path());
    return 2;
  }
  if (UserIndex(env.userName, header.accessList) < 0) {
    Report(kAlert, msg::kNotInAccessList, ProgramLabel());
    ReportIdentityNote(env);
    ReportAccessListCure(header, args.fileName);
    return -1;
  }
  if (FindLabel(header, args.label) == nullptr) {
    Report(kStatus, msg::kLabelToRemoveNotFound, args.label, session.path());
    return 2;
  }
  Report(kStatus, msg::kRemovingLabel, args.label);
  RemoveLabelEntry(header, args.label);
  if (header.supplementalInfo.size() == kSupplementalInfoSize &&
      UpdateSupplementalInfo(header, args.fileName, env) != 1) {
    return -1;
  }
  if (rewrite->Finish(session.file(), session.firstRecordOffset(), header) != 1) return -1;
  if ((env.attributes & kAttrJournalFile) != 0) {
    OptionEcho echo;
    echo.Value(msg::kOptionLabel, "'" + args.label + "'").FileName(args.fileName);
    WriteJournalEntry(ProgramLabel(), env, session.path(), echo.Text());
  }
  return 1;
}

}  // namespace

int RemoveLabel(const UnlabelCommandArgs& args, tarnEnvironVars& env) {
  const ScopedQuietReports quiet(args.quiet);
  LogfileSession session;
  const int result = RemoveFromLogfile(args, env, session);
  return result == 2 ? 1 : result;
}

}  // namespace tarn
