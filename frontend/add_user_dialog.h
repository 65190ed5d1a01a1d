// "Add TARN User": asks for the name of a new user.
#pragma once

#include <QDialog>

class QLineEdit;

namespace tarn::dorn {

class AddUserDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AddUserDialog(QWidget* parent = nullptr);

  QString UserName() const;
  QLineEdit* NameField() const { return name_; }

 private:
  QLineEdit* name_;
};

}  // namespace tarn::dorn
