#include "scratch_project.h"

#include <QDir>

#include "frontend/command_strings.h"
#include "frontend/project_files_view.h"
#include "frontend_test_support.h"
#include "objects/log_file.h"

namespace tarn::dorn::testing {
namespace {

// The shared scratch settings, with bob on the access list too and the
// temporary files in root/tmp.
tEnvVar Settings(const QString& root) {
  tEnvVar settings = ScratchSettings(root);
  settings.TempFilePrefix((root + QStringLiteral("/tmp/")).toUtf8().constData());
  settings.AccessList("ann,bob");
  return settings;
}

}  // namespace

ScratchProject::ScratchProject(const QString& projectDirectory)
    : project_(scratch_.filePath(projectDirectory)) {
  if (!scratch_.isValid()) return;
  const QString root = QDir(scratch_.path()).canonicalPath();
  project_ = root + QStringLiteral("/") + projectDirectory;
  valid_ = QDir().mkpath(project_) && QDir().mkpath(root + QStringLiteral("/tarn")) &&
           QDir().mkpath(root + QStringLiteral("/tmp"));
  workspace_ =
      std::make_unique<Workspace>(Settings(root), (root + QStringLiteral("/config")).toStdString());
  window_ = std::make_unique<MainWindow>(*workspace_, nullptr);
  window_->Reload(project_);
}

ScratchProject::~ScratchProject() {
  window_.reset();
  workspace_.reset();
}

QString ScratchProject::Path(const QString& name) const {
  return project_ + QStringLiteral("/") + name;
}

QString ScratchProject::ScratchPath(const QString& name) const {
  return QDir(scratch_.path()).canonicalPath() + QStringLiteral("/") + name;
}

bool ScratchProject::Add(const std::string& name, const QByteArray& text,
                         std::uint16_t attributes) {
  if (!WriteFile(Path(QString::fromStdString(name)), text)) return false;
  AddChoices choices;
  choices.workfile = workspace_->WorkfileFullName(name);
  choices.description = "first";
  choices.attributes = attributes;
  const bool added = workspace_->Run(Operation::kCheckIn, name, AddCommand(choices));
  window_->Reload(project_);
  return added;
}

bool ScratchProject::CheckIn(const std::string& name, const QByteArray& text) {
  GetChoices lock;
  lock.workfile = workspace_->WorkfileFullName(name);
  lock.writable = WritableChoice::kReplace;
  if (!workspace_->Run(Operation::kGet, name, *CheckOutCommand(lock))) return false;
  if (!Write(name, text)) return false;
  CheckInChoices choices;
  choices.workfile = lock.workfile;
  choices.description = "change";
  choices.duplicate = DuplicateChoice::kAlways;
  const bool stored = workspace_->Run(Operation::kCheckIn, name, CheckInCommand(choices));
  window_->Reload(project_);
  return stored;
}

bool ScratchProject::Write(const std::string& name, const QByteArray& text) {
  const QString path = Path(QString::fromStdString(name));
  if (QFile::exists(path)) QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
  return WriteFile(path, text);
}

void ScratchProject::Select(const std::string& name) { window_->FilesView()->SelectName(name); }

std::optional<tLogFileHeaderInfo> ScratchProject::Header(const std::string& name) const {
  tLogFile logfile(workspace_->WorkfileFullName(name).c_str(), &workspace_->Settings());
  if (logfile.Open() != ttTRUE) return std::nullopt;
  const bool read = logfile.ReadHdr() == ttTRUE;
  logfile.Close();
  if (!read) return std::nullopt;
  return *logfile.HeaderInfo();
}

QStringList ScratchProject::TemporaryFiles() const {
  return QDir(ScratchPath(QStringLiteral("tmp"))).entryList(QDir::Files | QDir::Hidden);
}

bool ScratchProject::WriteSystemIni(const QByteArray& text) {
  return WriteFile(QString::fromStdString(workspace_->SystemIniFile()), text);
}

}  // namespace tarn::dorn::testing
