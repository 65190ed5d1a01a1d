#include "frontend/add_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "frontend/check_in_dialog.h"
#include "frontend/front_text.h"
#include "frontend/module_page.h"

namespace tarn::dorn {

std::uint16_t DefaultAttributes(const tEnvVar& settings) {
  const ttBool flags[] = {settings.IsCheckLock(),       settings.IsDeleteWork(),
                          settings.IsExpandKeywords(),  settings.IsProtectLogFile(),
                          settings.IsProtectWorkfile(), settings.IsBinaryFile(),
                          settings.IsJournalFile(),     settings.IsCompression()};
  std::uint16_t bits = 0;
  for (int bit = 0; bit < 8; ++bit) {
    if (flags[bit] == ttTRUE) bits = static_cast<std::uint16_t>(bits | (1u << bit));
  }
  return bits;
}

AddDialog::AddDialog(const FileDialogContext& context, QWidget* parent)
    : FileOperationDialog(context,
                          context.files.empty()
                              ? tr("Add File to Project")
                              : FrontText(msg::kMultiAddTitle, static_cast<int>(context.files.size())),
                          parent),
      description_(DescriptionEditor(context.remembered ? context.remembered->description : "",
                                     this)),
      defaults_(DefaultAttributes(context.workspace->Settings())) {
  AddWorkfileField(FormText(tr("From the workfile:"), tr("From the workfiles in this directory:")),
                   false);
  AddArchiveField(FormText(tr("Create the archive:"), tr("Create logfiles in this directory:")));
  Body()->addWidget(new QLabel(
      FormText(tr("Enter a description of this module:"), tr("Enter a description for these modules:")),
      this));
  Body()->addWidget(description_);
  QWidget* area = AddAdvancedArea();
  auto* grid = new QGridLayout(area);
  grid->setContentsMargins(0, 0, 0, 0);
  // Shown in the order of the Part's list: check locks, delete workfile,
  // expand keywords, protect logfile, binary file, protect workfile,
  // journal changes, compress logfile.
  const int order[] = {0, 1, 2, 3, 5, 4, 6, 7};
  for (int place = 0; place < 8; ++place) {
    const int bit = order[place];
    auto* box = new QCheckBox(AttributeTitle(bit), area);
    box->setChecked((defaults_ >> bit) & 1);
    attributes_[static_cast<std::size_t>(bit)] = box;
    grid->addWidget(box, place / 2, place % 2);
  }
  AddButtons();
  description_->setFocus();
}

AddChoices AddDialog::Choices() const {
  AddChoices choices;
  choices.workfile = WorkfileFullName();
  choices.description = description_->toPlainText().toStdString();
  choices.defaults = defaults_;
  for (int bit = 0; bit < 8; ++bit) {
    if (attributes_[static_cast<std::size_t>(bit)]->isChecked()) {
      choices.attributes = static_cast<std::uint16_t>(choices.attributes | (1u << bit));
    }
  }
  return choices;
}

std::string AddDialog::Command() { return AddCommand(Choices()); }

void AddDialog::accept() {
  if (Context().remembered) Context().remembered->description = description_->toPlainText();
  if (IsMultiFile()) {
    AcceptForEveryFile();
    return;
  }
  if (RunCommand(Operation::kCheckIn, Command())) {
    QDialog::accept();
    return;
  }
  ShowFailure(FrontText(msg::kCreateLogfileFailed, LogfilePath(), WorkfileFullName()));
  reject();
}

void AddDialog::AcceptForEveryFile() {
  AddChoices choices = Choices();
  const std::string directory = WorkfileDirectory();
  const MultiFileOutcome outcome = RunOverFiles(
      false,
      [&](const std::string& name) {
        choices.workfile = directory + name;
        if (!RunOn(name, Operation::kCheckIn, AddCommand(choices))) return false;
        if (Context().addedToProject) Context().addedToProject(name);
        return true;
      },
      [&](const std::string& name) {
        return FrontText(msg::kMultiCreateLogfileFailed, LogfilePathOf(name), directory + name);
      });
  CloseAfterRun(outcome);
}

}  // namespace tarn::dorn
