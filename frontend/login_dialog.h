// "Login": the user picks a name from the list of users and types the
// password. Runs before the main window exists when the environment names
// no user.
#pragma once

#include <QDialog>
#include <optional>
#include <string>


class QComboBox;
class QLineEdit;

namespace tarn::dorn {

class LoginDialog : public QDialog {
  Q_OBJECT

 public:
  // Fills the list; while there is no user, the user maintenance dialog
  // runs first so that one can be added.
  // `systemIni` is the full name of dorn.ini, which holds the users.
  explicit LoginDialog(std::string systemIni, QWidget* parent = nullptr);

  // The login as a whole: the chosen name, or nothing when it was cancelled.
  static std::optional<std::string> Run(const std::string& systemIni, QWidget* parent = nullptr);

  std::string UserName() const;
  QComboBox* UserList() const { return users_; }
  QLineEdit* PasswordField() const { return password_; }

 public slots:
  void accept() override;

 private:
  std::string systemIni_;
  QComboBox* users_;
  QLineEdit* password_;
};

}  // namespace tarn::dorn
