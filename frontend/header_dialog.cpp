#include "frontend/header_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <utility>
#include <QVBoxLayout>

#include "frontend/front_text.h"
#include "frontend/window_host.h"
#include "frontend/multi_file_run.h"

namespace tarn::dorn {

HeaderDialog::HeaderDialog(const HeaderDialogContext& context, const QString& title,
                           QWidget* parent)
    : QDialog(parent), context_(context), body_(new QVBoxLayout(this)) {
  setWindowTitle(IsMultiFile() ? title
                               : title + QStringLiteral(" -- [") + Qs(context_.files.front()) +
                                     QStringLiteral("]"));
}

void HeaderDialog::AddButtons() {
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  body_->addWidget(buttons_);
}

bool HeaderDialog::RunOn(const std::string& name, const std::string& command) {
  QWidget* window = parentWidget() ? parentWidget()->window() : nullptr;
  if (window) window->setEnabled(false);
  setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (context_.host) context_.host->BeginCollecting();
  const bool succeeded = context_.workspace->Run(Operation::kModifyHeader, name, command);
  if (context_.host) engineMessages_ = context_.host->EndCollecting();
  QApplication::restoreOverrideCursor();
  setEnabled(true);
  if (window) window->setEnabled(true);
  return succeeded;
}

void HeaderDialog::ShowFailure(const QString& text) {
  // One box, with what the engine said inside.
  QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text, QMessageBox::Ok,
                  this);
  box.setInformativeText(std::exchange(engineMessages_, {}).join(QLatin1Char('\n')));
  box.exec();
}

void HeaderDialog::FinishSingle(bool succeeded) {
  const std::string logfile = context_.workspace->LogfilePath(context_.files.front());
  if (succeeded) {
    QMessageBox::information(this, QApplication::applicationName(),
                             FrontText(msg::kModifiedHeader, logfile));
    QDialog::accept();
    return;
  }
  ShowFailure(FrontText(msg::kModifyHeaderFailed, logfile));
  reject();
}

void HeaderDialog::RunOnEach(const std::function<QString(const std::string& file)>& failureText) {
  const std::string command = Command();
  MultiFileOutcome outcome;
  {
    // The run disables the windows and shows the wait cursor itself.
    MultiFileRun run(*this, *context_.host, false);
    outcome = run.Run(
        context_.files,
        [&](const std::string& file) {
          const bool succeeded = context_.workspace->Run(Operation::kModifyHeader, file, command);
          if (succeeded && context_.showStatus) context_.showStatus(Qs(command));
          return succeeded;
        },
        failureText);
  }
  if (outcome.allSucceeded) {
    QDialog::accept();
  } else {
    reject();
  }
}

void HeaderDialog::Finish(const std::function<QString(const std::string& file)>& failureText) {
  if (IsMultiFile()) {
    RunOnEach(failureText);
  } else {
    FinishSingle(RunOn(context_.files.front(), Command()));
  }
}

}  // namespace tarn::dorn
