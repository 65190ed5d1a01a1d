#include "frontend/check_in_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "frontend/front_text.h"

namespace tarn::dorn {
namespace {

const char* const kAlways = "Always add a new revision";
const char* const kOnChanges = "Add a new revision only on changes";
const char* const kAsk = "Ask before storing a duplicate revision";

}  // namespace

QPlainTextEdit* DescriptionEditor(const QString& text, QWidget* parent) {
  auto* editor = new QPlainTextEdit(text, parent);
  editor->setObjectName(QStringLiteral("description"));
  editor->setTabChangesFocus(true);
  editor->selectAll();
  editor->setMinimumHeight(editor->fontMetrics().height() * 5);
  return editor;
}

CheckInDialog::CheckInDialog(const FileDialogContext& context, QWidget* parent)
    : FileOperationDialog(context,
                          context.files.empty()
                              ? tr("Check In a file")
                              : FrontText(msg::kMultiCheckInTitle, static_cast<int>(context.files.size())),
                          parent),
      description_(DescriptionEditor(context.remembered ? context.remembered->description : "",
                                     this)) {
  AddWorkfileField(FormText(tr("From the workfile:"), tr("From the workfile directory:")), false);
  AddArchiveField(FormText(tr("Into the archive:"), tr("Into the archive directory:")));
  Body()->addWidget(new QLabel(FormText(tr("Description of changes:"),
                                        tr("Enter a description of the changes for these modules:")),
                               this));
  Body()->addWidget(description_);
  QWidget* area = AddAdvancedArea();
  auto* advanced = new QVBoxLayout(area);
  advanced->setContentsMargins(0, 0, 0, 0);
  leaveCheckedOut_ = new QCheckBox(tr("Leave checked &out"), area);
  protectWorkfile_ = new QCheckBox(tr("Protect &work file"), area);
  protectWorkfile_->setTristate(true);
  protectWorkfile_->setCheckState(Qt::PartiallyChecked);
  forceBranch_ = new QCheckBox(tr("Force a branch"), area);
  duplicate_ = new QComboBox(area);
  QStringList entries{tr(kAlways), tr(kOnChanges), tr(kAsk)};
  entries.sort();
  duplicate_->addItems(entries);
  duplicate_->setCurrentText(tr(kOnChanges));
  for (QWidget* widget :
       std::initializer_list<QWidget*>{leaveCheckedOut_, protectWorkfile_, forceBranch_, duplicate_}) {
    advanced->addWidget(widget);
  }
  AddButtons();
  description_->setFocus();
}

CheckInChoices CheckInDialog::Choices() const {
  CheckInChoices choices;
  choices.workfile = WorkfileFullName();
  choices.description = description_->toPlainText().toStdString();
  const QString duplicate = duplicate_->currentText();
  choices.duplicate = duplicate == tr(kAlways)    ? DuplicateChoice::kAlways
                      : duplicate == tr(kAsk)     ? DuplicateChoice::kAsk
                                                  : DuplicateChoice::kOnlyOnChanges;
  choices.forceBranch = forceBranch_->isChecked();
  choices.leaveCheckedOut = leaveCheckedOut_->isChecked();
  const Qt::CheckState protect = protectWorkfile_->checkState();
  choices.protectWorkfile = protect == Qt::Checked     ? TriState::kChecked
                            : protect == Qt::Unchecked ? TriState::kClear
                                                       : TriState::kUndetermined;
  return choices;
}

std::string CheckInDialog::Command() { return CheckInCommand(Choices()); }

void CheckInDialog::accept() {
  if (Context().remembered) Context().remembered->description = description_->toPlainText();
  if (IsMultiFile()) {
    AcceptForEveryFile();
    return;
  }
  if (RunCommand(Operation::kCheckIn, Command())) {
    QDialog::accept();
    return;
  }
  ShowFailure(FrontText(msg::kStoreFailed, WorkfileFullName(), LogfilePath()));
  reject();
}

void CheckInDialog::AcceptForEveryFile() {
  CheckInChoices choices = Choices();
  const std::string directory = WorkfileDirectory();
  const MultiFileOutcome outcome = RunOverFiles(
      true,
      [&](const std::string& name) {
        choices.workfile = directory + name;
        if (!RunOn(name, Operation::kCheckIn, CheckInCommand(choices))) return false;
        RefreshEntry(name);
        return true;
      },
      [&](const std::string& name) {
        return FrontText(msg::kStoreFailed, name, LogfilePathOf(name));
      });
  CloseAfterRun(outcome);
}

}  // namespace tarn::dorn
