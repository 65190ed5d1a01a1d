// The Projects tab: the system or the user projects with their locations.
// The row of buttons below the list is where the project editing commands
// go.
#pragma once

#include <QWidget>
#include <utility>
#include <vector>

class QHBoxLayout;
class QRadioButton;
class QTreeWidget;

namespace tarn::dorn {

// A project's name and location.
using ProjectListing = std::vector<std::pair<QString, QString>>;

class ProjectsPage : public QWidget {
  Q_OBJECT

 public:
  explicit ProjectsPage(QWidget* parent = nullptr);

  // The two lists; `system` chooses which one shows (the kind of the
  // project in force), `current` is marked.
  void Show(const ProjectListing& systemProjects, const ProjectListing& userProjects, bool system,
            const QString& current);
  bool ShowsSystemProjects() const;
  QTreeWidget* List() const { return list_; }
  QHBoxLayout* ButtonRow() const { return buttons_; }

 private:
  void Fill();

  QTreeWidget* list_;
  QRadioButton* system_;
  QRadioButton* user_;
  QHBoxLayout* buttons_;
  ProjectListing systemProjects_;
  ProjectListing userProjects_;
  QString current_;
};

}  // namespace tarn::dorn
