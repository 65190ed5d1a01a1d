// "Maintain Users": lists the system's users and adds and deletes them; a
// change is written at once to the users section of dorn.ini.
#pragma once

#include <QDialog>
#include <string>

class QListWidget;
class QPushButton;

namespace tarn::dorn {

class MaintainUsersDialog : public QDialog {
  Q_OBJECT

 public:
  // `systemIni` is the full name of dorn.ini.
  explicit MaintainUsersDialog(std::string systemIni, QWidget* parent = nullptr);

  QListWidget* UserList() const { return list_; }
  QPushButton* DeleteButton() const { return delete_; }

  // The work of "&New" and "&Delete" once the name or the answer is known.
  void AddUser(const QString& name);
  void DeleteSelectedUser();

 private:
  void OnNew();
  void OnDelete();
  void UpdateButtons();

  std::string systemIni_;
  QListWidget* list_;
  QPushButton* delete_;
};

}  // namespace tarn::dorn
