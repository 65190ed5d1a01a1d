// What every single-file dialog shares: the file it works on, the logfile
// field, the revision list taken from the Revision tab, the "Advanced >>"
// extension, and running the command through the workspace with the window
// disabled and the wait cursor on.
//
// Opened with a list of files, the same dialog is the operation's
// multi-file form: it names directories instead of files, always acts on
// the default revision and runs its command once per file (MultiFileRun).
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "frontend/logfile_details.h"
#include "frontend/multi_file_run.h"
#include "frontend/workspace.h"

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace tarn::dorn {

// Texts the files view keeps from one dialog to the next.
struct RememberedTexts {
  QString description;  // of the last check-in or add
  QString label;        // of the last label dialog
};

// What a dialog is opened with.
struct FileDialogContext {
  Workspace* workspace = nullptr;
  std::string fileName;          // as the project files list shows it
  QStringList revisionEntries;   // the Revision tab's list ...
  int revisionRow = -1;          // ... and its selected entry
  std::vector<LabelDetails> labels;
  RememberedTexts* remembered = nullptr;
  // Writes a text to the main window's status bar.
  std::function<void(const QString&)> showStatus;

  // The engine host that serves the commands' questions and messages (null:
  // boxes as the engine reports). The multi-file form: the files in list
  // order (never empty then), and what the main window
  // does after a file's logfile changed or was created.
  std::vector<std::string> files;
  WindowHost* host = nullptr;
  std::function<void(const std::string& name)> refreshEntry;
  std::function<void(const std::string& name)> addedToProject;
};

class FileOperationDialog : public QDialog {
  Q_OBJECT

 public:
  FileOperationDialog(const FileDialogContext& context, const QString& title, QWidget* parent);

  // The command string of the choices made; empty when no command may run
  // (the user has been told why).
  virtual std::string Command() = 0;

  const FileDialogContext& Context() const { return context_; }
  std::string LogfilePath() const;
  std::string WorkfileFullName() const;
  // The revision the revision list names ("" for the default revision,
  // always in the multi-file form).
  std::string ChosenRevision() const;
  QComboBox* RevisionList() const { return revisions_; }

  bool IsMultiFile() const { return !context_.files.empty(); }
  const std::vector<std::string>& Files() const { return context_.files; }
  // The multi-file form's workfile directory as the field names it, ending
  // in the separator.
  std::string WorkfileDirectory() const;
  QLineEdit* ArchiveField() const { return archive_; }

 protected:
  // Layout pieces, in the order the dialogs add them.
  QVBoxLayout* Body() const { return body_; }
  // "You've elected to <verb> revision:" with the Revision tab's entries.
  void AddRevisionList(const QString& caption);
  // The logfile's full path, read-only, under `caption`.
  void AddArchiveField(const QString& caption);
  // An editable (or read-only) workfile name with "..." to choose a file.
  QLineEdit* AddWorkfileField(const QString& caption, bool editable);
  // The "Advanced >>" button and the hidden area it shows once.
  QWidget* AddAdvancedArea();
  void AddButtons();

  // Runs the command with the main window and this dialog disabled and the
  // wait cursor on. True when the engine command succeeded.
  bool RunCommand(Operation operation, const std::string& command);
  void ShowStatus(const QString& text) const;
  // One box for a failure, holding the engine's messages about it; after a
  // command the user declined (No to its question), a "left as it is" in
  // the status bar instead.
  void ShowFailure(const QString& text);

  // The workfile directory check of get and check out: asks to create a
  // missing directory and creates it. False when the operation must stop.
  bool EnsureWorkfileDirectory(const std::string& workfile);

  // The text for the form the dialog is in.
  QString FormText(const QString& single, const QString& multi) const {
    return IsMultiFile() ? multi : single;
  }
  // Runs `each` over the files (the archive field naming each file's
  // logfile meanwhile) and tells how it went; `asksForAll` as for
  // MultiFileRun. The caller writes its summary, then CloseAfterRun.
  MultiFileOutcome RunOverFiles(bool asksForAll,
                                const std::function<bool(const std::string&)>& each,
                                const std::function<QString(const std::string&)>& failureText);
  // OK when every file succeeded; Cancel otherwise, the run's summary in
  // the status bar.
  void CloseAfterRun(const MultiFileOutcome& outcome);
  // One file's command in a multi-file run.
  bool RunOn(const std::string& name, Operation operation, const std::string& command);
  std::string LogfilePathOf(const std::string& name) const;
  void RefreshEntry(const std::string& name) const;
  // Adds the label names of every file's logfile, each once, in the order
  // met; the status bar names the file being read. A logfile that cannot be
  // opened stops the filling with an error. False then.
  bool CollectLabelNames(QStringList& names);

  QLineEdit* workfileField_ = nullptr;

 private:
  FileDialogContext context_;
  QVBoxLayout* body_;
  QComboBox* revisions_ = nullptr;
  QLineEdit* archive_ = nullptr;
  // Of the last command run: declined, and the engine's messages.
  bool leftAlone_ = false;
  QStringList engineMessages_;
};

}  // namespace tarn::dorn
