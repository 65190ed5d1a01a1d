// The front end's link to the project in force and its logfiles.
//
// Everything the windows and dialogs learn about logfiles, and every engine
// command they run, goes through the object interface from here: the list
// through the project directory scan (tPrjDir), the tabs through a logfile
// object's header and revision information, the commands through its
// command wrappers. The working settings (tEnvVar) are the ones every
// command receives; entering a directory builds them anew from the settings
// the program started with and the project in force there.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "frontend/logfile_details.h"
#include "frontend/project_file.h"
#include "objects/env_var.h"

namespace tarn::dorn {

// A project as a project list names it.
struct ProjectEntry {
  std::string name;
  std::string location;
};

// What reading a logfile's details gave: the details, or why there are none
// (a text naming the logfile).
struct ReadOutcome {
  std::optional<LogfileDetails> details;
  std::string problem;
};

// The engine commands a dialog can run on one logfile.
enum class Operation { kGet, kCheckIn, kLock, kUnlock, kLabel, kUnlabel, kModifyHeader };

class Workspace {
 public:
  // `settings` are those the program started with (its user among them);
  // `configurationDirectory` holds dorn.ini and the users' INI files.
  Workspace(const tEnvVar& settings, std::string configurationDirectory);

  // Makes `directory` the current directory and takes the project in force
  // there: its settings become the working settings, where no environment
  // variable sets them. False when the directory cannot be entered (nothing
  // changes then).
  bool Enter(const std::string& directory);

  const std::string& ConfigurationDirectory() const { return configurationDirectory_; }
  // dorn.ini (system projects and users) and the user's own INI file.
  std::string SystemIniFile() const;
  std::string UserIniFile() const;

  const std::string& CurrentDirectory() const { return directory_; }
  // Of the project in force.
  const std::string& ProjectName() const { return projectName_; }
  bool IsSystemProject() const { return systemProject_; }
  // The workfile directory, a full path ending in the separator.
  std::string WorkfilePath() const;
  std::string WorkfileFullName(const std::string& name) const;
  // The logfile's full path for a file of the project; its directory.
  std::string LogfilePath(const std::string& name) const;
  std::string LogfileDirectory(const std::string& name) const;
  const tEnvVar& Settings() const { return settings_; }
  tEnvVar& Settings() { return settings_; }

  // Calls `each` for every logfile of the project in directory order; those
  // whose header cannot be read come last, with the reason (see
  // ProjectFile::problem). Reading never waits for a writer.
  void ScanLogfiles(const std::function<void(ProjectFile)>& each) const;
  // The files of the workfile directory (lock and backup files left out).
  std::vector<std::string> Workfiles() const;
  // One entry, re-read; nothing when its logfile is not there, an entry
  // with the reason when it cannot be read.
  std::optional<ProjectFile> ReadFile(const std::string& name) const;
  // Header, labels and revisions, or why they cannot be read.
  ReadOutcome ReadDetails(const std::string& name) const;
  // The names of the logfile's labels in header order; nothing when the
  // logfile cannot be opened or its header read.
  std::optional<std::vector<std::string>> ReadLabelNames(const std::string& name) const;

  // Runs `command` on the logfile of `name` through the logfile object's
  // wrapper. The engine reports through the host in place, also when it
  // refuses the command string; true when the command succeeded.
  bool Run(Operation operation, const std::string& name, const std::string& command);

  // The projects of the system INI file (the default project first) or of
  // the user's INI file.
  std::vector<ProjectEntry> Projects(bool system) const;

  // Deletes a file's logfile (made writable first). False when it remains.
  bool DeleteLogfile(const std::string& name);

 private:
  // The logfile directory's logfile names (lock files left out).
  std::vector<std::string> LogfileNames() const;
  // Reads, where the list needs them, the lock holders and the newest
  // revision's times.
  void CompleteEntry(ProjectFile& file) const;

  tEnvVar atStartUp_;
  tEnvVar settings_;
  std::string configurationDirectory_;
  std::string directory_;
  std::string projectName_;
  bool systemProject_ = true;
};

// The name the list shows for a name the directory scan reports: "readme."
// (from the logfile readme.___) becomes "readme".
std::string ListedWorkfileName(const std::string& scanned);

}  // namespace tarn::dorn
