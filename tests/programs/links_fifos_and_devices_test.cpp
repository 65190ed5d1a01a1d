// The programs against what a shared directory can hold besides plain
// files: other spellings of the logfile's path, symbolic links planted where
// a logfile should be, FIFOs and devices. Nothing may hang, nothing outside
// the logfile directory may change, and no logfile may be overwritten by a
// revision's text.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "tests/support/checkin_sandbox.h"
#include "tests/support/program_runner.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::CheckInSandbox;
using testing::ProgramResult;
using testing::ProgramSetup;
using testing::ReadBytes;

// A program that hangs is killed after this long; every case here ends at
// once when it works.
constexpr std::int64_t kHangMicroseconds = 20'000'000;

std::string Word(const MessageId& id) { return MessageText(id.number); }
std::string Opt(const MessageId& id) { return "-" + Word(id); }

class LinksFifosAndDevicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    setup_ = box_.ProgramsRunHere({{Word(msg::kEnvJournalFile), "no"},
                                   {Word(msg::kEnvCheckLock), "no"},
                                   {Word(msg::kEnvProtectLogFile), "yes"},
                                   {Word(msg::kEnvRetryCount), "1"}});
  }

  ProgramResult Run(const std::string& program, const std::vector<std::string>& arguments) {
    return testing::RunBuiltProgramWithin(program, arguments, setup_, kHangMicroseconds);
  }

  // Checks in a.c with two revisions.
  void MakeLogfile() {
    box_.Write("a.c", "first\n");
    ASSERT_EQ(Run("tput", {Opt(msg::kOptionText), "m", "a.c"}).status, 0);
    box_.Write("a.c", "second\n");
    ASSERT_EQ(Run("tput", {Opt(msg::kOptionText), "m", "a.c"}).status, 0);
  }

  CheckInSandbox box_;
  ProgramSetup setup_;
};

TEST_F(LinksFifosAndDevicesTest, OutputOntoAnotherSpellingOfTheLogfileIsRefused) {
  MakeLogfile();
  const std::string logfile = box_.Logfile("a.c");
  const std::vector<std::uint8_t> before = ReadBytes(logfile);
  fs::create_directory_symlink(box_.Logs(), box_.Work("logdir"));
  fs::create_directory_symlink(".", box_.Work("here"));
  fs::create_hard_link(logfile, box_.Root() + "/hardlink.d");
  const std::string logsName = fs::path(box_.Logs()).filename().string();
  // The work directory and the logfile directory are siblings, so
  // here/../<logs> reaches the logfile only through the link.
  const std::vector<std::string> spellings = {
      "logdir/a.d",
      "here/../" + logsName + "/a.d",
      box_.Root() + "/hardlink.d",
  };
  for (const std::string& out : spellings) {
    const ProgramResult got = Run("tget", {Opt(msg::kOptionOutput), out, Opt(msg::kWordYes), "a.c"});
    EXPECT_EQ(got.status, 1) << out << ": " << got.out << got.err;
    EXPECT_NE(got.err.find(out), std::string::npos) << got.err;
    EXPECT_EQ(ReadBytes(logfile), before) << out;
  }
  // The logfile directory given through a link, the output naming the real one.
  fs::create_directory_symlink(box_.Logs(), box_.Root() + "/loglink");
  setup_.environment[Word(msg::kEnvLogfileDirectory)] = box_.Root() + "/loglink";
  const ProgramResult got =
      Run("tget", {Opt(msg::kOptionOutput), logfile, Opt(msg::kWordYes), "a.c"});
  EXPECT_EQ(got.status, 1) << got.out << got.err;
  EXPECT_EQ(ReadBytes(logfile), before);
}

