#include "frontend/label_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "frontend/command_strings.h"
#include "frontend/front_text.h"

namespace tarn::dorn {

LabelDialog::LabelDialog(const FileDialogContext& context, QWidget* parent)
    : FileOperationDialog(context, tr("Label a file"), parent),
      label_(new QLineEdit(context.remembered ? context.remembered->label : QString(), this)) {
  AddRevisionList(tr("You've elected to label revision:"));
  AddArchiveField(tr("in the archive file:"));
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
  const std::string revision = ChosenRevision();
  if (RunCommand(Operation::kLabel, Command())) {
    ShowStatus(FrontText(msg::kLabeledRevision, revision, LogfilePath(), label));
    QDialog::accept();
    return;
  }
  ShowFailure(FrontText(msg::kLabelFailed, LogfilePath(), label));
  reject();
}

}  // namespace tarn::dorn
