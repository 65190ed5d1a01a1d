// What every single-file dialog shares: the file it works on, the logfile
// field, the revision list taken from the Revision tab, the "Advanced >>"
// extension, and running the command through the workspace with the window
// disabled and the wait cursor on.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "frontend/logfile_details.h"
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
  // The revision the revision list names ("" for the default revision).
  std::string ChosenRevision() const;
  QComboBox* RevisionList() const { return revisions_; }

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
  void ShowFailure(const QString& text);

  // The workfile directory check of get and check out: asks to create a
  // missing directory and creates it. False when the operation must stop.
  bool EnsureWorkfileDirectory(const std::string& workfile);

  QLineEdit* workfileField_ = nullptr;

 private:
  FileDialogContext context_;
  QVBoxLayout* body_;
  QComboBox* revisions_ = nullptr;
};

}  // namespace tarn::dorn
