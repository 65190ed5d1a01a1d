#include "tests/support/checkin_sandbox.h"

#include <filesystem>

#include "engine/commands/checkin_command_line.h"
#include "engine/commands/get_command.h"
#include "engine/store/disk_names.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"

namespace tarn::testing {

namespace fs = std::filesystem;

CheckInSandbox::CheckInSandbox() {
  LoadCatalogue();
  work_ = (root_.path() / "work").string();
  logs_ = (root_.path() / "logs").string();
  temp_ = (root_.path() / "tmp").string();
  fs::create_directories(work_);
  fs::create_directories(logs_);
  fs::create_directories(temp_);
  env.logfileDirectory = logs_;
  env.tempDirectory = temp_ + "/";
  env.journalPath = root_.path().string() + "/";
  env.journalName = "tarn.jnl";
  env.accessList = "alice,bob,carol,dave";
  env.userName = "alice";
  env.retryCount = 3;
  env.attributes = 0;
}

ProgramSetup CheckInSandbox::ProgramsRunHere(
    const std::map<std::string, std::string>& settings) const {
  ProgramSetup setup;
  setup.workingDirectory = work_;
  setup.environment = {
      {MessageText(msg::kEnvLogfileDirectory.number), logs_},
      {MessageText(msg::kEnvUserName.number), "alice"},
      {MessageText(msg::kEnvAccessList.number), "alice,bob"},
      {MessageText(msg::kEnvTempDirectory.number), temp_ + "/"},
      {MessageText(msg::kEnvJournalPath.number), root_.path().string() + "/"},
      {MessageText(msg::kEnvRetryCount.number), "3"},
  };
  for (const auto& [name, value] : settings) setup.environment[name] = value;
  return setup;
}

std::string CheckInSandbox::Logfile(std::string_view name) const {
  return logs_ + "/" + LogfileNameOf(name);
}

void CheckInSandbox::Write(std::string_view name, std::string_view text) const {
  const std::string path = Work(name);
  std::error_code ignored;
  if (fs::exists(path)) {
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ignored);
  }
  WriteText(path, text);
}

std::string CheckInSandbox::Option(int number) { return std::string("-") + MessageText(number); }

int CheckInSandbox::CheckIn(std::string_view name, const std::vector<std::string>& options,
                            CheckInOutcome* outcome) {
  std::vector<std::string> arguments = options;
  arguments.push_back(Option(msg::kOptionWorkfile.number));
  arguments.push_back(Work(name));
  arguments.emplace_back(name);
  return CheckInAsGiven(arguments, outcome);
}

int CheckInSandbox::CheckInAsGiven(const std::vector<std::string>& arguments,
                                   CheckInOutcome* outcome) {
  std::vector<std::string> line{"tput"};
  line.insert(line.end(), arguments.begin(), arguments.end());
  CheckInRecord record;
  if (ParseCheckInCommandLine(line, record) != 1) return -1;
  tarnEnvironVars copy = env;
  CheckInOutcome ignored;
  return RunCheckIn(record, copy, outcome != nullptr ? *outcome : ignored);
}

std::optional<std::string> CheckInSandbox::Fetch(std::string_view name, std::string_view revision) {
  const std::string out = temp_ + "/fetched-" + std::to_string(++fetches_);
  std::vector<std::string> line{"tget", Option(msg::kOptionQuiet.number),
                                Option(msg::kOptionOutput.number), out};
  if (!revision.empty()) {
    line.push_back(Option(msg::kOptionRevision.number));
    line.emplace_back(revision);
  }
  line.emplace_back(name);
  GetCommandArgs args;
  if (ParseGetCommandLine(line, args) != 1) return std::nullopt;
  tarnEnvironVars copy = env;
  if (RunGetCommand(args, copy) != 1 || !fs::exists(out)) return std::nullopt;
  std::string text = ReadText(out);
  std::error_code ignored;
  fs::permissions(out, fs::perms::owner_write, fs::perm_options::add, ignored);
  fs::remove(out, ignored);
  return text;
}

std::string FileText(const std::string& path) { return ReadText(path); }

}  // namespace tarn::testing
