#include "frontend/unlock_dialog.h"

namespace tarn::dorn {

UnlockDialog::UnlockDialog(const FileDialogContext& context, QWidget* parent)
    : LockDialog(context, true, parent) {}

}  // namespace tarn::dorn