TEST_F(LinksFifosAndDevicesTest, LogfileThatIsASymbolicLinkIsRefusedByEveryCommand) {
  MakeLogfile();
  // The real logfile moves elsewhere; a link takes its place.
  const std::string elsewhere = box_.Root() + "/elsewhere.d";
  fs::rename(box_.Logfile("a.c"), elsewhere);
  fs::create_symlink(elsewhere, box_.Logfile("a.c"));
  const std::vector<std::uint8_t> before = ReadBytes(elsewhere);
  const auto mode = fs::status(elsewhere).permissions();
  box_.Write("a.c", "third\n");
  const std::vector<std::pair<std::string, std::vector<std::string>>> commands = {
      {"tget", {Opt(msg::kWordYes), "a.c"}},
      {"tget", {Opt(msg::kOptionLock), Opt(msg::kWordYes), "a.c"}},
      {"tlock", {"a.c"}},
      {"tput", {Opt(msg::kOptionText), "m", "a.c"}},
      {"tstamp", {Opt(msg::kOptionLabel), "REL", "a.c"}},
      {"tmh", {Opt(msg::kOptionDescription), "d", "a.c"}},
  };
  for (const auto& [program, arguments] : commands) {
    const ProgramResult got = Run(program, arguments);
    EXPECT_NE(got.status, 0) << program << ": " << got.out << got.err;
    EXPECT_FALSE(got.killed) << program;
    EXPECT_TRUE(fs::is_symlink(box_.Logfile("a.c"))) << program;
    EXPECT_EQ(ReadBytes(elsewhere), before) << program;
    EXPECT_EQ(fs::status(elsewhere).permissions(), mode) << program;
  }
  // Only the link is left in the logfile directory: no lock file, no copy.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(box_.Logs())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"a.d"});
}

TEST_F(LinksFifosAndDevicesTest, ModesOfFilesALinkNamesAreNeverChanged) {
  // A group-writable shared directory where someone planted links named like
  // logfiles: to a regular file and (as root) to a device node of our own.
  fs::permissions(box_.Logs(), fs::perms::group_write, fs::perm_options::add);
  const std::string victim = box_.Root() + "/victim";
  testing::WriteText(victim, "not a logfile\n");
  fs::permissions(victim, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
  fs::create_symlink(victim, box_.Logfile("a.c"));
  std::vector<std::string> targets = {victim};
  if (::geteuid() == 0) {
    const std::string node = box_.Root() + "/zero";
    ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 5)), 0);
    fs::create_symlink(node, box_.Logfile("b.c"));
    targets.push_back(node);
  }
  std::vector<fs::perms> modes;
  for (const std::string& target : targets) modes.push_back(fs::status(target).permissions());
  for (const char* name : {"a.c", "b.c"}) {
    box_.Write(name, "text\n");
    for (const char* program : {"tget", "tlock", "tput", "tstamp"}) {
      std::vector<std::string> arguments = {name};
      if (std::string(program) == "tstamp") {
        arguments.insert(arguments.begin(), {Opt(msg::kOptionLabel), "REL"});
      }
      if (std::string(program) == "tput") arguments.insert(arguments.begin(), {"-text", "m"});
      const ProgramResult got = Run(program, arguments);
      EXPECT_NE(got.status, 0) << program << " " << name;
      EXPECT_FALSE(got.killed) << program << " " << name;
    }
  }
  for (std::size_t i = 0; i < targets.size(); ++i) {
    EXPECT_EQ(fs::status(targets[i]).permissions(), modes[i]) << targets[i];
  }
  EXPECT_EQ(testing::ReadText(victim), "not a logfile\n");
}

// A workfile that is a link to the user's real file: the check-in stores
// the text the link leads to and protects that file, as a get writes
// through the link; the link stays a link.
TEST_F(LinksFifosAndDevicesTest, CheckInThroughALinkedWorkfileProtectsTheFileItNames) {
  const std::string real = box_.Root() + "/real.c";
  testing::WriteText(real, "linked text\n");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::group_write | fs::perms::others_read |
                            fs::perms::others_write);
  fs::create_symlink(real, box_.Work("a.c"));
  const ProgramResult put = Run("tput", {Opt(msg::kOptionText), "m", "a.c"});
  EXPECT_EQ(put.status, 0) << put.out << put.err;
  EXPECT_TRUE(fs::is_symlink(box_.Work("a.c")));
  EXPECT_EQ(testing::ReadText(real), "linked text\n");
  const fs::perms protection = fs::status(real).permissions();
  EXPECT_EQ(protection & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write),
            fs::perms::none);
  const ProgramResult got = Run("tget", {Opt(msg::kOptionOutput), box_.Root() + "/out.c", "a.c"});
  EXPECT_EQ(got.status, 0) << got.err;
  EXPECT_EQ(testing::ReadText(box_.Root() + "/out.c"), "linked text\n");
}

