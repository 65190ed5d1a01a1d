// Real users of one team sharing a group-writable (setgid) logfile
// directory with the default settings, protection included: each must be
// able to get, lock, check in and label what the other created; reading
// changes nothing in the directory, and a user who may only read the
// directory can read everything in it. Needs root to take on the user ids;
// skipped otherwise.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "tests/support/journal_reader.h"
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
constexpr unsigned kReader = 2;         // bin: reads, in a group of its own
constexpr unsigned kTeamGroup = 48'611;
constexpr unsigned kReaderGroup = 48'612;

// What a read must leave as it found it: the logfile's bytes, its inode,
// owner, group, mode and modification time.
struct LogfileState {
  std::vector<std::uint8_t> bytes;
  ino_t inode = 0;
  uid_t owner = 0;
  gid_t group = 0;
  mode_t mode = 0;
  std::int64_t modified = 0;
  std::int64_t modifiedNanoseconds = 0;
  bool operator==(const LogfileState&) const = default;
};

LogfileState StateOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return LogfileState{
      testing::ReadBytes(path), info.st_ino,         info.st_uid, info.st_gid, info.st_mode,
      info.st_mtim.tv_sec,      info.st_mtim.tv_nsec};
}

std::vector<std::string> NamesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Word(const MessageId& id) { return MessageText(id.number); }

