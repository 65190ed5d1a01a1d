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
#include "projects/users.h"

namespace tarn::dorn {

LoginDialog::LoginDialog(std::string systemIni, QWidget* parent)
    : QDialog(parent),
      systemIni_(std::move(systemIni)),
      users_(new QComboBox(this)), password_(new QLineEdit(this)) {
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

  std::vector<std::string> names = ListUsers(systemIni_);
  if (names.empty()) {
    // The first start: the maintenance says why it opened; closed without
    // a user (Close, Esc, the window's close button) the login ends, as
    // Cancel would.
    MaintainUsersDialog maintenance(systemIni_, this);
    maintenance.ExplainFirstStart();
    maintenance.exec();
    names = ListUsers(systemIni_);
  }
  QStringList sorted;
  for (const std::string& name : names) sorted << Qs(name);
  sorted.sort();
  users_->addItems(sorted);
  users_->setCurrentIndex(0);
  password_->setFocus();
}

std::optional<std::string> LoginDialog::Run(const std::string& systemIni, QWidget* parent) {
  LoginDialog dialog(systemIni, parent);
  if (dialog.UserList()->count() == 0) return std::nullopt;
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.UserName();
}

std::string LoginDialog::UserName() const { return users_->currentText().toStdString(); }

void LoginDialog::accept() {
  const std::string name = UserName();
  QString refusal;
  switch (CheckLogin(systemIni_, name, password_->text().toStdString())) {
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
