// What the four header dialogs share: the files they change, the title
// with the file's name, and running their modify-header command on one
// file or on each of several.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "frontend/logfile_details.h"
#include "frontend/window_host.h"
#include "frontend/workspace.h"

class QDialogButtonBox;
class QVBoxLayout;

namespace tarn::dorn {

struct HeaderDialogContext {
  Workspace* workspace = nullptr;
  // One file: the single-file form; several: the multi-file form.
  std::vector<std::string> files;
  // The header of the one file (single-file form only).
  LogfileDetails details;
  // Writes a text to the main window's status bar.
  std::function<void(const QString&)> showStatus;
  // The main window's engine host, which a run over several files informs.
  WindowHost* host = nullptr;
};

class HeaderDialog : public QDialog {
  Q_OBJECT

 public:
  // `title` gets " -- [<file>]" in the single-file form.
  HeaderDialog(const HeaderDialogContext& context, const QString& title, QWidget* parent);

  bool IsMultiFile() const { return context_.files.size() != 1; }
  const HeaderDialogContext& Context() const { return context_; }
  // The command string of the choices made.
  virtual std::string Command() const = 0;
  QDialogButtonBox* Buttons() const { return buttons_; }

 protected:
  QVBoxLayout* Body() const { return body_; }
  // OK and Cancel, below everything else.
  void AddButtons();

  // Runs the command on one file, with the main window and the dialog
  // disabled and the wait cursor on; true when it succeeded.
  bool RunOn(const std::string& name, const std::string& command);
  // The single-file form's ending: "Modified <logfile> header" and OK, or
  // "Failed to modify <logfile> header" and Cancel.
  void FinishSingle(bool succeeded);
  // The multi-file form: the command on each file in turn, its string in the
  // status bar after each success; a failure shows `failureText(file)`,
  // and Cancel there ends the run. Closes with OK when every file
  // succeeded, else with Cancel.
  void RunOnEach(const std::function<QString(const std::string& file)>& failureText);
  // The single-file form's ending or the multi-file run, as the form is.
  void Finish(const std::function<QString(const std::string& file)>& failureText);

  void ShowFailure(const QString& text);

 private:
  HeaderDialogContext context_;
  QStringList engineMessages_;  // of the last command, for its failure box
  QVBoxLayout* body_;
  QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace tarn::dorn
