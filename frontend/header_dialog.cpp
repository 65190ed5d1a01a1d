#include "frontend/header_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QVBoxLayout>

#include "frontend/front_text.h"

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
  const bool succeeded = context_.workspace->Run(Operation::kModifyHeader, name, command);
  QApplication::restoreOverrideCursor();
  setEnabled(true);
  if (window) window->setEnabled(true);
  return succeeded;
}

void HeaderDialog::ShowFailure(const QString& text) {
  QMessageBox::warning(this, QApplication::applicationName(), text);
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
  bool allSucceeded = true;
  for (const std::string& file : context_.files) {
    if (RunOn(file, command)) {
      if (context_.showStatus) context_.showStatus(Qs(command));
    } else {
      allSucceeded = false;
      const auto answer =
          QMessageBox::warning(this, QApplication::applicationName(), failureText(file),
                               QMessageBox::Ok | QMessageBox::Cancel);
      if (answer == QMessageBox::Cancel) break;
    }
    QApplication::processEvents();
  }
  if (allSucceeded) {
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
