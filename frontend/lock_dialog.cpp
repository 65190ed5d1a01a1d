#include "frontend/lock_dialog.h"

#include "frontend/command_strings.h"
#include "frontend/front_text.h"

namespace tarn::dorn {

LockDialog::LockDialog(const FileDialogContext& context, QWidget* parent)
    : LockDialog(context, false, parent) {}

LockDialog::LockDialog(const FileDialogContext& context, bool unlock, QWidget* parent)
    : FileOperationDialog(context, unlock ? tr("Unlock a revision") : tr("Lock a revision"),
                          parent),
      unlock_(unlock) {
  AddRevisionList(unlock ? tr("You've elected to unlock revision:")
                         : tr("You've elected to lock revision:"));
  AddArchiveField(tr("in the archive file:"));
  AddButtons();
}

std::string LockDialog::Command() {
  return unlock_ ? UnlockCommand(ChosenRevision()) : LockCommand(ChosenRevision());
}

void LockDialog::accept() {
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

}  // namespace tarn::dorn
