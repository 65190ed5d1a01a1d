#include "frontend/access_list_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/add_user_dialog.h"
#include "frontend/front_text.h"
#include "frontend/header_commands.h"
#include "platform/paths.h"
#include "projects/configuration_directory.h"
#include "projects/users.h"

namespace tarn::dorn {

AccessListDialog::AccessListDialog(const HeaderDialogContext& context, QWidget* parent)
    : HeaderDialog(context, tr("Maintain Access List"), parent),
      users_(new QListWidget(this)),
      list_(new QListWidget(this)),
      add_(new QPushButton(QStringLiteral(">>"), this)),
      remove_(new QPushButton(QStringLiteral("<<"), this)),
      newUser_(new QPushButton(tr("New User"), this)) {
  for (const std::string& name : ListUsers(Context().workspace->SystemIniFile())) {
    users_->addItem(Qs(name));
  }
  if (!IsMultiFile()) {
    for (const QString& name :
         Qs(Context().details.accessList).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
      list_->addItem(name);
    }
  }
  auto* middle = new QVBoxLayout;
  middle->addStretch();
  for (QPushButton* button : {add_, remove_, newUser_}) middle->addWidget(button);
  middle->addStretch();
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(tr("TARN Users:"), this), 0, 0);
  grid->addWidget(new QLabel(tr("New Access List:"), this), 0, 2);
  grid->addWidget(users_, 1, 0);
  grid->addLayout(middle, 1, 1);
  grid->addWidget(list_, 1, 2);
  Body()->addLayout(grid);
  AddButtons();
  connect(add_, &QPushButton::clicked, this, &AccessListDialog::AddSelectedUser);
  connect(remove_, &QPushButton::clicked, this, &AccessListDialog::RemoveSelectedEntry);
  connect(newUser_, &QPushButton::clicked, this, &AccessListDialog::OnNewUser);
  connect(users_, &QListWidget::currentRowChanged, this, &AccessListDialog::UpdateButtons);
  connect(list_, &QListWidget::currentRowChanged, this, &AccessListDialog::UpdateButtons);
  connect(users_, &QListWidget::itemDoubleClicked, this, &AccessListDialog::AddSelectedUser);
  if (users_->count() > 0) users_->setCurrentRow(0);
  if (list_->count() > 0) list_->setCurrentRow(0);
  UpdateButtons();
}

bool AccessListDialog::Listed(const QString& name) const {
  return !list_->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty();
}

void AccessListDialog::UpdateButtons() {
  const QListWidgetItem* user = users_->currentItem();
  add_->setEnabled(user && !Listed(user->text()));
  remove_->setEnabled(list_->count() > 1 && list_->currentItem());
  Buttons()->button(QDialogButtonBox::Ok)->setEnabled(list_->count() > 0);
}

void AccessListDialog::AddSelectedUser() {
  const QListWidgetItem* user = users_->currentItem();
  if (!user || Listed(user->text())) return;
  list_->addItem(user->text());
  list_->setCurrentRow(list_->count() - 1);
  UpdateButtons();
}

void AccessListDialog::RemoveSelectedEntry() {
  if (list_->count() <= 1) return;
  delete list_->currentItem();
  UpdateButtons();
}

void AccessListDialog::AddNewUser(const QString& name) {
  if (name.isEmpty()) return;
  const std::string systemIni = Context().workspace->SystemIniFile();
  const std::string directory = platform::DirectoryPart(systemIni);
  if (!directory.empty()) MakeConfigurationDirectory(directory);
  IniWrite write = IniWrite::kWritten;
  const UserChange change = AddUser(systemIni, name.toStdString(), &write);
  // A name no INI key can hold, or no user can have, is never listed.
  if (change == UserChange::kBadName) return;
  if (change == UserChange::kFailed && write == IniWrite::kBadText) return;
  if (users_->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) {
    users_->addItem(name);
  }
  users_->setCurrentItem(
      users_->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive).first());
  if (!Listed(name)) {
    list_->addItem(name);
    list_->setCurrentRow(list_->count() - 1);
  }
  UpdateButtons();
}

void AccessListDialog::OnNewUser() {
  AddUserDialog dialog(this);
  if (dialog.exec() == QDialog::Accepted) AddNewUser(dialog.UserName());
}

std::vector<std::string> AccessListDialog::Entries() const {
  std::vector<std::string> entries;
  for (int row = 0; row < list_->count(); ++row)
    entries.push_back(list_->item(row)->text().toStdString());
  return entries;
}

std::string AccessListDialog::Command() const { return AccessListCommand(Entries()); }

void AccessListDialog::accept() {
  if (list_->count() == 0) return;
  Finish([this](const std::string& file) {
    return FrontText(msg::kModifyAccessListFailed, file, Context().workspace->LogfilePath(file));
  });
}

}  // namespace tarn::dorn
