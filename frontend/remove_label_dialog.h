// "Remove a label from a file".
#pragma once

#include "frontend/file_operation_dialog.h"

class QComboBox;

namespace tarn::dorn {

class RemoveLabelDialog : public FileOperationDialog {
  Q_OBJECT

 public:
  RemoveLabelDialog(const FileDialogContext& context, QWidget* parent = nullptr);

  std::string Command() override;
  QComboBox* LabelList() const { return labels_; }

 public slots:
  void accept() override;

 private:
  void AcceptForEveryFile(const std::string& label);

  QComboBox* labels_;
};

}  // namespace tarn::dorn
