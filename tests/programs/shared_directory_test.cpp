// Two real users of one team sharing a group-writable (setgid) logfile
// directory with the default settings, protection included: each must be
// able to get, lock, check in and label what the other created. Needs root
// to take on the two user ids; skipped otherwise.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "tests/support/program_runner.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::ProgramSetup;

// Two system accounts that exist on every Debian system, and a scratch
// group of our own that no file of the system has: the test changes nothing
// in /etc.
constexpr unsigned kFirstUser = 65534;  // nobody
constexpr unsigned kSecondUser = 1;     // daemon
constexpr unsigned kTeamGroup = 48'611;

std::string Word(const MessageId& id) { return MessageText(id.number); }
std::string Opt(const MessageId& id) { return "-" + Word(id); }

class SharedDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run commands as two users";
    testing::LoadCatalogue();
    fs::permissions(dir_.path(), fs::perms::all);  // reachable by both users
    // The programs with their catalogue and usage texts, where both users
    // can reach them.
    bin_ = dir_.File("bin");
    fs::create_directory(bin_);
    for (const char* name : {"tget", "tput", "tlock", "tunlock", "tstamp", "tarnMsgF"}) {
      fs::copy_file(testing::BinDir() + "/" + name, bin_ + "/" + name);
      fs::permissions(bin_ + "/" + name, fs::perms::owner_all | fs::perms::group_read |
                                             fs::perms::group_exec | fs::perms::others_read |
                                             fs::perms::others_exec);
    }
    for (const auto& entry : fs::directory_iterator(testing::BinDir())) {
      if (entry.path().extension() == ".usa") {
        fs::copy_file(entry.path(), bin_ + "/" + entry.path().filename().string());
      }
    }
    // The team's logfile directory: the team's group, group-writable, setgid.
    logs_ = dir_.File("logs");
    fs::create_directory(logs_);
    ASSERT_EQ(::chown(logs_.c_str(), 0, kTeamGroup), 0);
    ASSERT_EQ(::chmod(logs_.c_str(), 02775), 0);
    for (const unsigned user : {kFirstUser, kSecondUser}) {
      const std::string work = Work(user);
      fs::create_directory(work);
      ASSERT_EQ(::chown(work.c_str(), user, kTeamGroup), 0);
      ASSERT_EQ(::chmod(work.c_str(), 0755), 0);
    }
  }

  std::string Work(unsigned user) const { return dir_.File("work" + std::to_string(user)); }

  ProgramResult Run(unsigned user, const std::string& program,
                    const std::vector<std::string>& arguments) {
    ProgramSetup setup;
    setup.programDirectory = bin_;
    setup.workingDirectory = Work(user);
    setup.user = ProgramSetup::User{user, kTeamGroup};
    setup.environment = {
        {Word(msg::kEnvLogfileDirectory), logs_},
        {Word(msg::kEnvUserName), user == kFirstUser ? "ann" : "dan"},
        {Word(msg::kEnvAccessList), "ann,dan"},
        {Word(msg::kEnvTempDirectory), Work(user) + "/"},
        {Word(msg::kEnvRetryCount), "2"},
    };
    return testing::RunBuiltProgramWithin(program, arguments, setup, 30'000'000);
  }

  void WriteWorkfile(unsigned user, const std::string& text) {
    const std::string path = Work(user) + "/m.c";
    fs::remove(path);
    testing::WriteText(path, text);
    ASSERT_EQ(::chown(path.c_str(), user, kTeamGroup), 0);
  }

  testing::TempDir dir_;
  std::string bin_;
  std::string logs_;
};

TEST_F(SharedDirectoryTest, EachMemberWorksOnWhatTheOtherCreated) {
  WriteWorkfile(kFirstUser, "one\n");
  ProgramResult got = Run(kFirstUser, "tput", {Opt(msg::kOptionText), "first", "m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  const std::string logfile = logs_ + "/m.d";
  struct stat info {};
  ASSERT_EQ(::stat(logfile.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, kFirstUser);

  // The second member gets, locks, checks in and labels it.
  got = Run(kSecondUser, "tget", {"m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  EXPECT_EQ(testing::ReadText(Work(kSecondUser) + "/m.c"), "one\n");
  got = Run(kSecondUser, "tget", {Opt(msg::kOptionLock), Opt(msg::kWordYes), "m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  WriteWorkfile(kSecondUser, "two\n");
  got = Run(kSecondUser, "tput", {Opt(msg::kOptionText), "second", "m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  got = Run(kSecondUser, "tstamp", {Opt(msg::kOptionLabel), "REL", "m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;

  // And the first member carries on after the second.
  got = Run(kFirstUser, "tlock", {"m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  got = Run(kFirstUser, "tunlock", {"m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  got = Run(kFirstUser, "tget", {Opt(msg::kOptionLabel), "REL", Opt(msg::kWordYes), "m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  EXPECT_EQ(testing::ReadText(Work(kFirstUser) + "/m.c"), "two\n");
  got = Run(kFirstUser, "tget", {"-rev", "1.0", Opt(msg::kWordYes), "m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  EXPECT_EQ(testing::ReadText(Work(kFirstUser) + "/m.c"), "one\n");

  // The logfile stays the team's and protected between commands; nothing
  // else is left in the directory.
  ASSERT_EQ(::stat(logfile.c_str(), &info), 0);
  EXPECT_EQ(info.st_gid, kTeamGroup);
  EXPECT_EQ(info.st_mode & 0222, 0u);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(logs_)) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"m.d"});
}

}  // namespace
}  // namespace tarn
