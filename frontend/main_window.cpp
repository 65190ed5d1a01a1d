#include "frontend/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "frontend/add_dialog.h"
#include "frontend/check_in_dialog.h"
#include "frontend/check_out_dialog.h"
#include "frontend/compare_and_view.h"
#include "frontend/directory_tree.h"
#include "frontend/files_page.h"
#include "frontend/front_text.h"
#include "frontend/get_dialog.h"
#include "frontend/header_operations.h"
#include "frontend/help_page.h"
#include "frontend/label_dialog.h"
#include "frontend/lock_dialog.h"
#include "frontend/maintain_users_dialog.h"
#include "frontend/module_page.h"
#include "frontend/project_files_model.h"
#include "frontend/project_editing.h"
#include "frontend/project_files_view.h"
#include "frontend/project_operations.h"
#include "frontend/projects_page.h"
#include "frontend/remove_label_dialog.h"
#include "frontend/revision_page.h"
#include "frontend/unlock_dialog.h"
#include "frontend/user_preferences.h"

namespace tarn::dorn {
namespace {

// How often the window is drawn while the list fills.
constexpr qint64 kMillisecondsBetweenDrawings = 50;

bool IsSingleFileCommand(CommandId id) {
  switch (id) {
    case CommandId::kGet:
    case CommandId::kCheckOut:
    case CommandId::kLock:
    case CommandId::kCheckIn:
    case CommandId::kUnlock:
    case CommandId::kLabel:
    case CommandId::kRemoveLabel:
      return true;
    default:
      return false;
  }
}

// File menu commands that work on exactly one file.
bool NeedsExactlyOne(CommandId id) {
  return id == CommandId::kCompare || id == CommandId::kView || id == CommandId::kModuleAuthor;
}

bool IsFileCommand(CommandId id) {
  return IsSingleFileCommand(id) || NeedsExactlyOne(id) || id == CommandId::kModuleAttributes ||
         id == CommandId::kModuleDescription || id == CommandId::kModuleAccessList;
}

bool IsProjectCommand(CommandId id) {
  const int n = static_cast<int>(id);
  return n >= static_cast<int>(CommandId::kProjectGet) &&
         n <= static_cast<int>(CommandId::kProjectRemoveLabel);
}

QAction* DisabledEntry(QMenu* menu, const QString& text) {
  QAction* action = menu->addAction(text);
  action->setEnabled(false);
  return action;
}

}  // namespace

MainWindow::MainWindow(Workspace& workspace, UserPreferences* preferences, QWidget* parent)
    : QMainWindow(parent),
      workspace_(workspace),
      preferences_(preferences),
      host_(this, [this](const QString& text) { ShowStatus(text); }),
      previousHost_(SetHost(&host_)),
      previousProgress_(SetDiffProgress(&host_)),
      tree_(new DirectoryTree(this)),
      caption_(new QLabel(this)),
      model_(new ProjectFilesModel(this)),
      view_(new ProjectFilesView(this)),
      tabs_(new QTabWidget(this)),
      tabsProblem_(new QLabel(this)),
      workfilePath_(new QLabel(this)),
      revisionPage_(new RevisionPage(this)),
      modulePage_(new ModulePage(this)),
      filesPage_(new FilesPage(this)),
      projectsPage_(new ProjectsPage(this)) {
  setWindowTitle(QApplication::applicationName());
  view_->SetModel(model_);
  if (preferences_) {
    if (std::optional<std::string> word = preferences_->Value(msg::kIniSortColumn)) {
      model_->SetSortColumn(SortColumnFromWord(*word));
    }
  }
  auto* listPane = new QWidget(this);
  auto* listLayout = new QVBoxLayout(listPane);
  listLayout->setContentsMargins(0, 0, 0, 0);
  listLayout->addWidget(caption_);
  listLayout->addWidget(view_);
  auto* left = new QSplitter(Qt::Vertical, this);
  left->addWidget(tree_);
  left->addWidget(listPane);
  left->setStretchFactor(0, 1);
  left->setStretchFactor(1, 2);
  tabs_->addTab(revisionPage_, tr("Revision"));
  tabs_->addTab(modulePage_, tr("Module"));
  tabs_->addTab(filesPage_, tr("Files"));
  tabs_->addTab(projectsPage_, tr("Projects"));
  // Above the tabs: why the selected file's logfile cannot be shown.
  tabsProblem_->setObjectName(QStringLiteral("tabsProblem"));
  tabsProblem_->setWordWrap(true);
  tabsProblem_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
  tabsProblem_->hide();
  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(tabsProblem_);
  rightLayout->addWidget(tabs_);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(left);
  split->addWidget(right);
  setCentralWidget(split);
  resize(1180, 760);
  split->setSizes({640, 540});
  left->setSizes({220, 480});
  statusBar()->showMessage(QString());
  // The workfile path stays in sight: menu prompts take only the status
  // bar's message area.
  workfilePath_->setObjectName(QStringLiteral("workfilePath"));
  statusBar()->addPermanentWidget(workfilePath_);

  BuildMenus();
  connect(tree_, &DirectoryTree::DirectoryChosen, this, [this](const QString& path) { Reload(path); });
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &MainWindow::OnSelectionChanged);
  // A click on the sorted column turns the order round; on another column
  // it sorts by that one in its natural order. The selection goes along.
  view_->horizontalHeader()->setSortIndicatorShown(true);
  view_->horizontalHeader()->setSortIndicator(static_cast<int>(model_->SortColumn()),
                                              model_->SortOrder());
  connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
    const auto column = static_cast<FileColumn>(section);
    Qt::SortOrder order = Qt::AscendingOrder;
    if (column == model_->SortColumn() && model_->SortOrder() == Qt::AscendingOrder) {
      order = Qt::DescendingOrder;
    }
    SortList(column, order);
  });
  connect(view_, &ProjectFilesView::ContextMenuWanted, this, &MainWindow::ShowContextMenu);
  connect(filesPage_, &FilesPage::AddRequested, this, &MainWindow::AddToProject);
  connect(filesPage_, &FilesPage::RemoveRequested, this, &MainWindow::RemoveFromProject);
  RestorePlacement();
  UpdateCaption();
  UpdateEnabling();
  InstallProjectEditing(*this);
  InstallCompareAndView(*this);
  InstallHeaderDialogs(*this);
  InstallProjectOperations(*this);
}

