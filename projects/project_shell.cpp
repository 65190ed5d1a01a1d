#include "projects/project_shell.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "objects/command_program.h"
#include "objects/env_var.h"
#include "platform/console.h"
#include "platform/environment_variables.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "projects/configuration_directory.h"
#include "projects/ini_reports.h"
#include "projects/reserved_names.h"
#include "projects/settings_in_force.h"
#include "projects/users.h"

namespace tarn {

namespace {

// Installs a host for the time of one subcommand.
class ScopedHost {
 public:
  explicit ScopedHost(Host& host) : previous_(SetHost(&host)) {}
  ~ScopedHost() { SetHost(previous_); }
  ScopedHost(const ScopedHost&) = delete;
  ScopedHost& operator=(const ScopedHost&) = delete;

 private:
  Host* previous_;
};

std::string_view ProjectListSection() { return MessageText(msg::kIniProjectList.number); }
std::string_view DefaultProjectName() { return MessageText(msg::kIniDefaultProject.number); }

std::string WithSeparator(std::string_view directory) {
  return platform::WithTrailingSeparator(directory);
}

int ProjectUsage() {
  ReportRaw(kAlert, msg::kProjectUsage);
  return kExitBadCommand;
}

int UserUsage() {
  ReportRaw(kAlert, msg::kUserUsage);
  return kExitBadCommand;
}

// Reports why a change of `path` failed; kExitSucceeded when it did not.
int Outcome(IniWrite result, const std::string& path, std::string_view name) {
  tIniFile ini(path);
  return ReportIniWrite(result, ini, name) ? kExitSucceeded : kExitFailed;
}

// The INI file a project kind names (without directory), or nothing after
// reporting why there is none.
struct Kind {
  std::string iniFileName;
  bool system = true;
};

std::optional<Kind> KindNamed(std::string_view word, std::string_view user) {
  if (EqualsWord(word, msg::kWordSystem.number)) return Kind{std::string(kSystemIniFileName), true};
  if (!EqualsWord(word, msg::kWordUser.number)) return std::nullopt;
  if (user == MessageText(msg::kWordNone.number)) {
    Report(kAlert, msg::kUserProjectNeedsUser,
           std::string_view(MessageText(msg::kEnvUserName.number)));
    return std::nullopt;
  }
  return Kind{UserIniFileName(user), false};
}

// Refuses a project name that is one of the INI files' own sections; true
// when it was refused.
bool RefusedAsReserved(std::string_view name) {
  if (!IsReservedProjectName(name)) return false;
  Report(kAlert, msg::kReservedProjectName, name, ReservedProjectNames());
  return true;
}

bool IsUsableProjectName(std::string_view name) {
  return tIniFile::IsUsableName(name) && name.find(']') == std::string_view::npos;
}

class ProjectShell {
 public:
  ProjectShell(const ProjectPlace& place, std::string user)
      : place_{WithSeparator(place.configurationDirectory), place.currentDirectory},
        user_(std::move(user)) {}

  const std::string& User() const { return user_; }

  int Show();
  int List(std::span<const std::string> arguments);
  int Create(const Kind& kind, std::string_view name, std::string_view location);
  int Set(const Kind& kind, std::string_view name, std::string_view key,
          std::optional<std::string_view> value);
  int Delete(const Kind& kind, std::string_view name);

 private:
  std::string PathOf(const Kind& kind) const {
    return place_.configurationDirectory + kind.iniFileName;
  }
  bool IsDefined(const Kind& kind, std::string_view name) const;
  bool MakeDirectory() const;

