#include "frontend/workspace.h"

#include <QDir>
#include <algorithm>
#include <set>

#include "engine/store/disk_names.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "frontend/front_messages.h"
#include "objects/command_line_identity.h"
#include "objects/log_file.h"
#include "objects/logfile_name.h"
#include "objects/prj_dir.h"
#include "objects/version_desc.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "projects/configuration_directory.h"
#include "projects/ini_file.h"
#include "projects/project.h"
#include "projects/settings_in_force.h"

namespace tarn::dorn {
namespace {

// The step of reading a logfile that failed.
enum class ReadStep { kOpen, kHeader, kRevisions };

// An entry with what the workfile directory tells, before its logfile is
// read.
ProjectFile BareEntry(const std::string& name, const std::string& logfilePath,
                      const std::string& workfile) {
  ProjectFile file;
  file.name = name;
  file.logfilePath = logfilePath;
  const std::optional<std::int64_t> modified = platform::ModificationTime(workfile);
  file.workfileExists = modified.has_value() && platform::FileExists(workfile);
  file.workfileModified = modified.value_or(0);
  return file;
}

// The list's entry from the header information read for it.
ProjectFile EntryFrom(const std::string& name, const std::string& logfilePath,
                      const std::string& workfile, const tLogFileHeaderInfo& header) {
  ProjectFile file = BareEntry(name, logfilePath, workfile);
  file.lockCount = header.LockCount();
  file.modifierList = header.ModifierList();
  file.lastModifierIndex = header.LastModifierIndex();
  file.lastUpdate = header.LastLogfileUpdate();
  file.workfileIn = header.WorkfileName();
  file.lastWorkfileSize = header.LastWorkfileSize();
  return file;
}

// Settings for reading: one try at the logfile's lock file and no wait. A
// reader that finds a writer at work says so and moves on.
tEnvVar ReadingSettings(const tEnvVar& settings) {
  tEnvVar reading(settings);
  reading.LockfileRetryCount(1);
  return reading;
}

// Why a logfile that is there could not be read.
std::string ReadProblem(const tLogfileName& name, ReadStep failed) {
  const std::string path = name.FullPathName();
  if (!platform::IsRegularFile(path)) return FormatMessage(msg::kLogfileNotRegular, path);
  if (failed == ReadStep::kOpen && platform::FileExists(name.LockName())) {
    return FormatMessage(msg::kLogfileBusy, path);
  }
  if (failed == ReadStep::kRevisions) return FormatMessage(msg::kLogfileRevisionsDamaged, path);
  return FormatMessage(msg::kLogfileHeaderDamaged, path);
}

LogfileDetails DetailsFrom(tLogFileHeaderInfo& header, const tRevHdrInfo* revisions, int count) {
  LogfileDetails details;
  details.owner = header.Owner();
  details.newestTrunk =
      std::to_string(header.MajorNumber()) + "." + std::to_string(header.MinorNumber());
  details.lockCount = header.LockCount();
  details.commentPrefix = header.CommentPrefix();
  details.defaultBranch = header.DefaultRevision();
  details.revisionCount = header.RevisionCount();
  details.accessList = header.AccessList();
  details.description = header.ModDesc();
  details.attributes = header.LogFileHdr()._iAttributes;
  for (const tVersionDesc* label = header.FirstVersion(); label != nullptr;
       label = header.NextVersion()) {
    details.labels.push_back({label->RevAndVersion(), label->Version()});
  }
  const std::string modifiers = header.ModifierList();
  details.revisions.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const tRevHdrInfo& info = revisions[i];
    RevisionDetails revision;
    revision.number = info.Revision().RevisionString();
    revision.creator = ListField(modifiers, info.CreatorIndex());
    if (info.IsLocked() == ttTRUE) revision.locker = ListField(modifiers, info.LockerIndex());
    revision.editTime = info.FileEditDate();
    revision.checkinTime = info.FilePutDate();
    revision.compressed = info.IsCompressed() == ttTRUE;
    revision.sizeBefore = info.BeforeCompressionSize();
    revision.sizeAfter = info.AfterCompressionSize();
    revision.description = info.RevDesc();
    details.revisions.push_back(std::move(revision));
  }
  return details;
}

// A project list's "name=location" lines.
std::vector<ProjectEntry> ProjectList(const std::string& iniFile) {
  std::vector<ProjectEntry> projects;
  tIniFile ini(iniFile);
  for (const std::string& entry : ini.GetEntries(MessageText(msg::kIniProjectList.number))) {
    const std::size_t equals = entry.find('=');
    projects.push_back({entry.substr(0, equals), entry.substr(equals + 1)});
  }
  return projects;
}

}  // namespace

