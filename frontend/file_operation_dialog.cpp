#include "frontend/file_operation_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>
#include <utility>

#include "frontend/command_strings.h"
#include "frontend/front_text.h"
#include "frontend/window_host.h"
#include "platform/paths.h"

namespace tarn::dorn {

FileOperationDialog::FileOperationDialog(const FileDialogContext& context, const QString& title,
                                         QWidget* parent)
    : QDialog(parent), context_(context), body_(new QVBoxLayout(this)) {
  setWindowTitle(title);
  body_->setSizeConstraint(QLayout::SetFixedSize);
}

std::string FileOperationDialog::LogfilePath() const {
  return context_.workspace->LogfilePath(context_.fileName);
}

std::string FileOperationDialog::WorkfileFullName() const {
  if (workfileField_) return workfileField_->text().toStdString();
  return context_.workspace->WorkfileFullName(context_.fileName);
}

std::string FileOperationDialog::ChosenRevision() const {
  if (IsMultiFile() || !revisions_ || revisions_->currentIndex() < 0) return "";
  return RevisionOfEntry(revisions_->currentText().toStdString());
}

void FileOperationDialog::AddRevisionList(const QString& caption) {
  revisions_ = new QComboBox(this);
  revisions_->addItems(context_.revisionEntries);
  revisions_->setCurrentIndex(context_.revisionRow);
  revisions_->setMinimumContentsLength(24);
  // Every file of a run gets its default revision.
  revisions_->setEnabled(!IsMultiFile());
  body_->addWidget(new QLabel(caption, this));
  body_->addWidget(revisions_);
}

void FileOperationDialog::AddArchiveField(const QString& caption) {
  // The multi-file form names the first file's logfile directory.
  const std::string shown = IsMultiFile()
                                ? platform::DirectoryPart(LogfilePathOf(context_.files.front()))
                                : LogfilePath();
  archive_ = new QLineEdit(Qs(shown), this);
  archive_->setReadOnly(true);
  archive_->setMinimumWidth(fontMetrics().averageCharWidth() * 60);
  archive_->setObjectName(QStringLiteral("archive"));
  body_->addWidget(new QLabel(caption, this));
  body_->addWidget(archive_);
}

QLineEdit* FileOperationDialog::AddWorkfileField(const QString& caption, bool editable) {
  const std::string shown = IsMultiFile() ? context_.workspace->WorkfilePath()
                                          : context_.workspace->WorkfileFullName(context_.fileName);
  workfileField_ = new QLineEdit(Qs(shown), this);
  workfileField_->setReadOnly(!editable);
  workfileField_->setObjectName(QStringLiteral("workfile"));
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setObjectName(QStringLiteral("browse"));
  browse->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
  connect(browse, &QPushButton::clicked, this, [this] {
    if (IsMultiFile()) {
      const QString chosen = QFileDialog::getExistingDirectory(
          this, CatalogueText(msg::kSelectDirectory), workfileField_->text());
      if (!chosen.isEmpty()) workfileField_->setText(Qs(platform::WithTrailingSeparator(chosen.toStdString())));
      return;
    }
    const QString chosen = QFileDialog::getOpenFileName(
        this, tr("Select a file"), QFileInfo(workfileField_->text()).path(),
        tr("C++ Files (*.cpp *.h *.c);;VB Files (*.bas *.frm);;AllFiles(*)"));
    if (!chosen.isEmpty()) workfileField_->setText(chosen);
  });
  auto* row = new QHBoxLayout;
  row->addWidget(workfileField_);
  row->addWidget(browse);
  body_->addWidget(new QLabel(caption, this));
  body_->addLayout(row);
  return workfileField_;
}

QWidget* FileOperationDialog::AddAdvancedArea() {
  auto* button = new QPushButton(tr("Advanced >>"), this);
  button->setObjectName(QStringLiteral("advanced"));
  auto* area = new QWidget(this);
  area->setObjectName(QStringLiteral("advancedArea"));
  area->hide();
  // The dialog grows downward once; a second click does nothing.
  connect(button, &QPushButton::clicked, area, &QWidget::show);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(button);
  body_->addLayout(row);
  body_->addWidget(area);
  return area;
}

void FileOperationDialog::AddButtons() {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  body_->addWidget(buttons);
}

bool FileOperationDialog::RunCommand(Operation operation, const std::string& command) {
  QWidget* window = parentWidget() ? parentWidget()->window() : nullptr;
  if (window) window->setEnabled(false);
  setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  WindowHost* host = context_.host;
  if (host) {
    host->ForgetDeclined();
    host->BeginCollecting();
  }
  const bool succeeded = context_.workspace->Run(operation, context_.fileName, command);
  leftAlone_ = !succeeded && host && host->Declined();
  if (host) engineMessages_ = host->EndCollecting();
  QApplication::restoreOverrideCursor();
  setEnabled(true);
  if (window) window->setEnabled(true);
  return succeeded;
}

void FileOperationDialog::ShowStatus(const QString& text) const {
  if (context_.showStatus) context_.showStatus(text);
}

void FileOperationDialog::ShowFailure(const QString& text) {
  // No to the engine's question: the file was left alone, as asked.
  if (std::exchange(leftAlone_, false)) {
    ShowStatus(FrontText(msg::kLeftAlone, WorkfileFullName()));
    engineMessages_.clear();
    return;
  }
  // One box: the failure, with what the engine said about it inside.
  QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text, QMessageBox::Ok,
                  this);
  box.setInformativeText(std::exchange(engineMessages_, {}).join(QLatin1Char('\n')));
  box.exec();
}

