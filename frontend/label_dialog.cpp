#include "frontend/label_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "frontend/command_strings.h"
#include "frontend/front_text.h"

namespace tarn::dorn {

LabelDialog::LabelDialog(const FileDialogContext& context, QWidget* parent)
    : FileOperationDialog(context,
                          context.files.empty()
                              ? tr("Label a file")
                              : FrontText(msg::kMultiLabelTitle, static_cast<int>(context.files.size())),
                          parent),
      label_(new QLineEdit(context.remembered ? context.remembered->label : QString(), this)) {
  AddRevisionList(FormText(tr("You've elected to label revision:"), tr("Label the default revision")));
  AddArchiveField(FormText(tr("in the archive file:"), tr("For logfiles in this directory:")));
  label_->setObjectName(QStringLiteral("label"));
  label_->setMaxLength(79);
  Body()->addWidget(new QLabel(tr("with the label:"), this));
  Body()->addWidget(label_);
  AddButtons();
  label_->setFocus();
  label_->selectAll();
}

std::string LabelDialog::Command() {
  return LabelCommand(ChosenRevision(), label_->text().toStdString());
}

void LabelDialog::accept() {
  const std::string label = label_->text().toStdString();
  if (label.empty()) {
    ShowFailure(FrontText(msg::kLabelRequired));
    return;
  }
  if (Context().remembered) Context().remembered->label = label_->text();
  if (IsMultiFile()) {
    AcceptForEveryFile(label);
    return;
  }
  const std::string revision = ChosenRevision();
  if (RunCommand(Operation::kLabel, Command())) {
    ShowStatus(FrontText(msg::kLabeledRevision, revision, LogfilePath(), label));
    QDialog::accept();
    return;
  }
  ShowFailure(FrontText(msg::kLabelFailed, LogfilePath(), label));
  reject();
}

void LabelDialog::AcceptForEveryFile(const std::string& label) {
  const std::string command = Command();
  const MultiFileOutcome outcome = RunOverFiles(
      true,
      [&](const std::string& name) {
        if (!RunOn(name, Operation::kLabel, command)) return false;
        ShowStatus(FrontText(msg::kLabeledLogfile, LogfilePathOf(name), label));
        return true;
      },
      [&](const std::string& name) {
        return FrontText(msg::kMultiLabelFailed, LogfilePathOf(name), label);
      });
  if (outcome.succeeded > 0) ShowStatus(FrontText(msg::kAddedLabelCount, label, outcome.succeeded));
  CloseAfterRun(outcome);
}

}  // namespace tarn::dorn