std::string ListedWorkfileName(const std::string& scanned) {
  // A logfile of a name without extension ends in ".___", which converts
  // back to the name with a trailing dot. Where trailing dots are part of a
  // file name, that names another file; both spellings share the logfile,
  // so the list shows the one that names the workfile.
  if (scanned.size() > 1 && scanned.back() == '.') {
    const std::string plain = scanned.substr(0, scanned.size() - 1);
    const std::string last = plain.substr(plain.find_last_of('/') + 1);
    if (last.find('.') == std::string::npos && LogfileNameOf(plain) == LogfileNameOf(scanned)) {
      return plain;
    }
  }
  return scanned;
}

Workspace::Workspace(const tEnvVar& settings, std::string configurationDirectory)
    : atStartUp_(settings),
      settings_(settings),
      configurationDirectory_(platform::WithTrailingSeparator(configurationDirectory)) {}

std::string Workspace::SystemIniFile() const {
  return configurationDirectory_ + std::string(kSystemIniFileName);
}

std::string Workspace::UserIniFile() const {
  return configurationDirectory_ + UserIniFileName(settings_.UserName());
}

bool Workspace::Enter(const std::string& directory) {
  if (!QDir::setCurrent(QString::fromStdString(directory))) return false;
  const std::string current = platform::CurrentDirectory();
  directory_ = platform::WithTrailingSeparator(current);
  // The project in force over the settings the program started with, as
  // every command-line program builds them; the workfile directory is the
  // project's effective one (the current directory for the default project).
  const ProjectPlace place{configurationDirectory_, current};
  settings_ = atStartUp_;
  ApplyProjectInForce(settings_, place);
  // As on the command line: with no access list from the environment or the
  // project, a first file is the logged-in user's.
  DefaultAccessListToUser(settings_);
  const tProject project(settings_.UserName(), place);
  projectName_ = project.ProjectName();
  systemProject_ = project.IsSystemProject() == ttTRUE;
  settings_.WorkfilePath(project.effectiveWorkfilePath().c_str());
  return true;
}

std::string Workspace::WorkfilePath() const { return settings_.WorkfilePath(); }

std::string Workspace::WorkfileFullName(const std::string& name) const {
  return WorkfilePath() + name;
}

std::string Workspace::LogfilePath(const std::string& name) const {
  return tLogfileName(WorkfileFullName(name).c_str(), &settings_).FullPathName();
}

std::string Workspace::LogfileDirectory(const std::string& name) const {
  return platform::DirectoryPart(LogfilePath(name));
}

