// tProject: the project in force for a directory, with its settings.
//
// A system project is listed in the system INI file (dorn.ini), a user
// project in the user's own INI file (<user>.ini); both live in the
// configuration directory. The project in force for a directory is the one
// whose location is its longest prefix, a user project winning a tie and
// standing over the system project it lies in; where none matches, the
// default project (named by a catalogue text, its section in dorn.ini). A
// project inherits every value its own section does not hold: user project
// -> system project -> default project -> built-in defaults.
//
// A tProject holds no file open: build one for each use and discard it.
#pragma once

#include <string>
#include <string_view>

#include "objects/tt_bool.h"
#include "projects/ini_file.h"
#include "projects/project_settings.h"

namespace tarn {

// Where a project is looked for: the configuration directory and the
// directory whose project is wanted, both full paths.
struct ProjectPlace {
  std::string configurationDirectory;
  std::string currentDirectory;

  // The configuration directory lookup and the process's current directory.
  static ProjectPlace InForce();
};

class tProject {
 public:
  // The project in force for user `user_name` in the place's current
  // directory.
  explicit tProject(std::string_view user_name,
                    const ProjectPlace& place = ProjectPlace::InForce());
  // The project `project_name` of the INI file `ini_file_name` (dorn.ini or
  // a user's INI file, without directory); a user project finds the system
  // project it stands in from the place's current directory.
  tProject(std::string_view project_name, std::string_view ini_file_name,
           const ProjectPlace& place = ProjectPlace::InForce());

  tProjectSettings& projectSettings() { return settings_; }
  const tProjectSettings& projectSettings() const { return settings_; }
  // What the project inherits (for showing, and for clearing a value).
  const tProjectSettings& inheritedSettings() const { return defaults_; }

  // The full workfile directory for the current directory, ending in the
  // separator.
  const std::string& effectiveWorkfilePath() const { return effective_workfile_path_; }
  // ttTRUE for a system project and for the default project.
  ttBool IsSystemProject() const { return is_system_project_; }
  bool IsDefaultProject() const;

  const std::string& ProjectName() const { return project_name_; }
  const std::string& SystemProjectName() const { return system_project_name_; }
  const std::string& AppendedPath() const { return appended_path_; }
  const std::string& FullIniFileName() const { return full_ini_file_name_; }
  const std::string& FullDefaultIniFileName() const { return full_default_ini_file_name_; }

  // Stores what the user changed: the project's list line when its name or
  // location changed; each value equal to the inherited one is removed from
  // the project's section (so the project follows its parent again), each
  // other value written when it differs from what was loaded. Nothing is
  // written when nothing changed.
  IniWrite write();

 private:
  void LocateIniFiles(const ProjectPlace& place);
  void MatchProject(std::string_view user_name);
  void LoadSettings();
  void ComputeEffectiveWorkfilePath();

  ttBool is_system_project_ = ttTRUE;
  std::string system_project_name_;
  std::string appended_path_;
  std::string effective_workfile_path_;
  std::string project_name_;
  std::string ini_file_name_;
  std::string full_ini_file_name_;
  std::string config_dir_;
  std::string full_default_ini_file_name_;
  std::string current_directory_;  // with its separator
  tProjectSettings settings_;
  tProjectSettings defaults_;
  tProjectSettings loaded_;
};

// A project list's entry matching `directory` (with its separator): the
// entry whose location (or absolute workfile location) is the longest prefix
// of it, the earlier on a tie. Locations compare as directories with their
// links resolved where they exist, and as normalised full paths where they
// do not (the current directory comes from the system with links resolved).
struct LocationMatch {
  std::string projectName;
  std::size_t length = 0;    // 0: none matched
  std::string appendedPath;  // the directory below the matching location
};
LocationMatch MatchLocation(tIniFile& ini, std::string_view directory);

// `location` as locations are compared: full, normalised, links resolved
// where it exists, ending in the separator; empty for an empty location.
std::string ComparableLocation(std::string_view location);

}  // namespace tarn
