// The loop every operation over many files runs: one file after the other
// in list order, the window kept alive between files, a Stop button (and
// Esc) that ends the run after the file at hand. Failures do not stop the
// run with a box each: they are collected, each with the engine's messages
// about it, and the run closes with one summary.
//
// While a run lives, the main window's contents and the dialog's fields
// are disabled and the wait cursor is on, so no second operation can
// start; only Stop stays live. The engine host knows the run (see
// WindowHost::BeginRun) and shows which file it is at. The destructor
// undoes all of it, also when a file's work throws.
#pragma once

#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace tarn::dorn {

class WindowHost;

// A file of a run that failed: the run's failure text and what the engine
// said.
struct RunFailure {
  std::string name;
  QString text;
  QStringList details;
};

struct MultiFileOutcome {
  int total = 0;
  int succeeded = 0;
  int leftAlone = 0;            // the user answered No for the file
  std::vector<RunFailure> failures;
  bool cancelled = false;       // Stop ended the run early
  int notReached = 0;           // the files Stop kept the run from
  bool allSucceeded = false;    // every file of the list succeeded
  // "3 done, 1 left alone, 1 failed" (and that the run was stopped).
  QString Summary() const;
};

class MultiFileRun {
 public:
  // `asksForAll`: the engine's questions during the run come in the
  // four-button box (get, check out, check in and label do this).
  MultiFileRun(QDialog& dialog, WindowHost& host, bool asksForAll);
  ~MultiFileRun();
  MultiFileRun(const MultiFileRun&) = delete;
  MultiFileRun& operator=(const MultiFileRun&) = delete;

  // `each` does one file's work and tells whether it succeeded; a file
  // that failed (not at the user's No) is kept with `failureText(name)`.
  // Where any failed, one box lists them all before Run returns.
  MultiFileOutcome Run(const std::vector<std::string>& files,
                       const std::function<bool(const std::string&)>& each,
                       const std::function<QString(const std::string&)>& failureText);

  // Ends the run after the file at hand (what Stop and Esc do).
  void Stop();
  QPushButton* StopButton() const { return stop_; }

 private:
  class EscapeFilter;

  void ShowFailures(const MultiFileOutcome& outcome);

  QPointer<QDialog> dialog_;
  WindowHost& host_;
  std::vector<QPointer<QWidget>> disabled_;
  QPointer<QPushButton> stop_;
  std::unique_ptr<EscapeFilter> escape_;
  bool stopping_ = false;
};

}  // namespace tarn::dorn