// A message as a program prints it, without the program label in front.
template <class... Args>
std::string Text(CheckedMessage<std::type_identity_t<Args>...> message, Args... args) {
  const std::string text = FormatMessage(message, args...);
  return text.substr(text.find(": "));
}
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
    for (const char* name : {"tarn", "tget", "tput", "tlock", "tunlock", "tstamp", "tarnMsgF"}) {
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
    for (const unsigned user : {kFirstUser, kSecondUser, kReader}) {
      const std::string work = Work(user);
      fs::create_directory(work);
      ASSERT_EQ(::chown(work.c_str(), user, GroupOf(user)), 0);
      ASSERT_EQ(::chmod(work.c_str(), 0755), 0);
    }
  }

  std::string Work(unsigned user) const { return dir_.File("work" + std::to_string(user)); }
  static unsigned GroupOf(unsigned user) { return user == kReader ? kReaderGroup : kTeamGroup; }

  ProgramResult Run(unsigned user, const std::string& program,
                    const std::vector<std::string>& arguments) {
    return RunIn(logs_, user, program, arguments);
  }

  ProgramResult RunIn(const std::string& logs, unsigned user, const std::string& program,
                      const std::vector<std::string>& arguments) {
    ProgramSetup setup;
    setup.programDirectory = bin_;
    setup.workingDirectory = Work(user);
    setup.user = ProgramSetup::User{user, GroupOf(user), {}};
    setup.environment = {
        {Word(msg::kEnvLogfileDirectory), logs},
        {Word(msg::kEnvUserName), user == kFirstUser    ? "ann"
                                  : user == kSecondUser ? "dan"
                                                        : "rob"},
        {Word(msg::kEnvAccessList), "ann,dan"},
        {Word(msg::kEnvTempDirectory), Work(user) + "/"},
        {Word(msg::kEnvRetryCount), retries_},
    };
    if (!journals_.empty()) setup.environment[Word(msg::kEnvJournalPath)] = journals_ + "/";
    return testing::RunBuiltProgramWithin(program, arguments, setup, 30'000'000);
  }

  void WriteWorkfile(unsigned user, const std::string& text) {
    const std::string path = Work(user) + "/m.c";
    fs::remove(path);
    testing::WriteText(path, text);
    ASSERT_EQ(::chown(path.c_str(), user, GroupOf(user)), 0);
  }

  // The first member's m.c with revisions 1.0 and 1.1 in `logs`.
  void FirstMemberCreates(const std::string& logs) {
    WriteWorkfile(kFirstUser, "one\n");
    ProgramResult got = RunIn(logs, kFirstUser, "tput", {Opt(msg::kOptionText), "first", "m.c"});
    ASSERT_EQ(got.status, 0) << got.out << got.err;
    got = RunIn(logs, kFirstUser, "tget", {Opt(msg::kOptionLock), Opt(msg::kWordYes), "m.c"});
    ASSERT_EQ(got.status, 0) << got.out << got.err;
    WriteWorkfile(kFirstUser, "one\ntwo\n");
    got = RunIn(logs, kFirstUser, "tput", {Opt(msg::kOptionText), "second", "m.c"});
    ASSERT_EQ(got.status, 0) << got.out << got.err;
  }

  // Every read by `user` succeeds, gives the logfile's text, and leaves
  // the logfile and its directory exactly as they were.
  void ReadsLeaveEverythingAsItWas(const std::string& logs, unsigned user) {
    const std::string logfile = logs + "/m.d";
    const LogfileState before = StateOf(logfile);
    const std::vector<std::string> names = NamesIn(logs);
    fs::remove(Work(user) + "/m.c");
    struct Read {
      std::string program;
      std::vector<std::string> arguments;
      int status;
      std::string out;  // the start of standard output; empty: anything
    };
    const std::vector<Read> reads = {
        {"tget", {Opt(msg::kOptionStandardOutput), "m.c"}, 0, "one\ntwo\n"},
        {"tarn", {"get", "-rev", "1.0", Opt(msg::kOptionStandardOutput), "m.c"}, 0, "one\n"},
        {"tarn", {"log", "m.c"}, 0, ""},
        {"tget", {"m.c"}, 0, ""},
        {"tarn", {"status"}, 0, ""},
        {"tarn", {"diff", "m.c"}, 0, ""},
        {"tarn", {"diff", "-rev", "1.0", "-rev", "1.1", "m.c"}, 1, ""},
    };
    for (const Read& read : reads) {
      const ProgramResult got = RunIn(logs, user, read.program, read.arguments);
      std::string line = read.program;
      for (const std::string& word : read.arguments) line += " " + word;
      EXPECT_EQ(got.status, read.status) << line << "\n" << got.out << got.err;
      EXPECT_EQ(got.out.substr(0, read.out.size()), read.out) << line;
      EXPECT_TRUE(StateOf(logfile) == before) << line << " changed the logfile";
      EXPECT_EQ(NamesIn(logs), names) << line << " changed the logfile directory";
    }
    EXPECT_EQ(testing::ReadText(Work(user) + "/m.c"), "one\ntwo\n");
    const ProgramResult log = RunIn(logs, user, "tarn", {"log", "m.c"});
    EXPECT_NE(log.out.find("second"), std::string::npos) << log.out;
    EXPECT_NE(log.out.find("1.0"), std::string::npos) << log.out;
    const ProgramResult status = RunIn(logs, user, "tarn", {"status"});
    EXPECT_NE(status.out.find("m.c"), std::string::npos) << status.out << status.err;
  }

  // A journal directory of the team's: group-writable, setgid.
  void ShareJournals() {
    journals_ = dir_.File("journals");
    fs::create_directory(journals_);
    ASSERT_EQ(::chown(journals_.c_str(), 0, kTeamGroup), 0);
    ASSERT_EQ(::chmod(journals_.c_str(), 02775), 0);
  }
  std::string Journal() const { return journals_ + "/" + Word(msg::kDefaultJournalName); }

  std::vector<testing::JournalEntry> JournalEntries() const {
    const std::optional<std::vector<testing::JournalEntry>> entries =
        testing::ReadJournalEntries(testing::ReadText(Journal()), 5);
    EXPECT_TRUE(entries) << testing::ReadText(Journal());
    return entries.value_or(std::vector<testing::JournalEntry>{});
  }

  testing::TempDir dir_;
  std::string bin_;
  std::string logs_;
  std::string journals_;  // empty: the default journal path
  std::string retries_ = "2";
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