MainWindow::~MainWindow() {
  SetDiffProgress(previousProgress_);
  SetHost(previousHost_);
}

QAction* MainWindow::AddCommand(QMenu* menu, CommandId id, const QString& text,
                                const QString& prompt, const QKeySequence& shortcut) {
  QAction* action = menu->addAction(text);
  const QStringList parts = prompt.split(QLatin1Char('\n'));
  action->setStatusTip(parts.value(0));
  action->setToolTip(parts.value(1, text));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  actions_[id] = action;
  connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
  return action;
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  fileMenu_ = file;
  AddCommand(file, CommandId::kGet, tr("&Get"), tr("Get a revision of the selected files\nGet"));
  AddCommand(file, CommandId::kCheckOut, tr("Check &Out"),
             tr("Get and lock a revision of the selected files\nCheck Out"));
  AddCommand(file, CommandId::kLock, tr("&Lock"), tr("Lock a revision of the selected files\nLock"));
  AddCommand(file, CommandId::kCheckIn, tr("Check &In"),
             tr("Store the selected workfiles as new revisions\nCheck In"));
  AddCommand(file, CommandId::kUnlock, tr("&Unlock"),
             tr("Unlock a revision of the selected files\nUnlock"));
  AddCommand(file, CommandId::kLabel, tr("L&abel"),
             tr("Attach a label to a revision of the selected files\nLabel"));
  AddCommand(file, CommandId::kRemoveLabel, tr("&Remove Label"),
             tr("Remove a label from the selected files\nRemove Label"));
  file->addSeparator();
  AddCommand(file, CommandId::kCompare, tr("Co&mpare..."),
             tr("Compare a revision with the workfile\nCompare"));
  AddCommand(file, CommandId::kView, tr("&View"), tr("View the newest revision read-only\nView"));
  file->addSeparator();
  QMenu* modify = file->addMenu(tr("Modify"));
  QMenu* module = modify->addMenu(tr("Module Info"));
  AddCommand(module, CommandId::kModuleAttributes, tr("Attributes"),
             tr("Change the attributes of the selected files\nAttributes"));
  AddCommand(module, CommandId::kModuleDescription, tr("Description"),
             tr("Change the module description of the selected files\nDescription"));
  AddCommand(module, CommandId::kModuleAccessList, tr("Access List"),
             tr("Change the access list of the selected files\nAccess List"));
  AddCommand(module, CommandId::kModuleAuthor, tr("Author"),
             tr("Change the author of the selected file\nAuthor"));
  DisabledEntry(module, tr("Comment prefix"));
  DisabledEntry(module, tr("Default branch"));
  QMenu* revision = modify->addMenu(tr("Revision Info"));
  DisabledEntry(revision, tr("Author"));
  DisabledEntry(revision, tr("Description"));
  file->addSeparator();
  QAction* exit = file->addAction(tr("E&xit"));
  exit->setStatusTip(tr("Quit the application"));
  connect(exit, &QAction::triggered, this, &QWidget::close);

  QMenu* project = menuBar()->addMenu(tr("&Project"));
  AddCommand(project, CommandId::kProjectGet, tr("&Get"),
             tr("Get all files of current project\nGet Project"));
  AddCommand(project, CommandId::kProjectCheckIn, tr("Check &In"),
             tr("Check in all files of current project\nCheck In Project"));
  AddCommand(project, CommandId::kProjectCheckOut, tr("Check &Out"),
             tr("Check out all files of current project\nCheck Out Project"));
  AddCommand(project, CommandId::kProjectLock, tr("&Lock"),
             tr("Lock all files of current project\nLock Project"));
  AddCommand(project, CommandId::kProjectUnlock, tr("&UnLock"),
             tr("Unlock all files of current project\nUnlock Project"));
  AddCommand(project, CommandId::kProjectLabel, tr("L&abel"),
             tr("Label all files of current project\nLabel Project"));
  AddCommand(project, CommandId::kProjectRemoveLabel, tr("&Remove Label"),
             tr("Remove a label from all files of current project\nRemove Label"));
  project->addSeparator();
  AddCommand(project, CommandId::kProjectSettings, tr("Settings..."),
             tr("Edit the settings of the current project\nProject Settings"));
  project->addSeparator();
  AddCommand(project, CommandId::kRefresh, tr("Re&fresh Files\tF5"),
             tr("Read the project's files again\nRefresh"), QKeySequence(Qt::Key_F5));

  QMenu* view = menuBar()->addMenu(tr("&View"));
  AddCommand(view, CommandId::kFilesTab, tr("&Files Tab"), tr("Show the Files tab\nFiles Tab"));
  AddCommand(view, CommandId::kModuleTab, tr("&Module Tab"), tr("Show the Module tab\nModule Tab"));
  AddCommand(view, CommandId::kRevisionTab, tr("&Revision Tab"),
             tr("Show the Revision tab\nRevision Tab"));
  AddCommand(view, CommandId::kProjectsTab, tr("&Projects Tab"),
             tr("Show the Projects tab\nProjects Tab"));

  QMenu* admin = menuBar()->addMenu(tr("&Admin"));
  AddCommand(admin, CommandId::kMaintainUsers, tr("Maintain Users..."),
             tr("Add and delete TARN users\nMaintain Users"));

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  AddCommand(help, CommandId::kHelpContents, tr("&Help Topics"),
             tr("List Help topics\nHelp Topics"), QKeySequence::HelpContents);
  AddCommand(help, CommandId::kHelpOnHelp, tr("Help on &Help"),
             tr("Display instructions about how to use help\nHelp"));
  help->addSeparator();
  AddCommand(help, CommandId::kAbout, tr("&About Dorn..."),
             tr("Display program information, version number and copyright\nAbout"));
}

