#include "frontend/lock_dialog.h"

#include "frontend/command_strings.h"
#include "frontend/front_text.h"

namespace tarn::dorn {

LockDialog::LockDialog(const FileDialogContext& context, QWidget* parent)
    : LockDialog(context, false, parent) {}

namespace {

QString Title(const FileDialogContext& context, bool unlock) {
  if (context.files.empty()) {
    return unlock ? LockDialog::tr("Unlock a revision") : LockDialog::tr("Lock a revision");
  }
  return unlock ? CatalogueText(msg::kMultiUnlockTitle)
                : FrontText(msg::kMultiLockTitle, static_cast<int>(context.files.size()));
}

}  // namespace

LockDialog::LockDialog(const FileDialogContext& context, bool unlock, QWidget* parent)
    : FileOperationDialog(context, Title(context, unlock), parent), unlock_(unlock) {
  AddRevisionList(unlock ? FormText(tr("You've elected to unlock revision:"),
                                    tr("Unlock the default revision"))
                         : FormText(tr("You've elected to lock revision:"),
                                    tr("Lock the default revision")));
  AddArchiveField(FormText(tr("in the archive file:"), tr("For logfiles in this directory:")));
  AddButtons();
}

std::string LockDialog::Command() {
  return unlock_ ? UnlockCommand(ChosenRevision()) : LockCommand(ChosenRevision());
}

void LockDialog::accept() {
  if (IsMultiFile()) {
    AcceptForEveryFile();
    return;
  }
  const std::string revision = ChosenRevision();
  if (RunCommand(unlock_ ? Operation::kUnlock : Operation::kLock, Command())) {
    ShowStatus(unlock_ ? FrontText(msg::kUnlockedRevision, revision, LogfilePath())
                       : FrontText(msg::kLockedRevision, revision, LogfilePath()));
    QDialog::accept();
    return;
  }
  // The dialog stays open: another revision may be chosen.
  ShowFailure(unlock_ ? FrontText(msg::kUnlockFailed, revision, LogfilePath())
                      : FrontText(msg::kLockFailed, revision, LogfilePath()));
}

void LockDialog::AcceptForEveryFile() {
  const std::string command = Command();
  const MultiFileOutcome outcome = RunOverFiles(
      false,
      [&](const std::string& name) {
        if (!RunOn(name, unlock_ ? Operation::kUnlock : Operation::kLock, command)) return false;
        const std::string logfile = LogfilePathOf(name);
        ShowStatus(unlock_ ? FrontText(msg::kUnlockedLogfile, logfile)
                           : FrontText(msg::kLockedDefaultRevision, logfile));
        RefreshEntry(name);
        return true;
      },
      [&](const std::string& name) {
        return unlock_ ? FrontText(msg::kMultiUnlockFailed, LogfilePathOf(name))
                       : FrontText(msg::kMultiLockFailed, LogfilePathOf(name));
      });
  CloseAfterRun(outcome);
}

}  // namespace tarn::dorn
