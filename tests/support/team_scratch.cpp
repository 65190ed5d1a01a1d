#include "tests/support/team_scratch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "engine/store/disk_names.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"

namespace tarn::testing {

namespace fs = std::filesystem;

namespace {

std::string Word(const MessageId& id) { return MessageText(id.number); }

constexpr fs::perms kProgramPermissions = fs::perms::owner_all | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read |
                                          fs::perms::others_exec;

}  // namespace

void TeamScratch::SetUp() {
  LoadCatalogue();
  fs::permissions(dir_.path(), fs::perms::all);  // reachable by both users
  bin_ = dir_.File("bin");
  fs::create_directory(bin_);
  for (const auto& entry : fs::directory_iterator(BinDir())) {
    const std::string name = entry.path().filename().string();
    const bool wanted = name == "tget" || name == "tput" || name == "tlock" || name == "tunlock" ||
                        name == "tarn" || name == kCatalogueFileName ||
                        entry.path().extension() == ".usa";
    if (!wanted) continue;
    fs::copy_file(entry.path(), bin_ + "/" + name);
    fs::permissions(bin_ + "/" + name, kProgramPermissions);
  }
  logs_ = dir_.File("logs");
  fs::create_directory(logs_);
  ASSERT_EQ(::chown(logs_.c_str(), 0, kTeamGroup), 0);
  ASSERT_EQ(::chmod(logs_.c_str(), 02775), 0);
  for (const unsigned user : {kAnn, kDan}) {
    const std::string work = Work(user);
    fs::create_directory(work);
    ASSERT_EQ(::chown(work.c_str(), user, kTeamGroup), 0);
    ASSERT_EQ(::chmod(work.c_str(), 0755), 0);
  }
}

std::string TeamScratch::Work(unsigned user) const {
  return dir_.File("work" + std::to_string(user));
}

std::string TeamScratch::Logfile(const std::string& name) const {
  return LogfileNameFromWorkfile(name, logs_).value_or("");
}

ProgramSetup TeamScratch::Setup(unsigned user) const {
  ProgramSetup setup;
  setup.programDirectory = bin_;
  setup.workingDirectory = Work(user);
  setup.user = ProgramSetup::User{user, kTeamGroup, {}};
  setup.environment = {
      {Word(msg::kEnvLogfileDirectory), logs_},
      {Word(msg::kEnvUserName), user == kAnn ? "ann" : "dan"},
      {Word(msg::kEnvAccessList), "ann,dan"},
      {Word(msg::kEnvTempDirectory), Work(user) + "/"},
      // A busy logfile fails a command after two tries: a command that
      // waited on another's lock would fail, not pass slowly.
      {Word(msg::kEnvRetryCount), "2"},
  };
  return setup;
}

ProgramResult TeamScratch::Run(unsigned user, const std::string& program,
                               const std::vector<std::string>& arguments) const {
  return RunBuiltProgramWithin(program, arguments, Setup(user), 60'000'000);
}

void TeamScratch::WriteWorkfile(unsigned user, const std::string& name,
                                const std::string& text) const {
  const std::string path = Work(user) + "/" + name;
  fs::remove(path);
  WriteText(path, text);
  ASSERT_EQ(::chown(path.c_str(), user, kTeamGroup), 0);
}

std::vector<std::string> TeamScratch::Entries(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::uint32_t TeamScratch::ModeOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return 0;
  return static_cast<std::uint32_t>(info.st_mode);
}

}  // namespace tarn::testing
