#include "tests/support/rcs_workbench.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarn::testing {

namespace {

namespace fs = std::filesystem;

constexpr const char* kInstalledPrograms = "/usr/bin";

}  // namespace

RcsWorkbench::RcsWorkbench() {
  work_ = root_.File("work");
  fs::create_directories(work_ + "/RCS");
  fs::create_directories(work_ + "/TARN");
  fs::create_directories(root_.File("temp"));
  setup_.workingDirectory = work_;
  setup_.environment = {
      {"TARNUSER", "imp"},
      {"TARNTEMP", root_.File("temp") + "/"},
      {"TARNJOURNALPATH", root_.path().string() + "/"},
      {"TARNRETRY", "2"},
      {"TZ", "UTC"},
      {"HOME", root_.path().string()},
  };
}

bool RcsWorkbench::Installed(const std::string& program) {
  return fs::exists(std::string(kInstalledPrograms) + "/" + program);
}

ProgramResult RcsWorkbench::Tarn(const std::vector<std::string>& arguments) const {
  return RunBuiltProgram("tarn", arguments, setup_);
}

ProgramResult RcsWorkbench::RunUnchecked(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const std::string& directory) const {
  ProgramSetup setup = setup_;
  setup.programDirectory = kInstalledPrograms;
  if (!directory.empty()) setup.workingDirectory = directory;
  return RunBuiltProgram(program, arguments, setup);
}

ProgramResult RcsWorkbench::Run(const std::string& program,
                                const std::vector<std::string>& arguments,
                                const std::string& directory) const {
  ProgramResult result = RunUnchecked(program, arguments, directory);
  EXPECT_EQ(result.status, 0) << program << ": " << result.err;
  return result;
}

void RcsWorkbench::Write(const std::string& name, const std::string& text) const {
  const std::string path = Path(name);
  if (fs::exists(path)) fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  WriteText(path, text);
}

std::string RcsWorkbench::Read(const std::string& name) const { return ReadText(Path(name)); }

void RcsWorkbench::CheckIn(const std::string& name, const std::string& text,
                           const std::string& author, const std::string& date,
                           const std::string& log, const std::string& from,
                           const std::string& to) const {
  const bool exists = fs::exists(Path("RCS/" + name + ",v"));
  if (exists && !from.empty()) {
    Run("co", {"-q", "-f", "-l", "-r" + from, name});
  } else if (exists) {
    Run("rcs", {"-q", "-l", name});
  }
  Write(name, text);
  std::vector<std::string> arguments = {"-q", "-f", "-m" + log, "-w" + author, "-d" + date};
  if (!exists) arguments.push_back("-t-" + name);
  if (!to.empty()) arguments.push_back("-r" + to);
  arguments.push_back(name);
  Run("ci", arguments);
}

}  // namespace tarn::testing
