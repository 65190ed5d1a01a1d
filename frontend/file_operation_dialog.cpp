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

#include "frontend/command_strings.h"
#include "frontend/front_text.h"

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
  if (!revisions_ || revisions_->currentIndex() < 0) return "";
  return RevisionOfEntry(revisions_->currentText().toStdString());
}

void FileOperationDialog::AddRevisionList(const QString& caption) {
  revisions_ = new QComboBox(this);
  revisions_->addItems(context_.revisionEntries);
  revisions_->setCurrentIndex(context_.revisionRow);
  revisions_->setMinimumContentsLength(24);
  body_->addWidget(new QLabel(caption, this));
  body_->addWidget(revisions_);
}

void FileOperationDialog::AddArchiveField(const QString& caption) {
  auto* field = new QLineEdit(Qs(LogfilePath()), this);
  field->setReadOnly(true);
  field->setMinimumWidth(fontMetrics().averageCharWidth() * 60);
  field->setObjectName(QStringLiteral("archive"));
  body_->addWidget(new QLabel(caption, this));
  body_->addWidget(field);
}

QLineEdit* FileOperationDialog::AddWorkfileField(const QString& caption, bool editable) {
  workfileField_ = new QLineEdit(Qs(context_.workspace->WorkfileFullName(context_.fileName)), this);
  workfileField_->setReadOnly(!editable);
  workfileField_->setObjectName(QStringLiteral("workfile"));
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
  connect(browse, &QPushButton::clicked, this, [this] {
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
  const bool succeeded = context_.workspace->Run(operation, context_.fileName, command);
  QApplication::restoreOverrideCursor();
  setEnabled(true);
  if (window) window->setEnabled(true);
  return succeeded;
}

void FileOperationDialog::ShowStatus(const QString& text) const {
  if (context_.showStatus) context_.showStatus(text);
}

void FileOperationDialog::ShowFailure(const QString& text) {
  QMessageBox::warning(this, QApplication::applicationName(), text);
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

}  // namespace tarn::dorn
