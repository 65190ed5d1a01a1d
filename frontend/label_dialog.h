// "Label a file": attaches a label to a revision.
#pragma once

#include "frontend/file_operation_dialog.h"

namespace tarn::dorn {

class LabelDialog : public FileOperationDialog {
  Q_OBJECT

 public:
  LabelDialog(const FileDialogContext& context, QWidget* parent = nullptr);

  std::string Command() override;
  QLineEdit* LabelField() const { return label_; }

 public slots:
  void accept() override;

 private:
  void AcceptForEveryFile(const std::string& label);

  QLineEdit* label_;
};

}  // namespace tarn::dorn