void MainWindow::SetCommandHandler(CommandId id, CommandHandler handler) {
  handlers_[id] = std::move(handler);
  UpdateEnabling();
}

QAction* MainWindow::Action(CommandId id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::ShowStatus(const QString& text) { statusBar()->showMessage(text); }

void MainWindow::SortList(FileColumn column, Qt::SortOrder order) {
  model_->SetSortColumn(column, order);
  view_->horizontalHeader()->setSortIndicator(static_cast<int>(column), order);
  const std::vector<std::string> selected = view_->SelectedNames();
  if (!selected.empty()) view_->scrollTo(model_->index(*model_->RowOf(selected.front()), 0));
  ShowSelectedFile();
  UpdateEnabling();
}

QString MainWindow::WorkfilePathText() const { return workfilePath_->text(); }

QString MainWindow::StatusText() const { return statusBar()->currentMessage(); }

void MainWindow::SetQuestionAnswerer(std::function<bool(const QString&)> answerer) {
  answerer_ = std::move(answerer);
}

bool MainWindow::Ask(const QString& question, const QString& loss) {
  if (answerer_) return answerer_(loss.isEmpty() ? question : question + QStringLiteral("\n\n") + loss);
  // What a Yes destroys is named under the question, and Return alone
  // answers No.
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question,
                  QMessageBox::Yes | QMessageBox::No, this);
  box.setDefaultButton(QMessageBox::No);
  box.setInformativeText(loss);
  return box.exec() == QMessageBox::Yes;
}

