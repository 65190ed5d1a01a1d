#include "frontend/check_out_dialog.h"

namespace tarn::dorn {

CheckOutDialog::CheckOutDialog(const FileDialogContext& context, QWidget* parent)
    : GetDialog(context, true, parent) {}

}  // namespace tarn::dorn
