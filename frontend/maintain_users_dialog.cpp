#include "frontend/maintain_users_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/add_user_dialog.h"
#include "frontend/front_text.h"
#include "frontend/help_page.h"
#include "platform/paths.h"
#include "projects/configuration_directory.h"
#include "projects/ini_reports.h"
#include "projects/users.h"

namespace tarn::dorn {

MaintainUsersDialog::MaintainUsersDialog(std::string systemIni, QWidget* parent)
    : QDialog(parent),
      systemIni_(std::move(systemIni)),
      list_(new QListWidget(this)),
      delete_(new QPushButton(tr("&Delete"), this)),
      explanation_(new QLabel(this)) {
  setWindowTitle(tr("Maintain Users"));
  list_->setSortingEnabled(true);
  for (const std::string& name : ListUsers(systemIni_)) list_->addItem(Qs(name));
  auto* add = new QPushButton(tr("&New"), this);
  auto* close = new QPushButton(tr("&Close"), this);
  // Return closes; nothing is chosen, so no user is one key press from
  // deletion.
  for (QPushButton* button : {add, delete_}) button->setAutoDefault(false);
  close->setDefault(true);
  auto* help = new QPushButton(tr("&Help"), this);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {add, delete_, close, help}) buttons->addWidget(button);
  buttons->addStretch();
  auto* column = new QVBoxLayout;
  explanation_->setObjectName(QStringLiteral("explanation"));
  explanation_->setWordWrap(true);
  explanation_->hide();
  column->addWidget(explanation_);
  column->addWidget(new QLabel(tr("TARN Users:"), this));
  column->addWidget(list_);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(column);
  layout->addLayout(buttons);
  connect(add, &QPushButton::clicked, this, &MaintainUsersDialog::OnNew);
  connect(delete_, &QPushButton::clicked, this, &MaintainUsersDialog::OnDelete);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(help, &QPushButton::clicked, this, [] { OpenHelp(QStringLiteral("users")); });
  connect(list_, &QListWidget::itemSelectionChanged, this, &MaintainUsersDialog::UpdateButtons);
  list_->setCurrentRow(-1);
  list_->clearSelection();
  add->setFocus();
  UpdateButtons();
}

void MaintainUsersDialog::ExplainFirstStart() {
  explanation_->setText(CatalogueText(msg::kNoUsersYet));
  explanation_->show();
}

void MaintainUsersDialog::ReportWriteFailure(const QString& text) {
  QMessageBox::warning(this, QApplication::applicationName(), text);
}

void MaintainUsersDialog::AddUser(const QString& name) {
  if (name.isEmpty()) return;
  // The users section takes keys regardless of letter case: a name that
  // differs from a listed one only in case would take over that user's line,
  // so it counts as defined too.
  const std::string directory = platform::DirectoryPart(systemIni_);
  if (!directory.empty()) MakeConfigurationDirectory(directory);
  IniWrite write = IniWrite::kWritten;
  const UserChange change =
      list_->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()
          ? tarn::AddUser(systemIni_, name.toStdString(), &write)
          : UserChange::kExists;
  if (change == UserChange::kExists) {
    QMessageBox::information(this, QApplication::applicationName(),
                             FrontText(msg::kUserAlreadyDefined, name.toStdString()));
    return;
  }
  // A name no INI key can hold is never listed; a write that failed is
  // reported, and the list shows only what the file holds.
  if (change == UserChange::kFailed && write == IniWrite::kBadText) return;
  if (change != UserChange::kDone) {
    ReportWriteFailure(FrontText(msg::kUserNotAdded, name.toStdString(), systemIni_));
    return;
  }
  auto* item = new QListWidgetItem(name, list_);
  list_->setCurrentItem(item);
  UpdateButtons();
}

void MaintainUsersDialog::DeleteSelectedUser() {
  QListWidgetItem* item = list_->currentItem();
  if (!item) return;
  IniWrite write = IniWrite::kWritten;
  const UserChange change = tarn::DeleteUser(systemIni_, item->text().toStdString(), &write);
  if (change == UserChange::kFailed) {
    ReportWriteFailure(FrontText(msg::kUserNotDeleted, item->text().toStdString(), systemIni_));
    return;
  }
  delete item;
  UpdateButtons();
}

void MaintainUsersDialog::OnNew() {
  AddUserDialog dialog(this);
  if (dialog.exec() == QDialog::Accepted) AddUser(dialog.UserName());
}

void MaintainUsersDialog::OnDelete() {
  QListWidgetItem* item = list_->currentItem();
  if (!item) return;
  QMessageBox box(QMessageBox::Question, tr("Delete User"),
                  FrontText(msg::kDeleteUserQuestion, item->text().toStdString()),
                  QMessageBox::Yes | QMessageBox::No, this);
  box.setDefaultButton(QMessageBox::No);
  box.setInformativeText(FrontText(msg::kDeleteUserLoss, item->text().toStdString()));
  if (box.exec() == QMessageBox::Yes) DeleteSelectedUser();
}

void MaintainUsersDialog::UpdateButtons() {
  delete_->setEnabled(list_->currentItem() != nullptr && list_->currentItem()->isSelected());
}

}  // namespace tarn::dorn
