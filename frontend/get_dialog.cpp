#include "frontend/get_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "frontend/front_text.h"

namespace tarn::dorn {
namespace {

// The choice lists are sorted, so their entries are found by text.
const char* const kReplace = "Replace any writable files";
const char* const kAsk = "Ask before replacing writable files";
const char* const kKeep = "Don't replace writable files";
const char* const kNow = "Set file timestamp to now";
const char* const kCheckin = "Set file timestamp to revision checkin time";
const char* const kEdit = "Set file timestamp to revision edit time";

QComboBox* SortedChoices(QWidget* parent, QStringList entries, const QString& initial) {
  auto* box = new QComboBox(parent);
  entries.sort();
  box->addItems(entries);
  box->setCurrentText(initial);
  return box;
}

QCheckBox* ThreeState(const QString& text, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setTristate(true);
  box->setCheckState(Qt::PartiallyChecked);
  return box;
}

}  // namespace

TriState TriStateOf(const QCheckBox* box) {
  switch (box->checkState()) {
    case Qt::Checked:
      return TriState::kChecked;
    case Qt::Unchecked:
      return TriState::kClear;
    case Qt::PartiallyChecked:
      break;
  }
  return TriState::kUndetermined;
}

GetDialog::GetDialog(const FileDialogContext& context, QWidget* parent)
    : GetDialog(context, false, parent) {}

namespace {

QString Title(const FileDialogContext& context, bool checkOut) {
  const int count = static_cast<int>(context.files.size());
  if (context.files.empty()) {
    return checkOut ? GetDialog::tr("Check Out a file") : GetDialog::tr("Get a file");
  }
  return checkOut ? FrontText(msg::kMultiCheckOutTitle, count) : FrontText(msg::kMultiGetTitle, count);
}

}  // namespace

GetDialog::GetDialog(const FileDialogContext& context, bool checkOut, QWidget* parent)
    : FileOperationDialog(context, Title(context, checkOut), parent), checkOut_(checkOut) {
  Build(checkOut);
}

void GetDialog::Build(bool checkOut) {
  AddRevisionList(FormText(checkOut ? tr("You've elected to check out revision:")
                                    : tr("You've elected to get revision:"),
                           tr("The default revision:")));
  AddArchiveField(FormText(tr("from the archive file:"), tr("From the logfile directory:")));
  AddWorkfileField(FormText(tr("Into the work file:"), tr("Into the workfile directory:")), true);
  QWidget* area = AddAdvancedArea();
  auto* grid = new QGridLayout(area);
  grid->setContentsMargins(0, 0, 0, 0);
  writable_ = SortedChoices(area, {tr(kReplace), tr(kAsk), tr(kKeep)}, tr(kAsk));
  timestamp_ = SortedChoices(area, {tr(kNow), tr(kCheckin), tr(kEdit)}, tr(kNow));
  expandKeywords_ = ThreeState(tr("Expand Keywords"), area);
  grid->addWidget(writable_, 0, 0, 1, 2);
  grid->addWidget(timestamp_, 1, 0, 1, 2);
  grid->addWidget(expandKeywords_, 2, 0);
  if (!checkOut) {
    newerOnly_ = new QCheckBox(tr("Newer revisions only"), area);
    makeWritable_ = ThreeState(tr("Make output writable"), area);
    grid->addWidget(newerOnly_, 2, 1);
    grid->addWidget(makeWritable_, 3, 0);
  }
  byLabel_ = new QCheckBox(tr("Get by label"), area);
  label_ = new QLineEdit(area);
  label_->setEnabled(false);
  labels_ = new QListWidget(area);
  labels_->setEnabled(false);
  labels_->setMaximumHeight(fontMetrics().height() * 6);
  for (const LabelDetails& label : Context().labels) {
    auto* item = new QListWidgetItem(Qs(label.revisionAndLabel), labels_);
    item->setData(Qt::UserRole, Qs(label.label));
  }
  // The multi-file form learns the labels only when asked for them.
  byLabel_->setEnabled(IsMultiFile() || !Context().labels.empty());
  grid->addWidget(byLabel_, 4, 0);
  grid->addWidget(label_, 4, 1);
  grid->addWidget(new QLabel(tr("Labels:"), area), 5, 0, 1, 2);
  grid->addWidget(labels_, 6, 0, 1, 2);
  connect(byLabel_, &QCheckBox::toggled, this, &GetDialog::OnByLabelToggled);
  connect(labels_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item) label_->setText(item->data(Qt::UserRole).toString());
  });
  AddButtons();
}

