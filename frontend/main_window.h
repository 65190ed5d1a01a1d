// The main window: the directory tree and the project files list on the
// left, the Revision, Module, Files and Projects tabs on the right, the
// menus and the status bar. It wires commands to dialogs and holds little
// logic of its own.
//
// Commands that other parts of the front end serve (project-wide
// operations, compare and view, header changes, project settings) are
// entered with SetCommandHandler; until one is, its menu entry stays
// disabled.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frontend/command_ids.h"
#include "frontend/file_operation_dialog.h"
#include "frontend/logfile_details.h"
#include "frontend/project_file.h"
#include "frontend/window_host.h"
#include "frontend/workspace.h"

class QAction;
class QLabel;
class QTabWidget;

namespace tarn::dorn {

class DirectoryTree;
class FilesPage;
class ModulePage;
class ProjectFilesModel;
class ProjectFilesView;
class ProjectsPage;
class RevisionPage;
class UserPreferences;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Neither is owned; each must outlive the window. `preferences` may be
  // null (nothing is read or stored then). The users are those of the
  // workspace's system INI file.
  MainWindow(Workspace& workspace, UserPreferences* preferences, QWidget* parent = nullptr);
  ~MainWindow() override;

  // A command's handler receives the files it works on: the selected names
  // for the File menu, every name of the list for the Project menu.
  using CommandHandler = std::function<void(const std::vector<std::string>& files)>;
  void SetCommandHandler(CommandId id, CommandHandler handler);
  // What the Files tab's ">>" runs for more than one workfile (without one,
  // the add dialog runs once per file).
  void SetAddHandler(CommandHandler handler) { addHandler_ = std::move(handler); }

  // Enters `directory` and fills everything anew; the current directory when
  // empty. False when the directory cannot be entered (nothing changes).
  bool Reload(const QString& directory = QString());
  // What the program was started on: a directory is entered, a file's
  // directory is entered with the file chosen; one that does not exist is
  // named in a box, and the current directory opens instead.
  void OpenStartPath(const QString& path);
  // Re-reads one file's entry after an operation.
  void RefreshEntry(const std::string& name);

  // The dialog a single-file command opens for `name` (null for other
  // commands).
  std::unique_ptr<FileOperationDialog> MakeFileDialog(CommandId id, const std::string& name);
  void RunCommand(CommandId id);

  QAction* Action(CommandId id) const;
  void ShowStatus(const QString& text);
  QString StatusText() const;
  // The status bar's permanent "Workfile path:" text.
  QString WorkfilePathText() const;
  // Why the selected file's logfile cannot be shown (hidden otherwise).
  QLabel* TabsProblem() const { return tabsProblem_; }
  // Sorts the list, keeping the selection, with the header's indicator.
  void SortList(FileColumn column, Qt::SortOrder order);

  Workspace& CurrentWorkspace() { return workspace_; }
  WindowHost& EngineHost() { return host_; }
  RememberedTexts& Remembered() { return remembered_; }
  ProjectFilesView* FilesView() const { return view_; }
  ProjectFilesModel* FilesModel() const { return model_; }
  QTabWidget* Tabs() const { return tabs_; }
  RevisionPage* RevisionTab() const { return revisionPage_; }
  ModulePage* ModuleTab() const { return modulePage_; }
  FilesPage* FilesTab() const { return filesPage_; }
  ProjectsPage* ProjectsTab() const { return projectsPage_; }
  DirectoryTree* Tree() const { return tree_; }
  QLabel* Caption() const { return caption_; }
  // The details of the single selected file, when it could be read.
  const LogfileDetails* SelectedDetails() const;

  // The answers of the Files tab's questions, for the operations a test
  // drives without a person (null: ask in a message box). The answerer gets
  // the question and, a blank line below, what a Yes would destroy.
  void SetQuestionAnswerer(std::function<bool(const QString&)> answerer);

  // ">>" and "<<" of the Files tab.
  void AddToProject(const QStringList& names);
  void RemoveFromProject(const QString& name);

 signals:
  // A directory was entered (or entered again) and everything filled anew.
  void DirectoryEntered();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  QAction* AddCommand(QMenu* menu, CommandId id, const QString& text, const QString& prompt,
                      const QKeySequence& shortcut = QKeySequence());
  void FillList();
  void OnSelectionChanged();
  void UpdateEnabling();
  void UpdateCaption();
  void ShowSelectedFile();
  void RunFileDialog(CommandId id, const std::string& name);
  void ShowContextMenu(const QPoint& position);
  void RestorePlacement();
  void StorePlacement();
  // A Yes/No question, No the default; `loss` names what a Yes destroys.
  bool Ask(const QString& question, const QString& loss = QString());
  QString WhatRemovingLoses(const std::string& file) const;
  std::vector<std::string> AllNames() const;

  Workspace& workspace_;
  UserPreferences* preferences_;
  WindowHost host_;
  tarn::Host* previousHost_;
  DiffProgress* previousProgress_;
  RememberedTexts remembered_;
  std::map<CommandId, QAction*> actions_;
  std::map<CommandId, CommandHandler> handlers_;
  CommandHandler addHandler_;
  std::function<bool(const QString&)> answerer_;
  std::optional<LogfileDetails> selected_;
  bool reloading_ = false;

  DirectoryTree* tree_;
  QLabel* caption_;
  ProjectFilesModel* model_;
  ProjectFilesView* view_;
  QTabWidget* tabs_;
  QLabel* tabsProblem_;
  QLabel* workfilePath_;
  RevisionPage* revisionPage_;
  ModulePage* modulePage_;
  FilesPage* filesPage_;
  ProjectsPage* projectsPage_;
  QMenu* fileMenu_ = nullptr;
};

}  // namespace tarn::dorn