void Workspace::ScanLogfiles(const std::function<void(ProjectFile)>& each) const {
  tEnvVar settings = ReadingSettings(settings_);
  tPrjDir scan(&settings);
  const std::string pattern = WorkfileFullName("*.*");
  std::set<std::string> listed;
  for (std::string found = scan.FindFirstLogfile(pattern.c_str()); !found.empty();
       found = scan.FindNextLogfile()) {
    const std::string name = ListedWorkfileName(platform::FinalComponent(found));
    listed.insert(LogfileNameOf(name));
    ProjectFile file = EntryFrom(name, LogfilePath(name), WorkfileFullName(name), *scan.HeaderInfo());
    CompleteEntry(file);
    each(std::move(file));
  }
  // The scan passes over logfiles it cannot read. Those of a workfile that
  // is there are listed with the reason, so that they are neither lost from
  // sight nor offered for adding; other files of the directory (a journal,
  // a workfile where logfiles lie beside the workfiles) are no logfile of
  // the project.
  for (const std::string& logfile : LogfileNames()) {
    if (listed.count(logfile) > 0) continue;
    const std::string name = ListedWorkfileName(WorkfileNameOf(logfile));
    if (!platform::FileExists(WorkfileFullName(name))) continue;
    if (std::optional<ProjectFile> file = ReadFile(name)) each(std::move(*file));
  }
}

std::vector<std::string> Workspace::LogfileNames() const {
  const std::string directory = LogfileDirectory("x");
  std::vector<std::string> names;
  for (std::string& found : platform::FindFiles(directory.empty() ? "." : directory,
                                                LogfileNameOf("*.*"))) {
    // Lock files begin with '$'.
    if (!found.empty() && found.front() != '$') names.push_back(std::move(found));
  }
  return names;
}

void Workspace::CompleteEntry(ProjectFile& file) const {
  if (file.lockCount <= 0 && !NeedsHeadRevision(file)) return;
  const tEnvVar settings = ReadingSettings(settings_);
  tLogFile logfile(WorkfileFullName(file.name).c_str(), &settings);
  if (logfile.Open() != ttTRUE) return;  // changed meanwhile: the header's word stands
  const bool read = logfile.ReadHdr() == ttTRUE && logfile.CaptureRevisionInfo() == ttTRUE;
  logfile.Close();
  if (!read) return;
  tLogFileHeaderInfo& header = *logfile.HeaderInfo();
  const std::string newest =
      std::to_string(header.MajorNumber()) + "." + std::to_string(header.MinorNumber());
  const tRevHdrInfo* revisions = logfile.RevHeaderInfo();
  for (int i = 0; i < logfile.RevisionInfoCount(); ++i) {
    const tRevHdrInfo& revision = revisions[i];
    if (revision.IsLocked() == ttTRUE) {
      const std::string holder = ListField(file.modifierList, revision.LockerIndex());
      if (std::find(file.lockers.begin(), file.lockers.end(), holder) == file.lockers.end()) {
        file.lockers.push_back(holder);
      }
    }
    if (revision.Revision().RevisionString() == newest) {
      file.headKnown = true;
      file.headEditTime = revision.FileEditDate();
      file.headCheckinTime = revision.FilePutDate();
    }
  }
}

std::vector<std::string> Workspace::Workfiles() const {
  tEnvVar settings(settings_);
  tPrjDir scan(&settings);
  std::vector<std::string> names;
  for (std::string found = scan.FindFirstWorkfile("*"); !found.empty();
       found = scan.FindNextWorkfile()) {
    names.push_back(std::move(found));
  }
  return names;
}

std::optional<ProjectFile> Workspace::ReadFile(const std::string& name) const {
  const tEnvVar settings = ReadingSettings(settings_);
  tLogFile logfile(WorkfileFullName(name).c_str(), &settings);
  const std::string path = logfile.LogfileName()->FullPathName();
  // Gone (or never there): no entry. Anything else standing there is listed
  // with the reason.
  if (!platform::FileExists(path)) return std::nullopt;
  ReadStep failed = ReadStep::kOpen;
  if (logfile.Open() == ttTRUE) {
    failed = ReadStep::kHeader;
    const bool read = logfile.ReadHdr() == ttTRUE;
    logfile.Close();
    if (read) {
      ProjectFile file = EntryFrom(name, path, WorkfileFullName(name), *logfile.HeaderInfo());
      CompleteEntry(file);
      return file;
    }
  }
  ProjectFile file = BareEntry(name, path, WorkfileFullName(name));
  file.problem = ReadProblem(*logfile.LogfileName(), failed);
  file.damaged = file.problem != FormatMessage(msg::kLogfileBusy, path);
  return file;
}