bool FileOperationDialog::EnsureWorkfileDirectory(const std::string& workfile) {
  const QString directory = QFileInfo(Qs(workfile)).path();
  // The file-system root needs no check, nor does a directory that exists.
  if (directory.size() <= 1 || QDir(directory).exists()) return true;
  const auto answer = QMessageBox::question(
      this, QApplication::applicationName(), FrontText(msg::kCreateWorkfileDirectory, workfile),
      QMessageBox::Yes | QMessageBox::No);
  if (answer != QMessageBox::Yes) return false;
  if (!QDir().mkpath(directory)) {
    ShowFailure(FrontText(msg::kWorkfileDirectoryFailed, workfile));
    return false;
  }
  return true;
}

std::string FileOperationDialog::WorkfileDirectory() const {
  const std::string directory =
      workfileField_ ? workfileField_->text().toStdString() : context_.workspace->WorkfilePath();
  return platform::WithTrailingSeparator(directory);
}

std::string FileOperationDialog::LogfilePathOf(const std::string& name) const {
  return context_.workspace->LogfilePath(name);
}

void FileOperationDialog::RefreshEntry(const std::string& name) const {
  if (context_.refreshEntry) context_.refreshEntry(name);
}

bool FileOperationDialog::RunOn(const std::string& name, Operation operation,
                                const std::string& command) {
  return context_.workspace->Run(operation, name, command);
}

MultiFileOutcome FileOperationDialog::RunOverFiles(
    bool asksForAll, const std::function<bool(const std::string&)>& each,
    const std::function<QString(const std::string&)>& failureText) {
  // Without the main window's host (a dialog on its own) the run still
  // needs one to keep its flags.
  std::optional<WindowHost> ownHost;
  WindowHost* host = context_.host;
  if (!host) host = &ownHost.emplace(this, context_.showStatus);
  MultiFileRun run(*this, *host, asksForAll);
  return run.Run(
      context_.files,
      [&](const std::string& name) {
        if (archive_) archive_->setText(Qs(LogfilePathOf(name)));
        return each(name);
      },
      failureText);
}

void FileOperationDialog::CloseAfterRun(const MultiFileOutcome& outcome) {
  // The closing box has the summary where files failed; otherwise the
  // status bar tells what was left alone or not reached.
  if (!outcome.allSucceeded && outcome.failures.empty()) ShowStatus(outcome.Summary());
  done(outcome.allSucceeded ? QDialog::Accepted : QDialog::Rejected);
}

bool FileOperationDialog::CollectLabelNames(QStringList& names) {
  setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QString problem;
  for (const std::string& name : context_.files) {
    ShowStatus(FrontText(msg::kRetrievingLabels, name));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const std::optional<std::vector<std::string>> labels = context_.workspace->ReadLabelNames(name);
    if (!labels) {
      // Why, naming the logfile.
      problem = Qs(context_.workspace->ReadDetails(name).problem);
      if (problem.isEmpty()) problem = CatalogueText(msg::kCantOpenLogfile) + QLatin1Char(' ') + Qs(LogfilePathOf(name));
      break;
    }
    for (const std::string& label : *labels) {
      if (!names.contains(Qs(label))) names << Qs(label);
    }
  }
  QApplication::restoreOverrideCursor();
  setEnabled(true);
  if (!problem.isEmpty()) ShowFailure(problem);
  return problem.isEmpty();
}

}  // namespace tarn::dorn
