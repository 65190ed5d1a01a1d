// "Modify Module Author" (single file only): the current owner and a choice
// among the names of the access list.
#pragma once

#include "frontend/header_dialog.h"

class QComboBox;
class QLineEdit;

namespace tarn::dorn {

class ModuleAuthorDialog : public HeaderDialog {
  Q_OBJECT

 public:
  ModuleAuthorDialog(const HeaderDialogContext& context, QWidget* parent = nullptr);

  std::string Command() const override;
  QLineEdit* CurrentField() const { return current_; }
  QComboBox* AuthorList() const { return authors_; }

 public slots:
  void accept() override;

 private:
  QLineEdit* current_;
  QComboBox* authors_;
};

}  // namespace tarn::dorn