ReadOutcome Workspace::ReadDetails(const std::string& name) const {
  const tEnvVar settings = ReadingSettings(settings_);
  tLogFile logfile(WorkfileFullName(name).c_str(), &settings);
  const std::string path = logfile.LogfileName()->FullPathName();
  if (!platform::FileExists(path)) {
    return ReadOutcome{std::nullopt, FormatMessage(msg::kLogfileGone, path)};
  }
  if (logfile.Open() != ttTRUE) {
    return ReadOutcome{std::nullopt, ReadProblem(*logfile.LogfileName(), ReadStep::kOpen)};
  }
  const bool header = logfile.ReadHdr() == ttTRUE;
  const bool revisions = header && logfile.CaptureRevisionInfo() == ttTRUE;
  logfile.Close();
  if (!revisions) {
    return ReadOutcome{std::nullopt, ReadProblem(*logfile.LogfileName(),
                                                 header ? ReadStep::kRevisions : ReadStep::kHeader)};
  }
  return ReadOutcome{
      DetailsFrom(*logfile.HeaderInfo(), logfile.RevHeaderInfo(), logfile.RevisionInfoCount()), ""};
}

std::optional<std::vector<std::string>> Workspace::ReadLabelNames(const std::string& name) const {
  const tEnvVar settings = ReadingSettings(settings_);
  tLogFile logfile(WorkfileFullName(name).c_str(), &settings);
  if (logfile.Open() != ttTRUE) return std::nullopt;
  const bool read = logfile.ReadHdr() == ttTRUE;
  logfile.Close();
  if (!read) return std::nullopt;
  std::vector<std::string> names;
  tLogFileHeaderInfo& header = *logfile.HeaderInfo();
  for (const tVersionDesc* label = header.FirstVersion(); label != nullptr;
       label = header.NextVersion()) {
    names.emplace_back(label->Version());
  }
  return names;
}

bool Workspace::Run(Operation operation, const std::string& name, const std::string& command) {
  const std::string file = WorkfileFullName(name);
  tLogFile logfile(file.c_str(), &settings_);
  try {
    switch (operation) {
      case Operation::kGet:
        return logfile.Get(file.c_str(), command.c_str()) == ttTRUE;
      case Operation::kCheckIn:
        return logfile.CheckIn(file.c_str(), command.c_str()) == ttTRUE;
      case Operation::kLock:
        return logfile.Lock(file.c_str(), command.c_str()) == ttTRUE;
      case Operation::kUnlock:
        return logfile.UnLock(file.c_str(), command.c_str()) == ttTRUE;
      case Operation::kLabel:
        return logfile.Label(file.c_str(), command.c_str()) == ttTRUE;
      case Operation::kUnlabel:
        return logfile.UnLabel(file.c_str(), command.c_str()) == ttTRUE;
      case Operation::kModifyHeader:
        return logfile.ModifyHdrInfo(file.c_str(), command.c_str()) == ttTRUE;
    }
  } catch (const tLogFileError&) {
    // The command's parser has reported why it refused the string; the
    // dialog's failure text follows.
  }
  return false;
}

std::vector<ProjectEntry> Workspace::Projects(bool system) const {
  if (!system) return ProjectList(UserIniFile());
  std::vector<ProjectEntry> projects{{MessageText(msg::kIniDefaultProject.number), ""}};
  for (ProjectEntry& entry : ProjectList(SystemIniFile())) projects.push_back(std::move(entry));
  return projects;
}

bool Workspace::DeleteLogfile(const std::string& name) {
  const std::string path = LogfilePath(name);
  platform::SetReadOnly(path, false);
  return platform::DeleteFile(path) || !platform::FileExists(path);
}

}  // namespace tarn::dorn
