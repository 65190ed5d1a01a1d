// "Get a file": fetches a revision, chosen by number or by label, into a
// workfile. The check-out dialog is the same dialog with the lock added
// and two choices left out.
#pragma once

#include "frontend/command_strings.h"
#include "frontend/file_operation_dialog.h"

class QCheckBox;
class QComboBox;
class QListWidget;

namespace tarn::dorn {

class GetDialog : public FileOperationDialog {
  Q_OBJECT

 public:
  GetDialog(const FileDialogContext& context, QWidget* parent = nullptr);

  GetChoices Choices() const;
  std::string Command() override;

  QCheckBox* ExpandKeywordsBox() const { return expandKeywords_; }
  QCheckBox* NewerOnlyBox() const { return newerOnly_; }
  QCheckBox* MakeWritableBox() const { return makeWritable_; }
  QCheckBox* ByLabelBox() const { return byLabel_; }
  QLineEdit* LabelField() const { return label_; }
  QListWidget* LabelList() const { return labels_; }
  QComboBox* WritableList() const { return writable_; }
  QComboBox* TimestampList() const { return timestamp_; }

 public slots:
  void accept() override;

 protected:
  // The check-out dialog's constructor.
  GetDialog(const FileDialogContext& context, bool checkOut, QWidget* parent);

 private:
  void Build(bool checkOut);
  void OnByLabelToggled(bool on);
  void AcceptForEveryFile();
  // The multi-file form's label list: every logfile's label names, read the
  // first time "Get by label" is checked.
  void FillLabelsFromEveryLogfile();

  bool checkOut_;
  QComboBox* writable_ = nullptr;
  QComboBox* timestamp_ = nullptr;
  QCheckBox* expandKeywords_ = nullptr;
  QCheckBox* newerOnly_ = nullptr;
  QCheckBox* makeWritable_ = nullptr;
  QCheckBox* byLabel_ = nullptr;
  QLineEdit* label_ = nullptr;
  QListWidget* labels_ = nullptr;
  bool labelsFilled_ = false;
};

// The state of a three-state check box as a command choice.
TriState TriStateOf(const QCheckBox* box);

}  // namespace tarn::dorn
