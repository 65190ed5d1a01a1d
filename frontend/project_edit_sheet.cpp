#include "frontend/project_edit_sheet.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cerrno>
#include <cstring>

#include "frontend/front_text.h"
#include "frontend/project_sheet_pages.h"
#include "platform/paths.h"
#include "projects/configuration_directory.h"
#include "projects/ini_reports.h"
#include "projects/reserved_names.h"

namespace tarn::dorn {
namespace {

bool IsSystemKind(ProjectSheetKind kind) {
  return kind == ProjectSheetKind::kNewSystem || kind == ProjectSheetKind::kEditSystem;
}

bool IsNewKind(ProjectSheetKind kind) {
  return kind == ProjectSheetKind::kNewSystem || kind == ProjectSheetKind::kNewUser;
}

std::unique_ptr<tProject> MakeProject(ProjectSheetKind kind, const std::string& projectName,
                                      const std::string& userName, const ProjectPlace& place) {
  const std::string name =
      IsNewKind(kind) ? MessageText(msg::kNewProjectPlaceholder.number) : projectName;
  const std::string ini =
      IsSystemKind(kind) ? std::string(kSystemIniFileName) : UserIniFileName(userName);
  return std::make_unique<tProject>(name, ini, place);
}

}  // namespace

QString ProjectSheetTitle(ProjectSheetKind kind) {
  switch (kind) {
    case ProjectSheetKind::kNewSystem:
      return CatalogueText(msg::kNewSystemProjectTitle);
    case ProjectSheetKind::kNewUser:
      return CatalogueText(msg::kNewUserProjectTitle);
    case ProjectSheetKind::kEditSystem:
      return CatalogueText(msg::kEditSystemProjectTitle);
    case ProjectSheetKind::kEditUser:
      break;
  }
  return CatalogueText(msg::kEditUserProjectTitle);
}

QString ProjectWriteFailure(IniWrite result, const std::string& project, const std::string& path) {
  switch (result) {
    case IniWrite::kWritten:
      break;
    case IniWrite::kLockBusy:
      return FrontText(msg::kProjectIniBusy, project, path);
    case IniWrite::kWriteFailed:
      return FrontText(msg::kProjectIniNotWritten, project, path,
                       std::string_view(std::strerror(errno)));
    case IniWrite::kBadText:
      return FrontText(msg::kProjectIniBadText, project);
    default: {
      tIniFile ini(path);
      return QString::fromStdString(IniWriteText(result, ini, project));
    }
  }
  return QString();
}

CTProjectEditSheet::CTProjectEditSheet(ProjectSheetKind kind, const std::string& projectName,
                                       const std::string& userName, const ProjectPlace& place,
                                       QWidget* parent)
    : QDialog(parent),
      isNew_(IsNewKind(kind)),
      project_(MakeProject(kind, projectName, userName, place)),
      pages_(new QTabWidget(this)),
      info_(new CTDefineProjectPage(this)),
      settings_(new CTEnvPropertyPage(this)),
      attributes_(new CTProjectAttributesPage(this)) {
  setWindowTitle(ProjectSheetTitle(kind));
  pages_->addTab(info_, tr("Info"));
  pages_->addTab(settings_, tr("Settings"));
  pages_->addTab(attributes_, tr("Attributes"));
  for (CTPropertyPage* page : std::initializer_list<CTPropertyPage*>{info_, settings_, attributes_}) {
    page->Load(*project_);
  }
  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CTProjectEditSheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
          &CTProjectEditSheet::Apply);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addWidget(buttons);
}

CTProjectEditSheet::~CTProjectEditSheet() = default;

bool CTProjectEditSheet::Apply() {
  // Nothing is stored while a page holds a value that cannot be: that page
  // shows, with the reason, and everything typed stays.
  for (CTPropertyPage* page : std::initializer_list<CTPropertyPage*>{info_, settings_, attributes_}) {
    if (const QString problem = page->Problem(); !problem.isEmpty()) {
      pages_->setCurrentWidget(page);
      ShowFailure(problem);
      return false;
    }
  }
  for (const CTPropertyPage* page :
       std::initializer_list<const CTPropertyPage*>{info_, settings_, attributes_}) {
    page->Apply(*project_);
  }
  const std::string& name = project_->projectSettings().ProjectName();
  const std::string& path = project_->FullIniFileName();
  // A project named after one of the INI files' own sections would write
  // into that section; only the default project keeps its own name.
  const bool keepsDefault = project_->IsDefaultProject() && name == project_->ProjectName();
  if (IsReservedProjectName(name) && !keepsDefault) {
    ShowFailure(FrontText(msg::kReservedProjectName, name, ReservedProjectNames()));
    return false;
  }
  // A new project must not take over one the INI file lists already: its
  // line and section would be merged into the other project's.
  if (isNew_) {
    tIniFile ini(path);
    if (ini.GetValue(MessageText(msg::kIniProjectList.number), name)) {
      ShowFailure(FrontText(msg::kProjectNameTaken, name, path));
      return false;
    }
  }
  MakeConfigurationDirectory(platform::DirectoryPart(path));
  const QString failure = ProjectWriteFailure(project_->write(), name, path);
  if (!failure.isEmpty()) {
    ShowFailure(failure);
    return false;
  }
  isNew_ = false;
  return true;
}

void CTProjectEditSheet::accept() {
  if (Apply()) QDialog::accept();
}

void CTProjectEditSheet::ShowFailure(const QString& text) {
  QMessageBox::warning(this, QApplication::applicationName(), text);
}

}  // namespace tarn::dorn
