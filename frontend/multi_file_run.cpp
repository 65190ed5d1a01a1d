#include "frontend/multi_file_run.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

#include "frontend/window_host.h"

namespace tarn::dorn {

MultiFileRun::MultiFileRun(QDialog& dialog, WindowHost& host, bool asksForAll)
    : dialog_(&dialog),
      window_(dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr),
      host_(host) {
  if (window_) window_->setEnabled(false);
  dialog.setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  host_.BeginRun(asksForAll);
}

MultiFileRun::~MultiFileRun() {
  host_.EndRun();
  QApplication::restoreOverrideCursor();
  if (dialog_) dialog_->setEnabled(true);
  if (window_) window_->setEnabled(true);
}

MultiFileOutcome MultiFileRun::Run(const std::vector<std::string>& files,
                                   const std::function<bool(const std::string&)>& each,
                                   const std::function<QString(const std::string&)>& failureText) {
  MultiFileOutcome outcome;
  const int total = static_cast<int>(files.size());
  for (int index = 0; index < total; ++index) {
    const std::string& file = files[static_cast<std::size_t>(index)];
    host_.ShowFileProgress(index + 1, total);
    if (each(file)) {
      ++outcome.succeeded;
    } else if (!GoOnAfterFailure(failureText(file))) {
      outcome.cancelled = true;
      break;
    }
    QApplication::processEvents();
  }
  outcome.allSucceeded = outcome.succeeded == total;
  return outcome;
}

bool MultiFileRun::GoOnAfterFailure(const QString& text) {
  // The box is the user's to answer: the ordinary pointer while it shows.
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  const auto answer = QMessageBox::warning(dialog_, QApplication::applicationName(), text,
                                           QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
  QApplication::restoreOverrideCursor();
  return answer != QMessageBox::Cancel;
}

}  // namespace tarn::dorn
