// "Add File to Project": puts a workfile under control by creating its
// logfile with the first revision.
#pragma once

#include <array>

#include "frontend/command_strings.h"
#include "frontend/file_operation_dialog.h"

class QCheckBox;
class QPlainTextEdit;

namespace tarn::dorn {

class AddDialog : public FileOperationDialog {
  Q_OBJECT

 public:
  AddDialog(const FileDialogContext& context, QWidget* parent = nullptr);

  AddChoices Choices() const;
  std::string Command() override;

  QPlainTextEdit* DescriptionField() const { return description_; }
  // The attribute check boxes by attribute bit (0 check locks ... 7 compress).
  QCheckBox* AttributeBox(int bit) const { return attributes_[static_cast<std::size_t>(bit)]; }

 public slots:
  void accept() override;

 private:
  void AcceptForEveryFile();

  QPlainTextEdit* description_;
  std::array<QCheckBox*, 8> attributes_{};
  std::uint16_t defaults_ = 0;
};

// The default attributes of new logfiles under these settings.
std::uint16_t DefaultAttributes(const tEnvVar& settings);

}  // namespace tarn::dorn