TEST_F(SharedDirectoryTest, ReadsOfAnotherMembersLogfileChangeNothing) {
  FirstMemberCreates(logs_);
  const std::string logfile = logs_ + "/m.d";
  const LogfileState created = StateOf(logfile);
  ASSERT_EQ(created.owner, kFirstUser);
  ASSERT_EQ(created.mode & 0222, 0u) << "protected by default";

  ReadsLeaveEverythingAsItWas(logs_, kSecondUser);

  // The second member's writes replace the logfile with one of theirs,
  // still the team's, readable by all who could read it, protected.
  ProgramResult got = Run(kSecondUser, "tlock", {"m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  WriteWorkfile(kSecondUser, "one\ntwo\nthree\n");
  got = Run(kSecondUser, "tput", {Opt(msg::kOptionText), "third", "m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  got = Run(kSecondUser, "tstamp", {Opt(msg::kOptionLabel), "REL", "m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  const LogfileState written = StateOf(logfile);
  EXPECT_NE(written.inode, created.inode);
  EXPECT_EQ(written.owner, kSecondUser);
  EXPECT_EQ(written.group, kTeamGroup);
  EXPECT_EQ(written.mode & 0777, created.mode & 0777);
  EXPECT_EQ(NamesIn(logs_), std::vector<std::string>{"m.d"});

  // The first member reads and writes after the second.
  got = Run(kFirstUser, "tget", {Opt(msg::kOptionStandardOutput), "m.c"});
  ASSERT_EQ(got.status, 0) << got.err;
  EXPECT_EQ(got.out, "one\ntwo\nthree\n");
  got = Run(kFirstUser, "tlock", {"m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  got = Run(kFirstUser, "tunlock", {"m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  EXPECT_EQ(StateOf(logfile).owner, kFirstUser);
  EXPECT_EQ(StateOf(logfile).group, kTeamGroup);
}

TEST_F(SharedDirectoryTest, UnprotectedLogfileStaysWritableForTheTeam) {
  FirstMemberCreates(logs_);
  const std::string logfile = logs_ + "/m.d";
  ProgramResult got = Run(kFirstUser, "tarn", {"header", "-set", "ProtectLogFile=no", "m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  EXPECT_EQ(StateOf(logfile).mode & 0777, 0664u);
  got = Run(kSecondUser, "tlock", {"m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  EXPECT_EQ(StateOf(logfile).mode & 0777, 0664u);
  got = Run(kSecondUser, "tarn", {"header", "-set", "ProtectLogFile=yes", "m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  EXPECT_EQ(StateOf(logfile).mode & 0777, 0444u);
  EXPECT_EQ(StateOf(logfile).group, kTeamGroup);
}

// A member outside the team's group, in a directory of another user's that
// only its owner may write (mode 755): everything that only reads works.
TEST_F(SharedDirectoryTest, MemberWhoMayOnlyReadReadsEverything) {
  const std::string readOnly = dir_.File("readonly");
  fs::create_directory(readOnly);
  ASSERT_EQ(::chown(readOnly.c_str(), kFirstUser, kTeamGroup), 0);
  ASSERT_EQ(::chmod(readOnly.c_str(), 0755), 0);
  FirstMemberCreates(readOnly);
  ASSERT_EQ(NamesIn(readOnly), std::vector<std::string>{"m.d"});

  ReadsLeaveEverythingAsItWas(readOnly, kReader);

  // A write is refused with its reason, and changes nothing either.
  const LogfileState before = StateOf(readOnly + "/m.d");
  const ProgramResult lock = RunIn(readOnly, kReader, "tlock", {"m.c"});
  EXPECT_NE(lock.status, 0);
  EXPECT_TRUE(StateOf(readOnly + "/m.d") == before);
  EXPECT_EQ(NamesIn(readOnly), std::vector<std::string>{"m.d"});
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST_F(SharedDirectoryTest, BothMembersEntriesLandInTheSharedJournal) {
  ShareJournals();
  FirstMemberCreates(logs_);
  ProgramResult got = Run(kSecondUser, "tlock", {"m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  EXPECT_EQ(got.err, "");
  got = Run(kSecondUser, "tunlock", {"m.c"});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  EXPECT_EQ(got.err, "");

  struct stat info {};
  ASSERT_EQ(::stat(Journal().c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, kFirstUser);
  EXPECT_EQ(info.st_gid, kTeamGroup);
  EXPECT_EQ(info.st_mode & 0060, 0060u) << std::oct << info.st_mode;
  std::vector<std::string> users;
  for (const testing::JournalEntry& entry : JournalEntries()) {
    EXPECT_EQ(entry.fields[0], logs_ + "/m.d");
    users.push_back(entry.fields[1]);
  }
  // Two check-ins and a check-out by the first member, a lock and an
  // unlock by the second.
  EXPECT_EQ(users, (std::vector<std::string>{"ann", "ann", "ann", "dan", "dan"}));
}

// A member who may not write the journal (another member's, in a directory
// only its owner may write) is told once, at once, and the command goes on.
TEST_F(SharedDirectoryTest, MemberWhoMayNotWriteTheJournalIsToldOnceWithoutWaiting) {
  journals_ = dir_.File("private-journals");
  fs::create_directory(journals_);
  ASSERT_EQ(::chown(journals_.c_str(), kFirstUser, kTeamGroup), 0);
  ASSERT_EQ(::chmod(journals_.c_str(), 0755), 0);
  FirstMemberCreates(logs_);
  const std::string before = testing::ReadText(Journal());
  retries_ = "40";  // waiting through them would take forty seconds per journal
  const ProgramResult got = Run(kSecondUser, "tlock", {"m.c"});
  EXPECT_FALSE(got.killed);
  EXPECT_EQ(got.status, 0) << got.err;
  EXPECT_EQ(Occurrences(got.err, Journal()), 1u) << got.err;
  EXPECT_NE(got.err.find(Text(msg::kJournalRefused, std::string_view(Journal()),
                              std::string_view("Permission denied"))),
            std::string::npos)
      << got.err;
  EXPECT_EQ(testing::ReadText(Journal()), before);
}

// One member plants a link or a FIFO where the journal belongs: another
// member's command refuses it at once and appends to nothing.
TEST_F(SharedDirectoryTest, PlantedLinkOrFifoAsJournalIsRefusedWithoutWaiting) {
  ShareJournals();
  FirstMemberCreates(logs_);
  const std::string profile = Work(kFirstUser) + "/.profile";
  testing::WriteText(profile, "export PATH\n");
  ASSERT_EQ(::chown(profile.c_str(), kFirstUser, kTeamGroup), 0);
  struct Plant {
    const char* what;
    bool link;
  };
  retries_ = "40";
  for (const Plant& plant : {Plant{"link", true}, Plant{"FIFO", false}}) {
    SCOPED_TRACE(plant.what);
    fs::remove(Journal());
    if (plant.link) {
      fs::create_symlink(profile, Journal());
    } else {
      ASSERT_EQ(::mkfifo(Journal().c_str(), 0666), 0);
      ASSERT_EQ(::chmod(Journal().c_str(), 0666), 0);  // writable: only its kind refuses it
    }
    ASSERT_EQ(::lchown(Journal().c_str(), kSecondUser, kTeamGroup), 0);
    const ProgramResult got = Run(kFirstUser, "tlock", {"m.c"});
    EXPECT_FALSE(got.killed);
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_NE(got.err.find(Text(msg::kJournalNotAFile, std::string_view(Journal()))),
              std::string::npos)
        << got.err;
    EXPECT_EQ(testing::ReadText(profile), "export PATH\n");
    EXPECT_EQ(fs::is_symlink(Journal()), plant.link);
    ASSERT_EQ(Run(kFirstUser, "tunlock", {"m.c"}).status, 0);
  }
}

// A file name with the separator, a semicolon and a line end makes one
// entry with the fields it claims: the name is quoted, never split.
TEST_F(SharedDirectoryTest, AwkwardFileNameMakesOneWellFormedEntry) {
  ShareJournals();
  const std::string name = "x;touch pwned;,\n.c";
  const std::string path = Work(kFirstUser) + "/" + name;
  testing::WriteText(path, "text\n");
  ASSERT_EQ(::chown(path.c_str(), kFirstUser, kTeamGroup), 0);
  const ProgramResult got = Run(kFirstUser, "tput", {Opt(msg::kOptionText), "first", name});
  ASSERT_EQ(got.status, 0) << got.out << got.err;
  const std::vector<testing::JournalEntry> entries = JournalEntries();
  ASSERT_EQ(entries.size(), 1u) << testing::ReadText(Journal());
  const testing::JournalEntry& entry = entries[0];
  EXPECT_EQ(entry.fields[1], "ann");
  EXPECT_EQ(fs::path(entry.fields[0]).parent_path().string(), logs_);
  EXPECT_TRUE(fs::exists(entry.fields[0])) << entry.fields[0];
  const std::string echo = entry.fields[4];
  const std::size_t quote = echo.find('"');
  ASSERT_NE(quote, std::string::npos) << echo;
  EXPECT_EQ(testing::UnquoteJournalField(echo.substr(quote)), name) << echo;
  EXPECT_EQ(entry.continuation, std::vector<std::string>{Word(msg::kFirstRevisionDescription)});
}

}  // namespace
}  // namespace tarn