std::vector<std::string> MainWindow::AllNames() const {
  std::vector<std::string> names;
  for (const ProjectFile& file : model_->Entries()) names.push_back(file.name);
  return names;
}

void MainWindow::UpdateEnabling() {
  const std::size_t selected = view_->SelectedNames().size();
  const bool hasEntries = model_->rowCount() > 0;
  for (const auto& [id, action] : actions_) {
    const bool handled = handlers_.count(id) > 0;
    bool enabled = true;
    if (IsSingleFileCommand(id)) {
      enabled = selected == 1 || (selected > 1 && handled);
    } else if (NeedsExactlyOne(id)) {
      enabled = selected == 1 && handled;
    } else if (IsFileCommand(id)) {
      enabled = selected >= 1 && handled;
    } else if (IsProjectCommand(id)) {
      enabled = hasEntries && handled;
    } else if (id == CommandId::kRefresh) {
      enabled = hasEntries;
    } else if (id == CommandId::kProjectSettings) {
      enabled = handled;
    }
    action->setEnabled(enabled && !reloading_);
  }
}

void MainWindow::UpdateCaption() {
  const int count = model_->rowCount();
  caption_->setText(count > 0 ? FrontText(msg::kProjectFilesCounted, count)
                              : CatalogueText(msg::kProjectFilesCaption));
}

bool MainWindow::Reload(const QString& directory) {
  reloading_ = true;
  const QString wanted = directory.isEmpty() ? QDir::currentPath() : directory;
  if (!workspace_.Enter(wanted.toStdString())) {
    reloading_ = false;
    UpdateEnabling();
    return false;
  }
  workfilePath_->setText(FrontText(msg::kWorkfilePathStatus, workspace_.WorkfilePath()));
  ProjectListing system;
  ProjectListing user;
  for (const ProjectEntry& entry : workspace_.Projects(true)) {
    system.emplace_back(Qs(entry.name), Qs(entry.location));
  }
  for (const ProjectEntry& entry : workspace_.Projects(false)) {
    user.emplace_back(Qs(entry.name), Qs(entry.location));
  }
  projectsPage_->Show(system, user, workspace_.IsSystemProject(), Qs(workspace_.ProjectName()));
  tree_->ShowPath(Qs(workspace_.CurrentDirectory()));
  FillList();
  ShowSelectedFile();
  QStringList workfiles;
  for (const std::string& name : workspace_.Workfiles()) workfiles << Qs(name);
  QStringList projectFiles;
  for (const std::string& name : AllNames()) projectFiles << Qs(name);
  filesPage_->Show(workfiles, projectFiles);
  const QString title = QFileInfo(QDir::cleanPath(Qs(workspace_.CurrentDirectory()))).fileName();
  setWindowTitle(QStringLiteral("%1 - %2").arg(title.isEmpty() ? QStringLiteral("/") : title,
                                               QApplication::applicationName()));
  reloading_ = false;
  UpdateEnabling();
  emit DirectoryEntered();
  return true;
}

void MainWindow::OpenStartPath(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || info.isDir()) {
    if (Reload(path)) return;
  } else if (info.exists()) {
    // A file (the desktop hands over the one clicked): its directory, with
    // the file chosen in the list, or among the files to add.
    if (Reload(info.absolutePath())) {
      const std::string name = info.fileName().toStdString();
      if (model_->RowOf(name)) {
        view_->SelectName(name);
      } else if (filesPage_->SelectWorkfile(info.fileName())) {
        tabs_->setCurrentWidget(filesPage_);
      }
      return;
    }
  }
  QMessageBox::warning(this, QApplication::applicationName(),
                       FrontText(msg::kDirectoryMissing, path.toStdString()));
  Reload();
}

