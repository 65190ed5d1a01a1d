// How the front end serves the engine while a command runs: results in the
// status bar, errors in a message box, questions as Yes/No boxes, and the
// "Working..." display with the wait cursor while a long comparison goes on.
#pragma once

#include <QString>
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

 private:
  QWidget* parent_;
  std::function<void(const QString&)> showStatus_;
  QString lastText_;
  int progressLength_ = 0;
  bool waitCursor_ = false;
};

}  // namespace tarn::dorn
