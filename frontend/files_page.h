// The Files tab: the workfiles of the workfile directory that are not in
// the project, beside the files that are; ">>" puts files under control and
// "<<" takes one out of the project.
#pragma once

#include <QStringList>
#include <QWidget>

class QListWidget;
class QPushButton;

namespace tarn::dorn {

class FilesPage : public QWidget {
  Q_OBJECT

 public:
  explicit FilesPage(QWidget* parent = nullptr);

  // Both lists sorted; workfiles already in the project are left out of
  // the left one.
  void Show(const QStringList& workfiles, const QStringList& projectFiles);
  void MoveToProject(const QString& name);
  void MoveToWorkfiles(const QString& name);

  QStringList SelectedWorkfiles() const;
  // Chooses a file among the files to add; false when it is not there.
  bool SelectWorkfile(const QString& name);
  QString SelectedProjectFile() const;
  QListWidget* WorkfileList() const { return workfiles_; }
  QListWidget* ProjectList() const { return projectFiles_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* RemoveButton() const { return remove_; }

 signals:
  void AddRequested(const QStringList& names);
  void RemoveRequested(const QString& name);

 private:
  void UpdateButtons();

  QListWidget* workfiles_;
  QListWidget* projectFiles_;
  QPushButton* add_;
  QPushButton* remove_;
};

}  // namespace tarn::dorn
