#include "projects/project.h"

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include <optional>
#include <vector>

#include "platform/paths.h"
#include "projects/configuration_directory.h"

namespace tarn {

namespace {

std::string_view ProjectListSection() { return MessageText(msg::kIniProjectList.number); }
std::string_view DefaultProjectName() { return MessageText(msg::kIniDefaultProject.number); }

// `path` made full against `directory` rather than against the process's
// own current directory.
std::string FullPathFrom(std::string_view directory, std::string_view path) {
  if (!path.empty() && path.front() == platform::kPathSeparator) {
    return platform::FullPathName(path);
  }
  return platform::FullPathName(platform::WithTrailingSeparator(directory) + std::string(path));
}

}  // namespace

ProjectPlace ProjectPlace::InForce() {
  return ProjectPlace{ConfigurationDirectory(), platform::CurrentDirectory()};
}

std::string ComparableLocation(std::string_view location) {
  if (location.empty()) return {};
  const std::string full = platform::FullPathName(location);
  if (full.empty()) return {};
  return platform::WithTrailingSeparator(platform::ResolvedDirectory(full).value_or(full));
}

LocationMatch MatchLocation(tIniFile& ini, std::string_view directory) {
  const std::string here = ComparableLocation(directory);
  const std::string workfile_key = MessageText(msg::kIniWorkfileLocation.number);
  LocationMatch best;
  for (const std::string& entry : ini.GetEntries(ProjectListSection())) {
    const std::size_t equals = entry.find('=');
    const std::string name = entry.substr(0, equals);
    // The project's own tree, and the tree its workfiles live in when that
    // is a place of its own: both are the project's.
    std::vector<std::string> locations{entry.substr(equals + 1)};
    if (std::optional<std::string> workfiles = ini.GetValue(name, workfile_key);
        workfiles && platform::IsAbsolutePath(*workfiles)) {
      locations.push_back(std::move(*workfiles));
    }
    for (const std::string& location : locations) {
      // Ends in the separator: /src/app must not match /src/apple/.
      const std::string compared = ComparableLocation(location);
      if (compared.empty() || compared.size() <= best.length) continue;
      if (!here.starts_with(compared)) continue;
      best.projectName = name;
      best.length = compared.size();
      best.appendedPath = here.substr(compared.size());
    }
  }
  return best;
}

tProject::tProject(std::string_view user_name, const ProjectPlace& place)
    : ini_file_name_(UserIniFileName(user_name)) {
  LocateIniFiles(place);
  MatchProject(user_name);
  LoadSettings();
}

tProject::tProject(std::string_view project_name, std::string_view ini_file_name,
                   const ProjectPlace& place)
    : project_name_(project_name), ini_file_name_(ini_file_name) {
  LocateIniFiles(place);
  if (!IsSystemIniFileName(ini_file_name_)) {
    tIniFile system(full_default_ini_file_name_);
    const LocationMatch match = MatchLocation(system, current_directory_);
    if (match.length > 0) system_project_name_ = match.projectName;
  }
  LoadSettings();
}

void tProject::LocateIniFiles(const ProjectPlace& place) {
  config_dir_ = platform::WithTrailingSeparator(place.configurationDirectory);
  full_ini_file_name_ = config_dir_ + ini_file_name_;
  full_default_ini_file_name_ = config_dir_ + std::string(kSystemIniFileName);
  current_directory_ = platform::WithTrailingSeparator(place.currentDirectory);
}

void tProject::MatchProject(std::string_view user_name) {
  LocationMatch user;
  if (!user_name.empty()) {
    tIniFile user_ini(full_ini_file_name_);
    user = MatchLocation(user_ini, current_directory_);
  }
  tIniFile system_ini(full_default_ini_file_name_);
  const LocationMatch system = MatchLocation(system_ini, current_directory_);
  if (user.length > 0 && user.length >= system.length) {
    project_name_ = user.projectName;
    system_project_name_ = system.projectName;
    appended_path_ = user.appendedPath;
    return;
  }
  ini_file_name_ = std::string(kSystemIniFileName);
  full_ini_file_name_ = full_default_ini_file_name_;
  if (system.length > 0) {
    project_name_ = system.projectName;
    appended_path_ = system.appendedPath;
  } else {
    project_name_ = DefaultProjectName();
    appended_path_ = current_directory_;
  }
}

bool tProject::IsDefaultProject() const { return project_name_ == DefaultProjectName(); }

void tProject::LoadSettings() {
  const tProjectSettings built_in;
  tIniFile system_ini(full_default_ini_file_name_);
  const tProjectSettings default_project(DefaultProjectName(), system_ini, built_in,
                                         Origin::kDefaultProject, current_directory_);
  Origin origin = Origin::kSystemProject;
  if (IsDefaultProject()) {
    defaults_ = built_in;
    is_system_project_ = ttTRUE;
    origin = Origin::kDefaultProject;
  } else if (!IsSystemIniFileName(ini_file_name_)) {
    defaults_ = system_project_name_.empty()
                    ? default_project
                    : tProjectSettings(system_project_name_, system_ini, default_project,
                                       Origin::kSystemProject, current_directory_);
    is_system_project_ = ttFALSE;
    origin = Origin::kUserProject;
  } else {
    defaults_ = default_project;
    is_system_project_ = ttTRUE;
  }
  tIniFile own_ini(full_ini_file_name_);
  settings_ = tProjectSettings(project_name_, own_ini, defaults_, origin, current_directory_);
  loaded_ = settings_;
  ComputeEffectiveWorkfilePath();
}

void tProject::ComputeEffectiveWorkfilePath() {
  // Exactly "./" stands for the project's location.
  const std::string& workfile_location = settings_.WorkfileLocation();
  std::string path = workfile_location == "./" ? settings_.ProjectLocation() : workfile_location;
  path += appended_path_;
  effective_workfile_path_ =
      platform::WithTrailingSeparator(FullPathFrom(current_directory_, path));
}

IniWrite tProject::write() {
  tIniFile ini(full_ini_file_name_);
  IniWrite result = IniWrite::kWritten;
  auto apply = [&result](IniWrite step) {
    if (result == IniWrite::kWritten) result = step;
  };
  const std::string& name = settings_.ProjectName();
  // A new project (one its INI file does not list yet) gets its line too.
  const bool listed = ini.GetValue(ProjectListSection(), name).has_value();
  if (!IsDefaultProject() && (!listed || name != loaded_.ProjectName() ||
                              settings_.ProjectLocation() != loaded_.ProjectLocation())) {
    apply(ini.SetValue(ProjectListSection(), name, settings_.ProjectLocation()));
  }
  for (const SettingInfo& info : AllSettings()) {
    const std::string key = MessageText(info.key.number);
    const std::string& value = settings_.Text(info.setting);
    if (value == defaults_.Text(info.setting)) {
      // Removing a key that is not there would still rewrite the file (and
      // leave an empty section behind): an unchanged project writes nothing.
      if (ini.GetValue(name, key)) apply(ini.SetValue(name, key, ""));
    } else if (value != loaded_.Text(info.setting) || name != loaded_.ProjectName()) {
      const std::string text = settings_.IniText(info.setting);
      apply(text.empty() ? ini.SetEmptyValue(name, key) : ini.SetValue(name, key, text));
    }
    if (result != IniWrite::kWritten) return result;
  }
  loaded_ = settings_;
  return result;
}

}  // namespace tarn
