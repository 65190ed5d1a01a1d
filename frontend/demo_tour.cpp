#include "frontend/demo_tour.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>

#include "frontend/access_list_dialog.h"
#include "frontend/add_dialog.h"
#include "frontend/add_user_dialog.h"
#include "frontend/attributes_dialog.h"
#include "frontend/command_strings.h"
#include "frontend/compare_and_view.h"
#include "frontend/compare_window.h"
#include "frontend/files_page.h"
#include "frontend/front_text.h"
#include "frontend/get_dialog.h"
#include "frontend/header_operations.h"
#include "frontend/login_dialog.h"
#include "frontend/main_window.h"
#include "frontend/maintain_users_dialog.h"
#include "frontend/module_author_dialog.h"
#include "frontend/module_description_dialog.h"
#include "frontend/project_edit_sheet.h"
#include "frontend/project_files_model.h"
#include "frontend/project_files_view.h"
#include "frontend/project_operations.h"
#include "frontend/question_for_all_box.h"
#include "frontend/revision_page.h"
#include "frontend/revision_viewer.h"
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

// The multi-file forms over every file of the project, the question box
// of such a run, and the status bar while one goes on.
void TakeProjectOperations(MainWindow& window, Camera& camera) {
  std::vector<std::string> files;
  for (const ProjectFile& entry : window.FilesModel()->Entries()) files.push_back(entry.name);
  if (files.empty()) return;
  const struct {
    MultiFileOperation operation;
    const char* name;
  } forms[] = {{MultiFileOperation::kGet, "multi-get"},
               {MultiFileOperation::kCheckOut, "multi-check-out"},
               {MultiFileOperation::kCheckIn, "multi-check-in"},
               {MultiFileOperation::kAdd, "multi-add"},
               {MultiFileOperation::kLock, "multi-lock"},
               {MultiFileOperation::kUnlock, "multi-unlock"},
               {MultiFileOperation::kLabel, "multi-label"},
               {MultiFileOperation::kRemoveLabel, "multi-remove-label"}};
  for (const auto& form : forms) {
    std::unique_ptr<FileOperationDialog> dialog = MakeMultiFileDialog(window, form.operation, files);
    if (auto* get = qobject_cast<GetDialog*>(dialog.get())) {
      // With the label list filled from every logfile.
      get->ByLabelBox()->setChecked(true);
      if (get->LabelList()->count() > 0) get->LabelList()->setCurrentRow(0);
    }
    ShowDialog(*dialog, camera, QString::fromLatin1(form.name));
  }
  QuestionForAllBox question(
      QStringLiteral("tget_w: %1 is writable.  Replace it?")
          .arg(QString::fromStdString(window.CurrentWorkspace().WorkfileFullName(files.front()))),
      &window);
  ShowDialog(question, camera, QStringLiteral("question"));
  const int total = static_cast<int>(files.size());
  window.EngineHost().ShowFileProgress(std::min(2, total), total);
  window.ShowStatus(
      FrontText(msg::kLabeledLogfile, window.CurrentWorkspace().LogfilePath(files.front()), std::string("release")));
  camera.Take(window, QStringLiteral("main-progress"));
  window.EngineHost().ShowFileProgress(0, 0);
  window.ShowStatus(QString());
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

  TakeProjectOperations(window, camera);

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

  // Compare and view: the dialog, TARN's own compare window (the oldest
  // revision against the workfile) and its own viewer (the newest).
  window.FilesView()->SelectName(file.toStdString());
  ShowDialog(*MakeCompareDialog(window, file.toStdString()), camera,
             QStringLiteral("dialog-compare"));
  const LookContext look{&window.CurrentWorkspace(), &window, &window};
  const QStringList revisions = window.RevisionTab()->Entries();
  CompareWithWorkfile(look, file.toStdString(),
                      RevisionOfEntry(revisions.value(revisions.size() - 1).toStdString()));
  for (CompareWindow* compare : window.findChildren<CompareWindow*>()) {
    compare->resize(980, 560);
    camera.Take(*compare, QStringLiteral("compare-window"));
    compare->close();
  }
  ViewRevision(look, file.toStdString(), MessageText(msg::kWordTrunkTip.number),
               window.CurrentWorkspace().WorkfileFullName(file.toStdString()));
  for (RevisionViewer* viewer : window.findChildren<RevisionViewer*>()) {
    viewer->resize(640, 420);
    camera.Take(*viewer, QStringLiteral("viewer"));
    viewer->close();
  }

  // The header dialogs for the file.
  if (std::optional<HeaderDialogContext> header = HeaderContextFor(window, {file.toStdString()})) {
    AttributesDialog attributes(*header, &window);
    ShowDialog(attributes, camera, QStringLiteral("header-attributes"));
    ModuleDescriptionDialog description(*header, &window);
    description.NewField()->setPlainText(QStringLiteral("The program's entry point: runs the parser"));
    ShowDialog(description, camera, QStringLiteral("header-description"));
    AccessListDialog access(*header, &window);
    ShowDialog(access, camera, QStringLiteral("header-access-list"));
    ModuleAuthorDialog author(*header, &window);
    author.AuthorList()->setCurrentIndex(1);
    ShowDialog(author, camera, QStringLiteral("header-author"));
  }

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