void MainWindow::FillList() {
  model_->Clear();
  UpdateCaption();
  setEnabled(false);
  // The caption counts every file; the window is drawn anew a few times a
  // second, which keeps it alive without drawing the growing list once per
  // file (that alone would take seconds for a thousand files).
  QElapsedTimer sinceDrawn;
  sinceDrawn.start();
  workspace_.ScanLogfiles([this, &sinceDrawn](ProjectFile file) {
    model_->Add(std::move(file));
    UpdateCaption();
    if (sinceDrawn.elapsed() >= kMillisecondsBetweenDrawings) {
      QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      sinceDrawn.restart();
    }
  });
  setEnabled(true);
}

void MainWindow::RefreshEntry(const std::string& name) {
  if (std::optional<ProjectFile> file = workspace_.ReadFile(name)) {
    if (!model_->Replace(*file)) model_->Add(std::move(*file));
  } else {
    model_->Remove(name);
  }
  const std::vector<std::string> selected = view_->SelectedNames();
  if (selected.size() == 1 && selected.front() == name) ShowSelectedFile();
  UpdateCaption();
  UpdateEnabling();
}

void MainWindow::OnSelectionChanged() {
  ShowSelectedFile();
  UpdateEnabling();
}

void MainWindow::ShowSelectedFile() {
  const std::vector<std::string> names = view_->SelectedNames();
  selected_.reset();
  QString problem;
  if (names.size() == 1) {
    ReadOutcome read = workspace_.ReadDetails(names.front());
    selected_ = std::move(read.details);
    problem = Qs(read.problem);
  }
  tabsProblem_->setText(problem);
  tabsProblem_->setVisible(!problem.isEmpty());
  if (selected_) {
    revisionPage_->Show(*selected_);
    modulePage_->Show(*selected_);
  } else {
    revisionPage_->Clear();
    modulePage_->Clear();
  }
}

const LogfileDetails* MainWindow::SelectedDetails() const {
  return selected_ ? &*selected_ : nullptr;
}

std::unique_ptr<FileOperationDialog> MainWindow::MakeFileDialog(CommandId id,
                                                                const std::string& name) {
  FileDialogContext context;
  context.workspace = &workspace_;
  context.fileName = name;
  context.revisionEntries = revisionPage_->Entries();
  context.revisionRow = revisionPage_->SelectedRow();
  if (selected_) context.labels = selected_->labels;
  context.remembered = &remembered_;
  context.showStatus = [this](const QString& text) { ShowStatus(text); };
  context.host = &host_;
  switch (id) {
    case CommandId::kGet:
      return std::make_unique<GetDialog>(context, this);
    case CommandId::kCheckOut:
      return std::make_unique<CheckOutDialog>(context, this);
    case CommandId::kCheckIn:
      return std::make_unique<CheckInDialog>(context, this);
    case CommandId::kLock:
      return std::make_unique<LockDialog>(context, this);
    case CommandId::kUnlock:
      return std::make_unique<UnlockDialog>(context, this);
    case CommandId::kLabel:
      return std::make_unique<LabelDialog>(context, this);
    case CommandId::kRemoveLabel:
      return std::make_unique<RemoveLabelDialog>(context, this);
    default:
      return nullptr;
  }
}

void MainWindow::RunFileDialog(CommandId id, const std::string& name) {
  std::unique_ptr<FileOperationDialog> dialog = MakeFileDialog(id, name);
  if (!dialog) return;
  if (dialog->exec() == QDialog::Accepted) RefreshEntry(name);
  view_->clearSelection();
}

void MainWindow::RunCommand(CommandId id) {
  const std::vector<std::string> selected = view_->SelectedNames();
  if (const auto handler = handlers_.find(id); handler != handlers_.end()) {
    const bool singleForm = IsSingleFileCommand(id) && selected.size() == 1;
    if (!singleForm) {
      handler->second(IsProjectCommand(id) ? AllNames() : selected);
      return;
    }
  }
  if (IsSingleFileCommand(id)) {
    if (selected.size() == 1) RunFileDialog(id, selected.front());
    return;
  }
  switch (id) {
    case CommandId::kRefresh:
      Reload(Qs(workspace_.CurrentDirectory()));
      break;
    case CommandId::kFilesTab:
      tabs_->setCurrentWidget(filesPage_);
      break;
    case CommandId::kModuleTab:
      tabs_->setCurrentWidget(modulePage_);
      break;
    case CommandId::kRevisionTab:
      tabs_->setCurrentWidget(revisionPage_);
      break;
    case CommandId::kProjectsTab:
      tabs_->setCurrentWidget(projectsPage_);
      break;
    case CommandId::kMaintainUsers:
      MaintainUsersDialog(workspace_.SystemIniFile(), this).exec();
      break;
    case CommandId::kAbout:
      QMessageBox::about(this, tr("About Dorn"),
                         tr("<b>Dorn</b>, the TARN desktop front end<br>Version %1")
                             .arg(QApplication::applicationVersion()));
      break;
    case CommandId::kHelpContents:
      OpenHelp();
      break;
    case CommandId::kHelpOnHelp:
      OpenHelp(QStringLiteral("help"));
      break;
    default:
      break;
  }
}

