// "Check In a file": stores the workfile as a new revision, with the
// description of the changes.
#pragma once

#include "frontend/command_strings.h"
#include "frontend/file_operation_dialog.h"

class QCheckBox;
class QComboBox;
class QPlainTextEdit;

namespace tarn::dorn {

class CheckInDialog : public FileOperationDialog {
  Q_OBJECT

 public:
  CheckInDialog(const FileDialogContext& context, QWidget* parent = nullptr);

  CheckInChoices Choices() const;
  std::string Command() override;

  QPlainTextEdit* DescriptionField() const { return description_; }
  QCheckBox* LeaveCheckedOutBox() const { return leaveCheckedOut_; }
  QCheckBox* ProtectWorkfileBox() const { return protectWorkfile_; }
  QCheckBox* ForceBranchBox() const { return forceBranch_; }
  QComboBox* DuplicateList() const { return duplicate_; }

 public slots:
  void accept() override;

 private:
  void AcceptForEveryFile();

  QPlainTextEdit* description_;
  QCheckBox* leaveCheckedOut_ = nullptr;
  QCheckBox* protectWorkfile_ = nullptr;
  QCheckBox* forceBranch_ = nullptr;
  QComboBox* duplicate_ = nullptr;
};

// A multi-line description field that starts with `text`, all of it
// selected.
QPlainTextEdit* DescriptionEditor(const QString& text, QWidget* parent);

}  // namespace tarn::dorn
