// The loop every operation over many files runs: one file after the other
// in list order, each file's failure shown in an OK/Cancel box where Cancel
// ends the run, the window kept alive between files.
//
// While a run lives, the main window and the dialog are disabled and the
// wait cursor is on, so no second operation can start; the engine host
// knows the run (see WindowHost::BeginRun) and shows which file it is at.
// The destructor undoes all of it, also when a file's work throws.
#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace tarn::dorn {

class WindowHost;

struct MultiFileOutcome {
  int succeeded = 0;
  bool cancelled = false;     // Cancel in a failure box ended the run
  bool allSucceeded = false;  // every file of the list succeeded
};

class MultiFileRun {
 public:
  // `asksForAll`: the engine's questions during the run come in the
  // four-button box (get, check out, check in and label do this).
  MultiFileRun(QDialog& dialog, WindowHost& host, bool asksForAll);
  ~MultiFileRun();
  MultiFileRun(const MultiFileRun&) = delete;
  MultiFileRun& operator=(const MultiFileRun&) = delete;

  // `each` does one file's work and tells whether it succeeded; a failure
  // shows `failureText(name)` with an exclamation icon and OK and Cancel.
  MultiFileOutcome Run(const std::vector<std::string>& files,
                       const std::function<bool(const std::string&)>& each,
                       const std::function<QString(const std::string&)>& failureText);

 private:
  bool GoOnAfterFailure(const QString& text);

  QPointer<QDialog> dialog_;
  QPointer<QWidget> window_;
  WindowHost& host_;
};

}  // namespace tarn::dorn
