// "Maintain Access List": the system's users on the left, the new access
// list on the right; ">>" copies a user into the list, "<<" takes an entry
// out (never the last one), "New User" adds a user to the system and to
// both lists.
#pragma once

#include <vector>

#include "frontend/header_dialog.h"

class QListWidget;
class QPushButton;

namespace tarn::dorn {

class AccessListDialog : public HeaderDialog {
  Q_OBJECT

 public:
  // Single file: the new list starts as the header's access list; several
  // files: empty.
  AccessListDialog(const HeaderDialogContext& context, QWidget* parent = nullptr);

  std::string Command() const override;
  std::vector<std::string> Entries() const;

  QListWidget* UserList() const { return users_; }
  QListWidget* NewList() const { return list_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* RemoveButton() const { return remove_; }
  QPushButton* NewUserButton() const { return newUser_; }

  // The work of ">>", "<<" and "New User" once the choice is made.
  void AddSelectedUser();
  void RemoveSelectedEntry();
  void AddNewUser(const QString& name);

 public slots:
  void accept() override;

 private:
  void OnNewUser();
  void UpdateButtons();
  bool Listed(const QString& name) const;

  QListWidget* users_;
  QListWidget* list_;
  QPushButton* add_;
  QPushButton* remove_;
  QPushButton* newUser_;
};

}  // namespace tarn::dorn
