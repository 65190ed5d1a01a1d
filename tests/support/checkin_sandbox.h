// A scratch setting for check-in tests: a workfile directory, a logfile
// directory, a temporary directory and the settings record pointing at them,
// with the engine's commands run in-process under a recording host.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/commands/checkin.h"
#include "engine/support/environment.h"
#include "tests/support/program_runner.h"
#include "tests/support/test_support.h"

namespace tarn::testing {

class CheckInSandbox {
 public:
  CheckInSandbox();

  // Paths in the scratch directories.
  std::string Work(std::string_view name) const { return work_ + "/" + std::string(name); }
  std::string Logs() const { return logs_; }
  std::string Temp() const { return temp_; }
  std::string Root() const { return root_.path().string(); }
  // The logfile of workfile `name`.
  std::string Logfile(std::string_view name) const;

  // Writes workfile `name` with `text` (made writable first).
  void Write(std::string_view name, std::string_view text) const;
  std::string Read(std::string_view name) const { return ReadText(Work(name)); }

  // Runs the check-in of `name` (the workfile in the work directory) with
  // the option words of the catalogue: "tput", `options`, "-workfile"
  // <path>, `name`. Returns the command's status; the parser's -1 included.
  int CheckIn(std::string_view name, const std::vector<std::string>& options = {},
              CheckInOutcome* outcome = nullptr);
  // The same with the name as given and no workfile option (the name is
  // then the workfile, relative to the test's directory).
  int CheckInAsGiven(const std::vector<std::string>& arguments, CheckInOutcome* outcome = nullptr);

  // Fetches `revision` (the default revision when empty) of `name` into a
  // file of its own and returns its text, or nothing when the get failed.
  std::optional<std::string> Fetch(std::string_view name, std::string_view revision = "");

  // How the built programs are run in this sandbox: in the work directory,
  // with the logfile, temporary and journal directories set, user alice on
  // the access list "alice,bob", 3 retries; then `settings` (variable ->
  // value) added or standing over those.
  ProgramSetup ProgramsRunHere(const std::map<std::string, std::string>& settings = {}) const;

  // "-" followed by a catalogue word.
  static std::string Option(int number);

  tarnEnvironVars env;
  RecordingHost host;

 private:
  TempDir root_;
  std::string work_;
  std::string logs_;
  std::string temp_;
  int fetches_ = 0;
};

// The bytes of a file as text.
std::string FileText(const std::string& path);

}  // namespace tarn::testing
