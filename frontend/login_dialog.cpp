#include "frontend/login_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include "frontend/front_text.h"
#include "frontend/maintain_users_dialog.h"

namespace tarn::dorn {

LoginDialog::LoginDialog(UserDirectory& users, QWidget* parent)
    : QDialog(parent), directory_(users), users_(new QComboBox(this)), password_(new QLineEdit(this)) {
  setWindowTitle(tr("Login"));
  password_->setEchoMode(QLineEdit::Password);
  password_->setMaxLength(79);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("Select your TARN User Name:"), this));
  layout->addWidget(users_);
  layout->addWidget(new QLabel(tr("Enter your password:"), this));
  layout->addWidget(password_);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  std::vector<std::string> names = directory_.Users();
  while (names.empty()) {
    MaintainUsersDialog maintenance(directory_, this);
    maintenance.exec();
    names = directory_.Users();
  }
  QStringList sorted;
  for (const std::string& name : names) sorted << Qs(name);
  sorted.sort();
  users_->addItems(sorted);
  users_->setCurrentIndex(0);
  password_->setFocus();
}

std::optional<std::string> LoginDialog::Run(UserDirectory& users, QWidget* parent) {
  LoginDialog dialog(users, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.UserName();
}

std::string LoginDialog::UserName() const { return users_->currentText().toStdString(); }

void LoginDialog::accept() {
  const std::string name = UserName();
  QString refusal;
  switch (directory_.CheckLogin(name, password_->text().toStdString())) {
    case LoginResult::kAccepted:
      QDialog::accept();
      return;
    case LoginResult::kUnknownUser:
      refusal = FrontText(msg::kUserUnknown, name);
      break;
    case LoginResult::kWrongPassword:
      refusal = FrontText(msg::kInvalidPassword, name);
      break;
    case LoginResult::kNotStored:
      refusal = FrontText(msg::kPasswordNotStored, name);
      break;
  }
  QMessageBox::information(this, QApplication::applicationName(), refusal);
}

}  // namespace tarn::dorn