void GetDialog::OnByLabelToggled(bool on) {
  if (RevisionList() && !IsMultiFile()) RevisionList()->setEnabled(!on);
  labels_->setEnabled(on);
  label_->setEnabled(on);
  if (on && IsMultiFile() && !labelsFilled_) FillLabelsFromEveryLogfile();
}

void GetDialog::FillLabelsFromEveryLogfile() {
  // Once only, also when a logfile stopped the filling: what was found
  // stays, and a label can still be typed.
  labelsFilled_ = true;
  QStringList names;
  CollectLabelNames(names);
  for (const QString& name : names) {
    auto* item = new QListWidgetItem(name, labels_);
    item->setData(Qt::UserRole, name);
  }
}

GetChoices GetDialog::Choices() const {
  GetChoices choices;
  choices.workfile = WorkfileFullName();
  choices.revision = ChosenRevision();
  choices.byLabel = byLabel_->isChecked();
  choices.label = label_->text().toStdString();
  choices.expandKeywords = TriStateOf(expandKeywords_);
  if (newerOnly_) choices.newerOnly = newerOnly_->isChecked();
  if (makeWritable_) choices.makeWritable = TriStateOf(makeWritable_);
  const QString writable = writable_->currentText();
  choices.writable = writable == tr(kReplace) ? WritableChoice::kReplace
                     : writable == tr(kKeep)  ? WritableChoice::kKeep
                                              : WritableChoice::kAsk;
  const QString timestamp = timestamp_->currentText();
  choices.timestamp = timestamp == tr(kCheckin) ? TimestampChoice::kCheckinTime
                      : timestamp == tr(kEdit)  ? TimestampChoice::kEditTime
                                                : TimestampChoice::kNow;
  return choices;
}

std::string GetDialog::Command() {
  const std::optional<std::string> command =
      checkOut_ ? CheckOutCommand(Choices()) : GetCommand(Choices());
  if (!command) {
    ShowFailure(FrontText(msg::kLabelRequired));
    return "";
  }
  return *command;
}

void GetDialog::accept() {
  if (IsMultiFile()) {
    AcceptForEveryFile();
    return;
  }
  const GetChoices choices = Choices();
  const std::string command = Command();
  if (command.empty()) return;  // an empty label: nothing runs
  if (!EnsureWorkfileDirectory(choices.workfile)) {
    reject();
    return;
  }
  const std::string what = choices.byLabel ? FormatMessage(msg::kVersionNamed, choices.label)
                                           : FormatMessage(msg::kRevisionNamed, choices.revision);
  if (RunCommand(Operation::kGet, command)) {
    if (checkOut_) {
      ShowStatus(FrontText(msg::kGotInto, choices.byLabel ? choices.label : choices.revision,
                           choices.workfile));
    } else {
      ShowStatus(FrontText(msg::kGotInto, what, choices.workfile));
    }
    QDialog::accept();
    return;
  }
  if (checkOut_) {
    ShowFailure(FrontText(msg::kCheckOutFailed, choices.workfile, LogfilePath()));
  } else {
    ShowFailure(FrontText(msg::kGetFailed, what, choices.workfile));
  }
  reject();
}

void GetDialog::AcceptForEveryFile() {
  GetChoices choices = Choices();
  if (!(checkOut_ ? CheckOutCommand(choices) : GetCommand(choices))) {
    ShowFailure(FrontText(msg::kLabelRequired));
    return;
  }
  const std::string directory = WorkfileDirectory();
  const MultiFileOutcome outcome = RunOverFiles(
      true,
      [&](const std::string& name) {
        choices.workfile = directory + name;
        const std::string command =
            *(checkOut_ ? CheckOutCommand(choices) : GetCommand(choices));
        // No to the directory question skips the file as failed.
        if (!EnsureWorkfileDirectory(choices.workfile)) return false;
        if (!RunOn(name, Operation::kGet, command)) return false;
        if (checkOut_) {
          ShowStatus(Qs(choices.workfile));
          RefreshEntry(name);
        } else {
          ShowStatus(Qs(command));
        }
        return true;
      },
      [&](const std::string& name) {
        return checkOut_ ? FrontText(msg::kCheckOutFailed, name, LogfilePathOf(name))
                         : FrontText(msg::kMultiGetFailed, name, LogfilePathOf(name));
      });
  CloseAfterRun(outcome);
}

}  // namespace tarn::dorn