TEST_F(LinksFifosAndDevicesTest, FifoAsLogfileIsRefusedAtOnce) {
  ASSERT_EQ(::mkfifo(box_.Logfile("a.c").c_str(), 0666), 0);
  box_.Write("a.c", "text\n");
  for (const char* program : {"tget", "tlock", "tunlock", "tput", "tstamp"}) {
    std::vector<std::string> arguments = {"a.c"};
    if (std::string(program) == "tstamp") {
      arguments.insert(arguments.begin(), {Opt(msg::kOptionLabel), "REL"});
    }
    if (std::string(program) == "tput") arguments.insert(arguments.begin(), {"-text", "m"});
    const ProgramResult got = Run(program, arguments);
    EXPECT_FALSE(got.killed) << program;
    EXPECT_EQ(got.status, 1) << program << ": " << got.out << got.err;
    EXPECT_NE(got.err.find("not a regular file"), std::string::npos) << program << ": " << got.err;
    // The lock file went with the command.
    EXPECT_FALSE(fs::exists(box_.Logs() + "/$.d")) << program;
  }
  EXPECT_TRUE(fs::is_fifo(box_.Logfile("a.c")));
}

// A journal that is a FIFO nobody reads would block the check-in at its
// very end, with the logfile written and its lock file still held.
TEST_F(LinksFifosAndDevicesTest, JournalThatIsAFifoIsReportedAndTheCheckInGoesOn) {
  const std::string journals = box_.Root() + "/journals";
  fs::create_directory(journals);
  ASSERT_EQ(::mkfifo((journals + "/tarn.jnl").c_str(), 0666), 0);
  setup_.environment[Word(msg::kEnvJournalFile)] = "yes";
  setup_.environment[Word(msg::kEnvJournalPath)] = journals + "/";
  setup_.environment[Word(msg::kEnvRetryCount)] = "3";
  box_.Write("a.c", "text\n");
  const ProgramResult got = Run("tput", {Opt(msg::kOptionText), "m", "a.c"});
  EXPECT_FALSE(got.killed);
  EXPECT_EQ(got.status, 0) << got.out << got.err;
  EXPECT_NE((got.out + got.err).find("is not a regular file"), std::string::npos)
      << got.out << got.err;
  EXPECT_TRUE(fs::is_regular_file(box_.Logfile("a.c")));
  EXPECT_TRUE(fs::is_fifo(journals + "/tarn.jnl"));
}

TEST_F(LinksFifosAndDevicesTest, CatalogueOrUsageFileThatIsNoRegularFileEndsTheProgramAtOnce) {
  // A copy of tget with its catalogue and usage text beside it.
  const std::string bin = box_.Root() + "/bin";
  fs::create_directory(bin);
  for (const char* name : {"tget", "tarnMsgF", "tget.usa"}) {
    fs::copy_file(testing::BinDir() + "/" + name, bin + "/" + name);
  }
  setup_.programDirectory = bin;
  fs::remove(bin + "/tget.usa");
  ASSERT_EQ(::mkfifo((bin + "/tget.usa").c_str(), 0666), 0);
  ProgramResult got = Run("tget", {"-nonsense", "a.c"});
  EXPECT_FALSE(got.killed);
  EXPECT_EQ(got.status, 2) << got.out << got.err;

  fs::remove(bin + "/tarnMsgF");
  ASSERT_EQ(::mkfifo((bin + "/tarnMsgF").c_str(), 0666), 0);
  got = Run("tget", {"a.c"});
  EXPECT_FALSE(got.killed);
  EXPECT_EQ(got.status, 1) << got.out << got.err;
  fs::remove(bin + "/tarnMsgF");
  fs::create_symlink("/dev/zero", bin + "/tarnMsgF");
  got = Run("tget", {"a.c"});
  EXPECT_FALSE(got.killed);
  EXPECT_EQ(got.status, 1) << got.out << got.err;
}

}  // namespace
}  // namespace tarn