void MainWindow::ShowContextMenu(const QPoint& position) {
  if (fileMenu_) fileMenu_->exec(position);
}

void MainWindow::AddToProject(const QStringList& names) {
  if (names.isEmpty()) return;
  const std::string directory = workspace_.LogfileDirectory(names.first().toStdString());
  if (!QDir(Qs(directory)).exists()) {
    if (!Ask(FrontText(msg::kCreateLogfileDirectory, directory))) return;
    if (!QDir().mkpath(Qs(directory))) {
      QMessageBox::warning(this, QApplication::applicationName(),
                           FrontText(msg::kLogfileDirectoryFailed, directory));
      return;
    }
  }
  std::vector<std::string> files;
  for (const QString& name : names) files.push_back(name.toStdString());
  if (files.size() > 1 && addHandler_) {
    addHandler_(files);
    return;
  }
  for (const std::string& name : files) {
    FileDialogContext context;
    context.workspace = &workspace_;
    context.fileName = name;
    context.remembered = &remembered_;
    context.showStatus = [this](const QString& text) { ShowStatus(text); };
    AddDialog dialog(context, this);
    if (dialog.exec() != QDialog::Accepted) continue;
    filesPage_->MoveToProject(Qs(name));
    RefreshEntry(name);
  }
}

void MainWindow::RemoveFromProject(const QString& name) {
  const std::string file = name.toStdString();
  const QString loss = WhatRemovingLoses(file);
  if (!Ask(FrontText(msg::kRemoveFromProject, file, file), loss)) return;
  if (!Ask(FrontText(msg::kRemoveFromProjectAgain, file, file), loss)) return;
  if (!workspace_.DeleteLogfile(file)) {
    QMessageBox::warning(this, QApplication::applicationName(),
                         FrontText(msg::kLogfileNotDeleted, workspace_.LogfilePath(file)));
    return;
  }
  model_->Remove(file);
  filesPage_->MoveToWorkfiles(name);
  UpdateCaption();
  UpdateEnabling();
}

QString MainWindow::WhatRemovingLoses(const std::string& file) const {
  const ReadOutcome read = workspace_.ReadDetails(file);
  const int revisions = read.details ? read.details->revisionCount : 0;
  const int labels = read.details ? static_cast<int>(read.details->labels.size()) : 0;
  QString loss = FrontText(msg::kRemoveFromProjectLoss, file, workspace_.LogfilePath(file), revisions,
                           labels);
  if (!read.problem.empty()) loss += QStringLiteral("\n") + Qs(read.problem);
  return loss;
}

void MainWindow::RestorePlacement() {
  if (!preferences_) return;
  if (std::optional<std::string> size = preferences_->Value(msg::kIniWindowSize)) {
    if (auto pair = NumberPair(*size); pair && pair->first > 0 && pair->second > 0) {
      resize(pair->first, pair->second);
    }
  }
  if (std::optional<std::string> position = preferences_->Value(msg::kIniWindowPosition)) {
    if (auto pair = NumberPair(*position)) move(pair->first, pair->second);
  }
}

void MainWindow::StorePlacement() {
  if (!preferences_) return;
  preferences_->SetValue(msg::kIniSortColumn, SortColumnWord(model_->SortColumn()));
  if (!workspace_.CurrentDirectory().empty()) {
    preferences_->SetValue(msg::kIniCurrentDirectory, workspace_.CurrentDirectory());
  }
  if (isMinimized()) return;
  preferences_->SetValue(msg::kIniWindowSize,
                         std::to_string(width()) + "," + std::to_string(height()));
  preferences_->SetValue(msg::kIniWindowPosition, std::to_string(x()) + "," + std::to_string(y()));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  StorePlacement();
  QMainWindow::closeEvent(event);
}

}  // namespace tarn::dorn
