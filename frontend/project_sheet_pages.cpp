#include "frontend/project_sheet_pages.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>

#include "frontend/front_text.h"

namespace tarn::dorn {
namespace {

// The attribute check boxes, in the order the dialogs show them.
struct AttributeBox {
  Setting setting;
  const char* title;
};
constexpr std::array<AttributeBox, 8> kAttributeBoxes = {{
    {Setting::kCheckLock, "Check Locks"},
    {Setting::kDeleteWork, "Delete Workfile"},
    {Setting::kExpandKeywords, "Expand Keywords"},
    {Setting::kProtectLogFile, "Protect Logfile"},
    {Setting::kBinaryFile, "Binary File"},
    {Setting::kProtectWorkfile, "Protect Workfile"},
    {Setting::kJournalFile, "Journal Changes"},
    {Setting::kCompression, "Compress Logfile"},
}};

// The directory settings that stand for the current directory when left
// empty.
constexpr const char* kCurrentDirectory = "./";

std::string FieldText(const QLineEdit* field) { return field->text().toStdString(); }

void SetPath(tProjectSettings& settings, Setting setting, const QLineEdit* field) {
  const std::string text = FieldText(field);
  settings.SetText(setting, text.empty() ? kCurrentDirectory : text);
}

}  // namespace

QLineEdit* CTPropertyPage::AddField(QFormLayout* form, const QString& caption,
                                    const char* objectName) {
  auto* field = new QLineEdit(this);
  field->setObjectName(QString::fromLatin1(objectName));
  field->setMinimumWidth(fontMetrics().averageCharWidth() * 44);
  form->addRow(caption, field);
  return field;
}

QLineEdit* CTPropertyPage::AddDirectoryField(QFormLayout* form, const QString& caption,
                                             const char* objectName) {
  auto* field = new QLineEdit(this);
  field->setObjectName(QString::fromLatin1(objectName));
  field->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setObjectName(QString::fromLatin1(objectName) + QStringLiteral("Browse"));
  browse->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
  connect(browse, &QPushButton::clicked, this, [this, field] {
    const QString chosen =
        QFileDialog::getExistingDirectory(this, tr("Select a directory"), field->text());
    if (!chosen.isEmpty()) field->setText(chosen);
  });
  auto* row = new QHBoxLayout;
  row->addWidget(field);
  row->addWidget(browse);
  form->addRow(caption, row);
  return field;
}

CTDefineProjectPage::CTDefineProjectPage(QWidget* parent) : CTPropertyPage(parent) {
  auto* form = new QFormLayout(this);
  name_ = AddField(form, tr("Project Name:"), "projectName");
  location_ = AddDirectoryField(form, tr("Project Location:"), "projectLocation");
  workfileLocation_ = AddDirectoryField(form, tr("Workfile Location:"), "workfileLocation");
  shadowLocation_ = AddDirectoryField(form, QString(), "shadowLocation");
  accessList_ = AddField(form, tr("Access List:"), "accessList");
  constexpr int kShadowRow = 3;
  form->setRowVisible(kShadowRow, false);
}

void CTDefineProjectPage::Load(const tProject& project) {
  const tProjectSettings& settings = project.projectSettings();
  const QString name = Qs(settings.ProjectName());
  name_->setText(name);
  // Only a new project's name can be typed: the placeholder stands there.
  const bool isNew = name == CatalogueText(msg::kNewProjectPlaceholder);
  name_->setReadOnly(!isNew);
  if (isNew) name_->setFocus();
  location_->setText(Qs(settings.ProjectLocation()));
  loadedLocation_ = location_->text();
  const bool isDefault = project.IsDefaultProject();
  location_->setReadOnly(isDefault);
  location_->setEnabled(!isDefault);
  if (auto* browse = findChild<QPushButton*>(QStringLiteral("projectLocationBrowse"))) {
    browse->setEnabled(!isDefault);
  }
  workfileLocation_->setText(Qs(settings.WorkfileLocation()));
  shadowLocation_->clear();
  accessList_->setText(Qs(settings.AccessList()));
}

QString CTDefineProjectPage::Problem() const {
  const QString location = location_->text().trimmed();
  // A location kept as it was loaded is not checked again (it may lie on a
  // disk not mounted now).
  if (!location_->isEnabled() || location.isEmpty() || location == loadedLocation_ ||
      QDir(location).exists()) {
    return QString();
  }
  return FrontText(msg::kLocationMissing, location.toStdString());
}

void CTDefineProjectPage::Apply(tProject& project) const {
  tProjectSettings& settings = project.projectSettings();
  settings.ProjectName(FieldText(name_));
  settings.ProjectLocation(FieldText(location_));
  settings.WorkfileLocation(FieldText(workfileLocation_));
  settings.SetText(Setting::kShadowLocation, FieldText(shadowLocation_));
  settings.AccessList(FieldText(accessList_));
}

CTEnvPropertyPage::CTEnvPropertyPage(QWidget* parent) : CTPropertyPage(parent) {
  auto* form = new QFormLayout(this);
  commentPrefix_ = AddField(form, tr("Comment Prefix:"), "commentPrefix");
  globalJournalName_ = AddField(form, tr("Global Journal file name:"), "globalJournalName");
  journalName_ = AddField(form, tr("Journal file name:"), "journalName");
  journalPath_ = AddField(form, tr("Journal file path:"), "journalPath");
  logfilePath_ = AddField(form, tr("Logfile path:"), "logfilePath");
  tempfilePath_ = AddField(form, tr("Path to temporary files:"), "tempfilePath");
  retryCount_ = AddField(form, tr("Journal file retry count:"), "retryCount");
  retryCount_->setValidator(new QIntValidator(1, 32767, retryCount_));
}

QLineEdit* CTEnvPropertyPage::Field(Setting setting) const {
  switch (setting) {
    case Setting::kCommentPrefix:
      return commentPrefix_;
    case Setting::kGblJournalName:
      return globalJournalName_;
    case Setting::kJournalName:
      return journalName_;
    case Setting::kJournalPath:
      return journalPath_;
    case Setting::kLogfilePath:
      return logfilePath_;
    case Setting::kTempfilePath:
      return tempfilePath_;
    case Setting::kRetryCount:
      return retryCount_;
    default:
      return nullptr;
  }
}

void CTEnvPropertyPage::Load(const tProject& project) {
  const tProjectSettings& settings = project.projectSettings();
  for (Setting setting : {Setting::kCommentPrefix, Setting::kGblJournalName, Setting::kJournalName,
                          Setting::kJournalPath, Setting::kLogfilePath, Setting::kTempfilePath}) {
    Field(setting)->setText(Qs(settings.Text(setting)));
    // Long values (the comment prefixes) read from their start.
    Field(setting)->setCursorPosition(0);
  }
  inheritedRetryCount_ = project.inheritedSettings().RetryCount();
  retryCount_->setPlaceholderText(QString::number(inheritedRetryCount_));
  const bool inherited = settings.RetryCount() == inheritedRetryCount_;
  retryCount_->setText(inherited ? QString() : QString::number(settings.RetryCount()));
}

QString CTEnvPropertyPage::Problem() const {
  if (retryCount_->text().trimmed().isEmpty()) return QString();
  bool number = false;
  const int count = retryCount_->text().trimmed().toInt(&number);
  return number && count >= 1 ? QString() : CatalogueText(msg::kRetryCountInvalid);
}

void CTEnvPropertyPage::Apply(tProject& project) const {
  tProjectSettings& settings = project.projectSettings();
  settings.SetText(Setting::kCommentPrefix, FieldText(commentPrefix_));
  settings.SetText(Setting::kGblJournalName, FieldText(globalJournalName_));
  // Empty: the inherited count, which the project then no longer stores.
  const QString count = retryCount_->text().trimmed();
  settings.RetryCount(count.isEmpty() ? project.inheritedSettings().RetryCount() : count.toInt());
  settings.SetText(Setting::kJournalName, FieldText(journalName_));
  SetPath(settings, Setting::kJournalPath, journalPath_);
  SetPath(settings, Setting::kLogfilePath, logfilePath_);
  SetPath(settings, Setting::kTempfilePath, tempfilePath_);
}

CTProjectAttributesPage::CTProjectAttributesPage(QWidget* parent) : CTPropertyPage(parent) {
  auto* grid = new QGridLayout(this);
  for (std::size_t i = 0; i < kAttributeBoxes.size(); ++i) {
    boxes_[i] = new QCheckBox(tr(kAttributeBoxes[i].title), this);
    grid->addWidget(boxes_[i], static_cast<int>(i % 4), static_cast<int>(i / 4));
  }
  grid->setRowStretch(4, 1);
}

QCheckBox* CTProjectAttributesPage::Box(Setting setting) const {
  for (std::size_t i = 0; i < kAttributeBoxes.size(); ++i) {
    if (kAttributeBoxes[i].setting == setting) return boxes_[i];
  }
  return nullptr;
}

void CTProjectAttributesPage::Load(const tProject& project) {
  for (std::size_t i = 0; i < kAttributeBoxes.size(); ++i) {
    boxes_[i]->setChecked(project.projectSettings().Flag(kAttributeBoxes[i].setting));
  }
}

void CTProjectAttributesPage::Apply(tProject& project) const {
  for (std::size_t i = 0; i < kAttributeBoxes.size(); ++i) {
    project.projectSettings().SetFlag(kAttributeBoxes[i].setting, boxes_[i]->isChecked());
  }
}

}  // namespace tarn::dorn
