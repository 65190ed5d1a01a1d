// How the front end serves the engine while a command runs: results in the
// status bar, errors in a message box (or kept for the failure's own box),
// questions as Yes/No boxes with No as the default, and the
// "Working..." display with the wait cursor while a long comparison goes on.
//
// While a run over many files is under way the host also knows it: the run
// is busy (no second one may start), the file it is at shows as "file k of
// n", and where the run asks for it, questions come in a four-button box
// whose "to all" answers hold for the rest of that run.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

#include "engine/support/diff_progress.h"
#include "engine/support/report.h"

class QWidget;

namespace tarn::dorn {

class WindowHost : public Host, public DiffProgress {
 public:
  // `showStatus` writes to the status bar; `parent` owns the message boxes.
  WindowHost(QWidget* parent, std::function<void(const QString&)> showStatus);

  void ReportMessage(std::string_view text, int kind) override;
  std::string AskQuestion() override;

  void Step() override;
  void Finished() override;

  // The last reported text as kept: at most 511 characters, line ends as
  // blanks.
  const QString& LastText() const { return lastText_; }

  // Whether a question has been answered No since ForgetDeclined: the
  // command that then gives up left the file alone at the user's word.
  void ForgetDeclined() { declined_ = false; }
  bool Declined() const { return declined_; }

  // While collecting, the engine's error messages are kept for the one box
  // (or summary) that reports the failure, instead of a box each.
  void BeginCollecting();
  QStringList EndCollecting();

  // A run over many files. `asksForAll` makes the questions of the run
  // four-button ones, starting with no answer given for all.
  void BeginRun(bool asksForAll);
  void EndRun();
  bool RunBusy() const { return runBusy_; }
  bool OperationRunning() const { return operationRunning_; }
  bool AnswerForAll() const { return answerForAll_; }

  // Where "file k of n" shows (a progress bar in the status bar, say);
  // called with (0, 0) when the run ends.
  void SetFileProgressDisplay(std::function<void(int done, int total)> display);
  void ShowFileProgress(int done, int total);

 private:
  std::string AskForAll();

  QWidget* parent_;
  std::function<void(const QString&)> showStatus_;
  std::function<void(int, int)> fileProgress_;
  QString lastText_;
  std::string answer_;
  int progressLength_ = 0;
  bool waitCursor_ = false;
  bool runBusy_ = false;
  bool operationRunning_ = false;
  bool answerForAll_ = false;
  bool declined_ = false;
  bool collecting_ = false;
  QStringList collected_;
};

}  // namespace tarn::dorn
