#include "frontend/project_editing.h"

#include <QApplication>
#include <QMessageBox>

#include "frontend/front_text.h"
#include "frontend/main_window.h"
#include "frontend/project_edit_sheet.h"
#include "frontend/projects_page.h"
#include "platform/paths.h"
#include "projects/configuration_directory.h"
#include "projects/ini_file.h"

namespace tarn::dorn {
namespace {

std::string ProjectListSection() { return MessageText(msg::kIniProjectList.number); }

}  // namespace

ProjectEditing::ProjectEditing(MainWindow& window) : QObject(&window), window_(window) {
  ProjectsPage* page = window_.ProjectsTab();
  page->SetLocator([this](const QString& name, bool system) { return LocationsOf(name, system); });
  connect(page, &ProjectsPage::NewRequested, this, &ProjectEditing::NewProject);
  connect(page, &ProjectsPage::EditRequested, this, &ProjectEditing::EditProject);
  connect(page, &ProjectsPage::DeleteRequested, this, &ProjectEditing::DeleteProject);
  connect(page, &ProjectsPage::GoToRequested, this, &ProjectEditing::GoTo);
  connect(page, &ProjectsPage::CopyToUserRequested, this, &ProjectEditing::CopyToUser);
  window_.SetCommandHandler(CommandId::kProjectSettings,
                            [this](const std::vector<std::string>&) { EditCurrentProject(); });
}

ProjectPlace ProjectEditing::Place() const {
  const Workspace& workspace = window_.CurrentWorkspace();
  return ProjectPlace{workspace.ConfigurationDirectory(), workspace.CurrentDirectory()};
}

std::string ProjectEditing::IniFile(bool system) const {
  const Workspace& workspace = window_.CurrentWorkspace();
  return system ? workspace.SystemIniFile() : workspace.UserIniFile();
}

ProjectPlace ProjectEditing::PlaceOf(const QString& name, bool system) const {
  ProjectPlace place = Place();
  if (system) return place;
  const std::string user = window_.CurrentWorkspace().Settings().UserName();
  const tProject project(name.toStdString(), UserIniFileName(user), place);
  if (!project.projectSettings().ProjectLocation().empty()) {
    place.currentDirectory = project.projectSettings().ProjectLocation();
  }
  return place;
}

ProjectLocations ProjectEditing::LocationsOf(const QString& name, bool system) const {
  const std::string user = window_.CurrentWorkspace().Settings().UserName();
  const tProject project(name.toStdString(),
                         system ? std::string(kSystemIniFileName) : UserIniFileName(user),
                         PlaceOf(name, system));
  const tProjectSettings& settings = project.projectSettings();
  // A workfile location nobody set is the built-in one, not the project's.
  const bool defined = settings.OriginOf(Setting::kWorkfileLocation) != Origin::kBuiltIn &&
                       !settings.WorkfileLocation().empty();
  return {Qs(settings.ProjectLocation()),
          defined ? Qs(settings.WorkfileLocation()) : CatalogueText(msg::kNoPathDefined)};
}

void ProjectEditing::RunSheet(CTProjectEditSheet& sheet) {
  sheet.exec();
  // Apply may have written before a Cancel: the list is read again anyway.
  Reload();
}

void ProjectEditing::NewProject(bool system) {
  CTProjectEditSheet sheet(system ? ProjectSheetKind::kNewSystem : ProjectSheetKind::kNewUser, "",
                           window_.CurrentWorkspace().Settings().UserName(), Place(), &window_);
  RunSheet(sheet);
}

void ProjectEditing::EditProject(const QString& name, bool system) {
  if (name.isEmpty()) return;
  CTProjectEditSheet sheet(system ? ProjectSheetKind::kEditSystem : ProjectSheetKind::kEditUser,
                           name.toStdString(), window_.CurrentWorkspace().Settings().UserName(),
                           PlaceOf(name, system), &window_);
  RunSheet(sheet);
}

void ProjectEditing::EditCurrentProject() {
  const Workspace& workspace = window_.CurrentWorkspace();
  EditProject(Qs(workspace.ProjectName()), workspace.IsSystemProject());
}

bool ProjectEditing::DeleteProject(const QString& name, bool system) {
  if (name.isEmpty()) return false;
  const auto answer = QMessageBox::question(&window_, QApplication::applicationName(),
                                            FrontText(msg::kDeleteProjectQuestion, name.toStdString()),
                                            QMessageBox::Yes | QMessageBox::No);
  if (answer != QMessageBox::Yes) return false;
  const std::string path = IniFile(system);
  const std::string project = name.toStdString();
  IniWrite result = IniWrite::kWritten;
  {
    tIniFile ini(path);
    // The line and the section go under one lock: nobody sees one without
    // the other.
    result = ini.TakeLock();
    if (result == IniWrite::kWritten) {
      result = ini.SetValue(ProjectListSection(), project, "");
      if (result == IniWrite::kWritten && ini.HasSection(project)) result = ini.RemoveSection(project);
    }
  }
  if (const QString failure = ProjectWriteFailure(result, project, path); !failure.isEmpty()) {
    ShowFailure(failure);
  }
  Reload();
  return result == IniWrite::kWritten;
}

void ProjectEditing::GoTo(const QString& name, bool system) {
  const QString location = LocationsOf(name, system).project;
  if (location.isEmpty()) return;
  if (!window_.Reload(location)) {
    ShowFailure(FrontText(msg::kGoToFailed, name.toStdString(), location.toStdString()));
  }
}

bool ProjectEditing::CopyToUser(const QString& name, const ProjectLocations& shown) {
  if (name.isEmpty()) return false;
  const std::string path = window_.CurrentWorkspace().UserIniFile();
  const std::string project = name.toStdString();
  MakeConfigurationDirectory(platform::DirectoryPart(path));
  IniWrite result = IniWrite::kWritten;
  {
    tIniFile ini(path);
    result = ini.SetValue(ProjectListSection(), project, shown.project.toStdString());
    const bool workfileShown =
        !shown.workfile.isEmpty() && shown.workfile != CatalogueText(msg::kNoPathDefined);
    if (result == IniWrite::kWritten && workfileShown) {
      result = ini.SetValue(project, MessageText(msg::kIniWorkfileLocation.number),
                            shown.workfile.toStdString());
    }
  }
  if (const QString failure = ProjectWriteFailure(result, project, path); !failure.isEmpty()) {
    ShowFailure(failure);
  }
  Reload();
  // The copy is what the user wants to see next: the user projects, read
  // anew, with it selected.
  if (result == IniWrite::kWritten) window_.ProjectsTab()->ShowList(false, name);
  return result == IniWrite::kWritten;
}

void ProjectEditing::Reload() { window_.Reload(Qs(window_.CurrentWorkspace().CurrentDirectory())); }

void ProjectEditing::ShowFailure(const QString& text) {
  QMessageBox::warning(&window_, QApplication::applicationName(), text);
}

void InstallProjectEditing(MainWindow& window) { new ProjectEditing(window); }

}  // namespace tarn::dorn
