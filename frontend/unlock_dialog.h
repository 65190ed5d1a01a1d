// "Unlock a revision".
#pragma once

#include "frontend/lock_dialog.h"

namespace tarn::dorn {

class UnlockDialog : public LockDialog {
  Q_OBJECT

 public:
  UnlockDialog(const FileDialogContext& context, QWidget* parent = nullptr);
};

}  // namespace tarn::dorn
