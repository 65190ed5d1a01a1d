#include "frontend/remove_label_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

#include "frontend/command_strings.h"
#include "frontend/front_text.h"

namespace tarn::dorn {

RemoveLabelDialog::RemoveLabelDialog(const FileDialogContext& context, QWidget* parent)
    : FileOperationDialog(context, tr("Remove a label from a file"), parent),
      labels_(new QComboBox(this)) {
  for (const LabelDetails& label : context.labels) labels_->addItem(Qs(label.label));
  labels_->setObjectName(QStringLiteral("labels"));
  Body()->addWidget(new QLabel(tr("Remove the label:"), this));
  Body()->addWidget(labels_);
  AddArchiveField(tr("from the archive file:"));
  AddButtons();
}

std::string RemoveLabelDialog::Command() {
  return UnlabelCommand(labels_->currentText().toStdString());
}

void RemoveLabelDialog::accept() {
  if (labels_->currentIndex() < 0) {
    ShowFailure(FrontText(msg::kLabelChoiceRequired));
    return;
  }
  const std::string label = labels_->currentText().toStdString();
  if (RunCommand(Operation::kUnlabel, Command())) {
    ShowStatus(FrontText(msg::kRemovedLabel, label, LogfilePath()));
    QDialog::accept();
    return;
  }
  ShowFailure(FrontText(msg::kRemoveLabelFailed, label, LogfilePath()));
  reject();
}

}  // namespace tarn::dorn