  ProjectPlace place_;
  std::string user_;
};

bool ProjectShell::IsDefined(const Kind& kind, std::string_view name) const {
  if (kind.system && name == DefaultProjectName()) return true;
  tIniFile ini(PathOf(kind));
  return ini.GetValue(ProjectListSection(), name).has_value();
}

bool ProjectShell::MakeDirectory() const {
  if (MakeConfigurationDirectory(place_.configurationDirectory)) return true;
  Report(kAlert, msg::kConfigDirectoryNotMade, place_.configurationDirectory);
  return false;
}

void ReportIfMissing(const std::string& location) {
  if (!location.empty() && !platform::DirectoryExists(location)) {
    Report(kStatus, msg::kShowLocationMissing, location);
  }
}

std::string_view OriginWord(Origin origin) {
  switch (origin) {
    case Origin::kBuiltIn:
      return MessageText(msg::kWordBuiltIn.number);
    case Origin::kDefaultProject:
      return MessageText(msg::kWordDefaultProject.number);
    case Origin::kSystemProject:
      return MessageText(msg::kWordSystemProject.number);
    case Origin::kUserProject:
      return MessageText(msg::kWordUserProject.number);
    case Origin::kEnvironment:
      return MessageText(msg::kWordEnvironment.number);
  }
  return {};
}

// The locations are the project's own; every other setting has a variable
// of the same name that the programs read.
bool ReadFromEnvironment(Setting setting) {
  return setting != Setting::kWorkfileLocation && setting != Setting::kShadowLocation;
}

int ProjectShell::Show() {
  const tProject project(user_, place_);
  const Origin kind = project.IsDefaultProject()            ? Origin::kDefaultProject
                      : project.IsSystemProject() == ttTRUE ? Origin::kSystemProject
                                                            : Origin::kUserProject;
  const tProjectSettings& settings = project.projectSettings();
  Report(kStatus, msg::kShowProjectInForce, project.ProjectName(), OriginWord(kind));
  if (!project.IsDefaultProject()) {
    Report(kStatus, msg::kShowProjectLocation, settings.ProjectLocation());
    ReportIfMissing(settings.ProjectLocation());
  }
  if (kind == Origin::kUserProject && !project.SystemProjectName().empty()) {
    Report(kStatus, msg::kShowStandingOver, project.SystemProjectName());
  }
  Report(kStatus, msg::kShowWorkfileDirectory, project.effectiveWorkfilePath());
  Report(kStatus, msg::kShowConfigDirectory, place_.configurationDirectory);
  ReportRaw(kStatus, msg::kShowSettingsHeading);
  for (const SettingInfo& info : AllSettings()) {
    const std::string_view key = MessageText(info.key.number);
    std::string value = settings.IniText(info.setting);
    Origin origin = settings.OriginOf(info.setting);
    bool set_empty = false;
    if (ReadFromEnvironment(info.setting)) {
      if (std::optional<std::string> set = platform::GetEnvironmentVariable(key)) {
        // Set to "" counts as not set, as everywhere.
        set_empty = set->empty();
        if (!set_empty) {
          value = *set;
          origin = Origin::kEnvironment;
        }
      }
    }
    Report(kStatus, msg::kShowSetting, key, value, OriginWord(origin));
    if (set_empty) Report(kStatus, msg::kShowEmptyVariable, key);
    if (info.setting == Setting::kWorkfileLocation && origin != Origin::kBuiltIn) {
      ReportIfMissing(project.effectiveWorkfilePath());
    }
  }
  return kExitSucceeded;
}

int ProjectShell::List(std::span<const std::string> arguments) {
  if (arguments.size() > 1) return ProjectUsage();
  const std::optional<Kind> kind =
      KindNamed(arguments.empty() ? MessageText(msg::kWordSystem.number) : arguments[0], user_);
  if (!kind)
    return arguments.empty() || !EqualsWord(arguments[0], msg::kWordUser.number) ? ProjectUsage()
                                                                                 : kExitFailed;
  if (kind->system) Report(kStatus, msg::kListProject, DefaultProjectName(), std::string_view());
  tIniFile ini(PathOf(*kind));
  for (const std::string& entry : ini.GetEntries(ProjectListSection())) {
    const std::size_t equals = entry.find('=');
    Report(kStatus, msg::kListProject, std::string_view(entry).substr(0, equals),
           std::string_view(entry).substr(equals + 1));
  }
  return kExitSucceeded;
}

int ProjectShell::Create(const Kind& kind, std::string_view name, std::string_view location) {
  if (RefusedAsReserved(name)) return kExitBadCommand;
  if (!IsUsableProjectName(name)) {
    Report(kAlert, msg::kIniBadName, name);
    return kExitBadCommand;
  }
  const std::string path = PathOf(kind);
  if (IsDefined(kind, name)) {
    Report(kAlert, msg::kProjectExists, name, path);
    return kExitFailed;
  }
  std::string full =
      location.empty() || location.front() != platform::kPathSeparator
          ? platform::FullPathName(WithSeparator(place_.currentDirectory) + std::string(location))
          : platform::FullPathName(location);
  full = WithSeparator(full);
  if (!MakeDirectory()) return kExitFailed;
  tIniFile ini(path);
  if (const IniWrite locked = ini.TakeLock(); locked != IniWrite::kWritten) {
    return Outcome(locked, path, name);
  }
  // Looked at again under the lock: someone may have made it meanwhile.
  if (ini.GetValue(ProjectListSection(), name)) {
    Report(kAlert, msg::kProjectExists, name, path);
    return kExitFailed;
  }
  const int status = Outcome(ini.SetValue(ProjectListSection(), name, full), path, name);
  if (status == kExitSucceeded) Report(kStatus, msg::kProjectCreated, name, path);
  return status;
}

std::optional<std::string> ParsedValue(const SettingInfo& info, std::string_view value) {
  const std::string_view key = MessageText(info.key.number);
  if (info.kind == SettingKind::kFlag) {
    if (const std::optional<bool> on = ParseFlag(value)) return *on ? "1" : "0";
    Report(kAlert, msg::kBadFlagValue, key, std::string_view(MessageText(msg::kWordYes.number)),
           std::string_view(MessageText(msg::kWordNo.number)));
    return std::nullopt;
  }
  if (info.kind == SettingKind::kNumber) {
    int number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
        number < -32768 || number > 32767) {
      Report(kAlert, msg::kBadRetryCount, value);
      return std::nullopt;
    }
  }
  return std::string(value);
}

// `value` nothing: back to what the project inherits.
int ProjectShell::Set(const Kind& kind, std::string_view name, std::string_view key,
                      std::optional<std::string_view> value) {
  // The default project is set by its own name; no other section's name.
  if (!(kind.system && name == DefaultProjectName()) && RefusedAsReserved(name)) {
    return kExitBadCommand;
  }
  const std::string path = PathOf(kind);
  if (!IsDefined(kind, name)) {
    Report(kAlert, msg::kProjectNotDefined, name, path);
    return kExitFailed;
  }
  const std::optional<Setting> setting = SettingNamed(key);
  if (!setting) {
    Report(kAlert, msg::kUnknownSetting, key);
    return kExitBadCommand;
  }
  const SettingInfo& info = InfoOf(*setting);
  tProject project(name, kind.iniFileName, place_);
  tProjectSettings& settings = project.projectSettings();
  if (value) {
    const std::optional<std::string> parsed = ParsedValue(info, *value);
    if (!parsed) return kExitBadCommand;
    settings.SetText(*setting, *parsed);
  } else {
    settings.SetText(*setting, project.inheritedSettings().Text(*setting));
  }
  if (!MakeDirectory()) return kExitFailed;
  const int status = Outcome(project.write(), path, settings.Text(*setting));
  if (status != kExitSucceeded) return status;
  const std::string_view key_name = MessageText(info.key.number);
  if (settings.Text(*setting) == project.inheritedSettings().Text(*setting)) {
    Report(kStatus, msg::kSettingCleared, key_name, name, settings.IniText(*setting));
  } else {
    Report(kStatus, msg::kSettingChanged, key_name, name, settings.IniText(*setting));
  }
  return status;
}

int ProjectShell::Delete(const Kind& kind, std::string_view name) {
  const std::string path = PathOf(kind);
  if (kind.system && name == DefaultProjectName()) {
    Report(kAlert, msg::kDefaultProjectNotDeleted);
    return kExitFailed;
  }
  if (RefusedAsReserved(name)) return kExitBadCommand;
  tIniFile ini(path);
  if (const IniWrite locked = ini.TakeLock(); locked != IniWrite::kWritten) {
    return Outcome(locked, path, name);
  }
  if (!ini.GetValue(ProjectListSection(), name)) {
    Report(kAlert, msg::kProjectNotDefined, name, path);
    return kExitFailed;
  }
  int status = Outcome(ini.SetValue(ProjectListSection(), name, ""), path, name);
  if (status == kExitSucceeded && ini.HasSection(name)) {
    status = Outcome(ini.RemoveSection(name), path, name);
  }
  if (status == kExitSucceeded) Report(kStatus, msg::kProjectDeleted, name, path);
  return status;
}

int RunProject(std::span<const std::string> arguments, const ProjectPlace& place) {
  const std::optional<std::string> user = CommandLineUser();
  if (!user || !ProjectFilesUsable(place, *user)) return kExitFailed;
  ProjectShell shell(place, *user);
  if (arguments.empty() || (arguments[0] == "show" && arguments.size() == 1)) return shell.Show();
  const std::string& word = arguments[0];
  const std::span<const std::string> rest = arguments.subspan(1);
  if (word == "list") return shell.List(rest);
  const bool known = word == "create" || word == "set" || word == "clear" || word == "delete";
  if (!known) {
    Report(kAlert, msg::kUnknownShellWord, word);
    return ProjectUsage();
  }
  const std::size_t wanted = word == "set" ? 4 : (word == "delete" ? 2 : 3);
  if (rest.size() != wanted) return ProjectUsage();
  const std::optional<Kind> kind = KindNamed(rest[0], shell.User());
  if (!kind) {
    return EqualsWord(rest[0], msg::kWordUser.number) ? kExitFailed : ProjectUsage();
  }
  if (word == "create") return shell.Create(*kind, rest[1], rest[2]);
  if (word == "set") return shell.Set(*kind, rest[1], rest[2], rest[3]);
  if (word == "clear") return shell.Set(*kind, rest[1], rest[2], std::nullopt);
  return shell.Delete(*kind, rest[1]);
}

// A password typed at the console, not echoed on a terminal.
std::string ReadPassword(std::string_view name) {
  Report(kStatus, msg::kPasswordPrompt, name);
  std::string password;
  for (;;) {
    const int c = platform::ReadConsoleCharacter();
    if (c < 0 || c == '\n' || c == '\r') break;
    password += static_cast<char>(c);
  }
  return password;
}

int RemoveUser(const std::string& path, const std::string& name) {
  IniWrite write = IniWrite::kWritten;
  UserChange change = DeleteUser(path, name, &write);
  if (change == UserChange::kPasswordNeeded) {
    change = DeleteUser(path, name, &write, ReadPassword(name));
  }
  switch (change) {
    case UserChange::kDone:
      Report(kStatus, msg::kUserDeleted, name);
      return kExitSucceeded;
    case UserChange::kMissing:
      Report(kAlert, msg::kUserNotDefined, name);
      return kExitFailed;
    case UserChange::kPasswordNeeded:
      Report(kAlert, msg::kPasswordNeeded, name, platform::DirectoryPart(path));
      return kExitFailed;
    default:
      return Outcome(write, path, name);
  }
}

int RunUser(std::span<const std::string> arguments, const ProjectPlace& place) {
  const std::string directory = WithSeparator(place.configurationDirectory);
  const std::string path = directory + std::string(kSystemIniFileName);
  const bool list = arguments.size() == 1 && arguments[0] == "list";
  const bool change =
      arguments.size() == 2 && (arguments[0] == "add" || arguments[0] == "delete");
  if (!list && !change) {
    if (!arguments.empty() && arguments[0] != "add" && arguments[0] != "delete" &&
        arguments[0] != "list") {
      Report(kAlert, msg::kUnknownShellWord, arguments[0]);
    }
    return UserUsage();
  }
  // An empty list or a missing user must mean just that, never a file that
  // could not be read.
  if (!IniFilesUsable({path})) return kExitFailed;
  if (list) {
    const std::vector<std::string> users = ListUsers(path);
    if (users.empty()) Report(kStatus, msg::kNoUsers, path);
    for (const std::string& user : users) Report(kStatus, msg::kListUser, user);
    return kExitSucceeded;
  }
  const std::string& name = arguments[1];
  if (!IsUsableUserName(name)) {
    Report(kAlert, msg::kBadUserName, name);
    return kExitBadCommand;
  }
  if (arguments[0] == "delete") return RemoveUser(path, name);
  if (!MakeConfigurationDirectory(directory)) {
    Report(kAlert, msg::kConfigDirectoryNotMade, directory);
    return kExitFailed;
  }
  IniWrite write = IniWrite::kWritten;
  switch (AddUser(path, name, &write)) {
    case UserChange::kDone:
      Report(kStatus, msg::kUserAdded, name);
      return kExitSucceeded;
    case UserChange::kExists:
      Report(kAlert, msg::kUserDefinedAlready, name);
      return kExitFailed;
    default:
      return Outcome(write, path, name);
  }
}

}  // namespace

int RunProjectShell(std::span<const std::string> arguments, Host& host) {
  const ScopedHost scoped(host);
  return RunProjectShell(arguments, host, ProjectPlace::InForce());
}

int RunProjectShell(std::span<const std::string> arguments, Host& host, const ProjectPlace& place) {
  const ScopedHost scoped(host);
  const ScopedProgramLabel label("tarn project");
  return RunProject(arguments, place);
}

int RunUserShell(std::span<const std::string> arguments, Host& host) {
  const ScopedHost scoped(host);
  return RunUserShell(arguments, host, ProjectPlace::InForce());
}

int RunUserShell(std::span<const std::string> arguments, Host& host, const ProjectPlace& place) {
  const ScopedHost scoped(host);
  const ScopedProgramLabel label("tarn user");
  return RunUser(arguments, place);
}

}  // namespace tarn
