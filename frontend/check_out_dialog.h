// "Check Out a file": a get that locks the revision it fetches.
#pragma once

#include "frontend/get_dialog.h"

namespace tarn::dorn {

class CheckOutDialog : public GetDialog {
  Q_OBJECT

 public:
  CheckOutDialog(const FileDialogContext& context, QWidget* parent = nullptr);
};

}  // namespace tarn::dorn
