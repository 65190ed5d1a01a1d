#include "frontend/demo_tour.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>

#include "frontend/add_dialog.h"
#include "frontend/add_user_dialog.h"
#include "frontend/files_page.h"
#include "frontend/login_dialog.h"
#include "frontend/main_window.h"
#include "frontend/maintain_users_dialog.h"
#include "frontend/project_edit_sheet.h"
#include "frontend/project_files_view.h"
#include "projects/users.h"

namespace tarn::dorn {
namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) {
    QApplication::processEvents();
    QThread::msleep(30);
  }
}

class Camera {
 public:
  explicit Camera(const QString& directory) : directory_(directory) {}

  void Take(QWidget& widget, const QString& name) {
    Settle();
    if (!widget.grab().save(directory_.filePath(name + QStringLiteral(".png")))) ++failures_;
  }
  int Failures() const { return failures_; }

 private:
  QDir directory_;
  int failures_ = 0;
};

void ShowDialog(QDialog& dialog, Camera& camera, const QString& name) {
  dialog.show();
  if (auto* advanced = dialog.findChild<QPushButton*>(QStringLiteral("advanced"))) {
    advanced->click();
  }
  dialog.adjustSize();
  camera.Take(dialog, name);
  dialog.hide();
}

}  // namespace

int TakeScreenshots(MainWindow& window, const QString& file, const QString& directory) {
  QDir().mkpath(directory);
  Camera camera(directory);
  window.show();
  window.raise();
  window.FilesView()->SelectName(file.toStdString());
  const struct {
    int tab;
    const char* name;
  } tabs[] = {{0, "main-revision"}, {1, "main-module"}, {2, "main-files"}, {3, "main-projects"}};
  for (const auto& tab : tabs) {
    window.Tabs()->setCurrentIndex(tab.tab);
    camera.Take(window, QString::fromLatin1(tab.name));
  }
  window.Tabs()->setCurrentIndex(0);

  const struct {
    CommandId id;
    const char* name;
  } dialogs[] = {{CommandId::kGet, "dialog-get"},         {CommandId::kCheckOut, "dialog-check-out"},
                 {CommandId::kCheckIn, "dialog-check-in"}, {CommandId::kLock, "dialog-lock"},
                 {CommandId::kUnlock, "dialog-unlock"},   {CommandId::kLabel, "dialog-label"},
                 {CommandId::kRemoveLabel, "dialog-remove-label"}};
  for (const auto& entry : dialogs) {
    std::unique_ptr<FileOperationDialog> dialog =
        window.MakeFileDialog(entry.id, file.toStdString());
    ShowDialog(*dialog, camera, QString::fromLatin1(entry.name));
  }
  // The add dialog for a workfile not yet in the project, when there is one.
  const QStringList candidates = [&] {
    QStringList names;
    QListWidget* list = window.FilesTab()->WorkfileList();
    for (int row = 0; row < list->count(); ++row) names << list->item(row)->text();
    return names;
  }();
  FileDialogContext context;
  context.workspace = &window.CurrentWorkspace();
  context.fileName = candidates.isEmpty() ? file.toStdString() : candidates.first().toStdString();
  context.remembered = &window.Remembered();
  AddDialog add(context, &window);
  ShowDialog(add, camera, QStringLiteral("dialog-add"));

  const std::string systemIni = window.CurrentWorkspace().SystemIniFile();
  if (!ListUsers(systemIni).empty()) {
    LoginDialog login(systemIni, &window);
    ShowDialog(login, camera, QStringLiteral("dialog-login"));
  }
  MaintainUsersDialog maintenance(systemIni, &window);
  ShowDialog(maintenance, camera, QStringLiteral("dialog-maintain-users"));
  AddUserDialog addUser(&window);
  addUser.NameField()->setText(QStringLiteral("newcomer"));
  ShowDialog(addUser, camera, QStringLiteral("dialog-add-user"));

  // The project sheet, a page a picture, for the project in force.
  const Workspace& workspace = window.CurrentWorkspace();
  CTProjectEditSheet sheet(
      workspace.IsSystemProject() ? ProjectSheetKind::kEditSystem : ProjectSheetKind::kEditUser,
      workspace.ProjectName(), workspace.Settings().UserName(),
      ProjectPlace{workspace.ConfigurationDirectory(), workspace.CurrentDirectory()}, &window);
  const char* const pages[] = {"sheet-project-info", "sheet-project-settings",
                               "sheet-project-attributes"};
  for (int page = 0; page < 3; ++page) {
    sheet.Pages()->setCurrentIndex(page);
    ShowDialog(sheet, camera, QString::fromLatin1(pages[page]));
  }
  CTProjectEditSheet newProject(ProjectSheetKind::kNewUser, "", workspace.Settings().UserName(),
                                ProjectPlace{workspace.ConfigurationDirectory(),
                                             workspace.CurrentDirectory()},
                                &window);
  ShowDialog(newProject, camera, QStringLiteral("sheet-new-project"));
  return camera.Failures();
}

}  // namespace tarn::dorn
