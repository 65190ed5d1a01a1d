// "Modify module description": the description the header holds and the
// new one.
#pragma once

#include "frontend/header_dialog.h"

class QPlainTextEdit;

namespace tarn::dorn {

class ModuleDescriptionDialog : public HeaderDialog {
  Q_OBJECT

 public:
  ModuleDescriptionDialog(const HeaderDialogContext& context, QWidget* parent = nullptr);

  std::string Command() const override;
  QPlainTextEdit* ExistingField() const { return existing_; }
  QPlainTextEdit* NewField() const { return new_; }

 public slots:
  void accept() override;

 private:
  QPlainTextEdit* existing_;
  QPlainTextEdit* new_;
};

}  // namespace tarn::dorn
