// "Lock a revision". The unlock dialog is the same dialog running the
// unlock command.
#pragma once

#include "frontend/file_operation_dialog.h"

namespace tarn::dorn {

class LockDialog : public FileOperationDialog {
  Q_OBJECT

 public:
  LockDialog(const FileDialogContext& context, QWidget* parent = nullptr);

  std::string Command() override;

 public slots:
  void accept() override;

 protected:
  // The unlock dialog's constructor.
  LockDialog(const FileDialogContext& context, bool unlock, QWidget* parent);

 private:
  void AcceptForEveryFile();

  bool unlock_;
};

}  // namespace tarn::dorn
