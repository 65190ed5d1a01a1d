// The Projects tab: the system or the user projects, the selected one's
// locations, and the buttons that define, change, remove, enter and copy
// projects. The page only shows and asks; what the buttons do is wired
// from outside (see project_editing.h).
#pragma once

#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace tarn::dorn {

// A project's name and location.
using ProjectListing = std::vector<std::pair<QString, QString>>;

// The locations shown for a selected project: its own and its workfiles'.
struct ProjectLocations {
  QString project;
  QString workfile;
};

class ProjectsPage : public QWidget {
  Q_OBJECT

 public:
  explicit ProjectsPage(QWidget* parent = nullptr);

  // The two lists; `system` chooses which one shows (the kind of the
  // project in force), `current` is marked and selected.
  void Show(const ProjectListing& systemProjects, const ProjectListing& userProjects, bool system,
            const QString& current);
  bool ShowsSystemProjects() const;
  // Shows the system or the user projects with `name` selected.
  void ShowList(bool system, const QString& name);
  // The selected project's name; empty when none is selected.
  QString SelectedName() const;
  bool SelectedIsDefault() const;
  void Select(const QString& name);

  // Looks up the locations of a selected project (name, system list).
  void SetLocator(std::function<ProjectLocations(const QString&, bool)> locator);
  ProjectLocations ShownLocations() const;

  QTreeWidget* List() const { return list_; }
  QPushButton* NewButton() const { return new_; }
  QPushButton* EditButton() const { return edit_; }
  QPushButton* DeleteButton() const { return delete_; }
  QPushButton* GoToButton() const { return goTo_; }
  QPushButton* CopyToUserButton() const { return copyToUser_; }

 signals:
  void NewRequested(bool system);
  void EditRequested(const QString& name, bool system);
  void DeleteRequested(const QString& name, bool system);
  void GoToRequested(const QString& name, bool system);
  void CopyToUserRequested(const QString& name, const ProjectLocations& shown);

 private:
  void Fill();
  void OnSelectionChanged();
  QPushButton* AddButton(const QString& text, const char* objectName);

  QTreeWidget* list_;
  QRadioButton* system_;
  QRadioButton* user_;
  QLineEdit* projectLocation_;
  QLineEdit* workfileLocation_;
  QHBoxLayout* buttons_;
  QPushButton* new_;
  QPushButton* edit_;
  QPushButton* delete_;
  QPushButton* goTo_;
  QPushButton* copyToUser_;
  std::function<ProjectLocations(const QString&, bool)> locator_;
  ProjectListing systemProjects_;
  ProjectListing userProjects_;
  QString current_;
};

}  // namespace tarn::dorn
