// "Maintain Users": lists the system's users and adds and deletes them; a
// change is written at once to the users section of dorn.ini. It opens
// with nothing chosen and Close as the default button.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
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
  // A write that fails is reported and changes nothing in the list.
  void AddUser(const QString& name);
  void DeleteSelectedUser();

  // Says why the dialog opened by itself: there is no user yet.
  void ExplainFirstStart();
  QLabel* Explanation() const { return explanation_; }

 private:
  void OnNew();
  void OnDelete();
  void UpdateButtons();
  void ReportWriteFailure(const QString& text);

  std::string systemIni_;
  QListWidget* list_;
  QPushButton* delete_;
  QLabel* explanation_;
};

}  // namespace tarn::dorn
