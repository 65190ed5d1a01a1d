// Defining and changing projects from the main window: the Projects tab's
// New, Edit, Delete, Go To and Copy to User, and the Project menu's
// "Settings...". Each change goes to the INI file at once and the window
// reloads its directory afterwards, so the list and the settings in force
// follow it.
#pragma once

#include <QObject>
#include <functional>

#include "frontend/projects_page.h"
#include "projects/project.h"

namespace tarn::dorn {

class CTProjectEditSheet;
class MainWindow;

class ProjectEditing : public QObject {
  Q_OBJECT

 public:
  explicit ProjectEditing(MainWindow& window);

  void NewProject(bool system);
  void EditProject(const QString& name, bool system);
  void EditCurrentProject();
  // False when the INI file could not be changed (the user has been told).
  bool DeleteProject(const QString& name, bool system);
  void GoTo(const QString& name, bool system);
  bool CopyToUser(const QString& name, const ProjectLocations& shown);

  ProjectLocations LocationsOf(const QString& name, bool system) const;

 private:
  ProjectPlace Place() const;
  // A user project inherits from the system project its location lies in.
  ProjectPlace PlaceOf(const QString& name, bool system) const;
  std::string IniFile(bool system) const;
  void RunSheet(CTProjectEditSheet& sheet);
  void Reload();
  void ShowFailure(const QString& text);

  MainWindow& window_;
};

// Sets up project editing on `window` (it owns what this makes).
void InstallProjectEditing(MainWindow& window);

}  // namespace tarn::dorn
