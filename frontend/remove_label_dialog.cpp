#include "frontend/remove_label_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

#include "frontend/command_strings.h"
#include "frontend/front_text.h"

namespace tarn::dorn {

RemoveLabelDialog::RemoveLabelDialog(const FileDialogContext& context, QWidget* parent)
    : FileOperationDialog(context,
                          context.files.empty()
                              ? tr("Remove a label from a file")
                              : FrontText(msg::kMultiRemoveLabelTitle,
                                          static_cast<int>(context.files.size())),
                          parent),
      labels_(new QComboBox(this)) {
  // The labels, none of them chosen: Return alone removes nothing.
  if (IsMultiFile()) {
    QStringList names;
    CollectLabelNames(names);
    labels_->addItems(names);
  } else {
    for (const LabelDetails& label : context.labels) labels_->addItem(Qs(label.label));
  }
  labels_->setCurrentIndex(-1);
  labels_->setObjectName(QStringLiteral("labels"));
  labels_->setMinimumContentsLength(24);
  Body()->addWidget(new QLabel(tr("Remove the label:"), this));
  Body()->addWidget(labels_);
  AddArchiveField(FormText(tr("from the archive file:"), tr("From logfiles in this directory:")));
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
  if (IsMultiFile()) {
    AcceptForEveryFile(label);
    return;
  }
  if (RunCommand(Operation::kUnlabel, Command())) {
    ShowStatus(FrontText(msg::kRemovedLabel, label, LogfilePath()));
    QDialog::accept();
    return;
  }
  ShowFailure(FrontText(msg::kRemoveLabelFailed, label, LogfilePath()));
  reject();
}

void RemoveLabelDialog::AcceptForEveryFile(const std::string& label) {
  const std::string command = Command();
  const MultiFileOutcome outcome = RunOverFiles(
      false,
      [&](const std::string& name) {
        if (!RunOn(name, Operation::kUnlabel, command)) return false;
        ShowStatus(FrontText(msg::kRemovedLabel, label, LogfilePathOf(name)));
        return true;
      },
      [&](const std::string& name) {
        return FrontText(msg::kMultiRemoveLabelFailed, label, LogfilePathOf(name));
      });
  if (outcome.succeeded > 0) {
    ShowStatus(FrontText(msg::kRemovedLabelCount, label, outcome.succeeded));
  }
  CloseAfterRun(outcome);
}

}  // namespace tarn::dorn
