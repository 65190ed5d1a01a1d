// tget, tlock and tunlock run as a user runs them: built programs started
// with real files, real environment variables and real exit statuses
// (0 done, 1 failed, 2 command line refused, 3 nothing done).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "platform/lock_file.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::BinDir;
using testing::kAtLockCount;
using testing::LoadCatalogue;
using testing::LogfileBuilder;
using testing::ReadBytes;
using testing::ReadText;
using testing::BuiltRevision;
using testing::TempDir;
using testing::WriteText;

namespace fs = std::filesystem;

constexpr uid_t kUnprivilegedUser = 65534;  // "nobody"

// True when `user` may run the program at `path`: a build folder inside a
// 0700 home is out of an ordinary user's reach.
bool UserCanExecute(uid_t user, const std::string& path) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(user) != 0 || ::setuid(user) != 0) ::_exit(2);
    ::_exit(::access(path.c_str(), X_OK) == 0 ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// Copies `program` with the catalogue it loads from its own folder into
// `directory`, for a user who cannot reach the build folder.
void CopyProgram(const std::string& program, const std::string& directory) {
  fs::create_directories(directory);
  for (const std::string& name : {program, std::string(kCatalogueFileName)}) {
    fs::copy_file(fs::path(BinDir()) / name, fs::path(directory) / name,
                  fs::copy_options::overwrite_existing);
  }
}

struct Outcome {
  int exit = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

std::string Word(const MessageId& id) { return MessageText(id.number); }
std::string Opt(const MessageId& id) { return "-" + Word(id); }

// A text with the catalogue message's fixed words: the part of its text up
// to the first conversion after the program label.
std::string FixedWords(const MessageId& id) {
  const std::string text = MessageText(id.number);
  const std::size_t start = text.find("%s") == 0 ? 2 : 0;
  const std::size_t end = text.find('%', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

const std::string kTip = "line one\nline two\nline three\n";
const std::string kOld = "line one\nline 2\nline three\n";

std::string ReplaceRecord(int position, int removed, const std::string& inserted) {
  std::string bytes;
  auto put = [&bytes](std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(2, 2);
  put(static_cast<std::uint32_t>(position), 4);
  put(static_cast<std::uint32_t>(removed), 4);
  put(static_cast<std::uint32_t>(inserted.size()), 4);
  return bytes + inserted;
}

// 1.1 (tip) and 1.0 (reverse delta), label REL1 on 1.0; users alice and bob.
LogfileBuilder Logfile(std::uint16_t attributes) {
  LogfileBuilder b;
  b.Attributes(attributes).Users("alice,bob").Owner("alice");
  b.AddRevision({.major = 1,
                 .minor = 1,
                 .tip = 1,
                 .putDate = 1'600'000'000,
                 .editDate = 1'600'000'000,
                 .description = "second",
                 .data = kTip});
  b.AddRevision({.major = 1,
                 .minor = 0,
                 .putDate = 1'500'000'000,
                 .description = "first",
                 .data = ReplaceRecord(9, 9, "line 2\n")});
  b.AddLabel({{1, 0}}, "REL1", 0);
  return b;
}

class ProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadCatalogue();
    for (const char* sub : {"logs", "tmp", "work", "out"}) fs::create_directory(dir_.path() / sub);
    logfile_ = dir_.File("logs/main.d");
    workfile_ = dir_.File("work/main.c");
    env_ = {
        {Word(msg::kEnvLogfileDirectory), dir_.File("logs")},
        {Word(msg::kEnvUserName), "bob"},
        {Word(msg::kEnvTempDirectory), dir_.File("tmp")},
        {Word(msg::kEnvJournalPath), dir_.File("")},
        {Word(msg::kEnvJournalName), "journal.txt"},
        {Word(msg::kEnvRetryCount), "1"},
    };
  }

  // Starts `program` with `args` in the work directory, with exactly the
  // environment `env_` (plus `extra`), standard input from /dev/null.
  pid_t Start(const std::string& program, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& extra = {},
              std::optional<uid_t> user = std::nullopt) {
    const std::string out = dir_.File("out/" + std::to_string(++runs_) + ".out");
    const std::string err = dir_.File("out/" + std::to_string(runs_) + ".err");
    std::map<std::string, std::string> env = env_;
    for (const auto& [name, value] : extra) env[name] = value;
    std::vector<std::string> words = {programDir_ + "/" + program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<std::string> assignments;
    for (const auto& [name, value] : env) assignments.push_back(name + "=" + value);
    std::vector<char*> argv, envp;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    for (std::string& assignment : assignments) envp.push_back(assignment.data());
    envp.push_back(nullptr);
    const std::string work = dir_.File("work");

    const pid_t pid = ::fork();
    if (pid == 0) {
      const int in = ::open("/dev/null", O_RDONLY);
      const int to_out = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      const int to_err = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      if (in < 0 || to_out < 0 || to_err < 0) ::_exit(120);
      ::dup2(in, 0);
      ::dup2(to_out, 1);
      ::dup2(to_err, 2);
      if (::chdir(work.c_str()) != 0) ::_exit(121);
      if (user && (::setgid(*user) != 0 || ::setuid(*user) != 0)) ::_exit(122);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(123);
    }
    outputs_[pid] = {out, err};
    return pid;
  }

  Outcome Wait(pid_t pid) {
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    Outcome outcome;
    outcome.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = ReadText(outputs_[pid].first);
    outcome.err = ReadText(outputs_[pid].second);
    return outcome;
  }

  Outcome Run(const std::string& program, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& extra = {},
              std::optional<uid_t> user = std::nullopt) {
    return Wait(Start(program, args, extra, user));
  }

  // Nothing but the named files in the work, temporary and logfile directories.
  void ExpectOnly(const std::vector<std::string>& wanted) const {
    std::vector<std::string> found;
    for (const char* sub : {"work", "tmp", "logs"}) {
      for (const auto& entry : fs::directory_iterator(dir_.path() / sub)) {
        found.push_back(std::string(sub) + "/" + entry.path().filename().string());
      }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> sorted = wanted;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(found, sorted);
  }

  TempDir dir_;
  std::string programDir_ = BinDir();  // where the programs run from
  std::string logfile_;
  std::string workfile_;
  std::map<std::string, std::string> env_;
  std::map<pid_t, std::pair<std::string, std::string>> outputs_;
  int runs_ = 0;
};

TEST_F(ProgramsTest, GetWritesTheWorkfileAndLeavesTheLogfileAlone) {
  Logfile(kAttrCheckLock | kAttrJournalFile).WriteTo(logfile_);
  const std::vector<std::uint8_t> before = ReadBytes(logfile_);
  Outcome got = Run("tget", {"main.c"});
  EXPECT_EQ(got.exit, 0) << got.err;
  EXPECT_EQ(ReadText(workfile_), kTip);
  EXPECT_NE(got.out.find("tget"), std::string::npos) << got.out;
  EXPECT_NE(got.out.find(FixedWords(msg::kFetched)), std::string::npos) << got.out;
  EXPECT_TRUE(got.err.empty()) << got.err;

  got = Run("tget", {Opt(msg::kOptionLabel), "REL1", Opt(msg::kWordYes), "main.c"});
  EXPECT_EQ(got.exit, 0) << got.err;
  EXPECT_EQ(ReadText(workfile_), kOld);
  EXPECT_EQ(ReadBytes(logfile_), before);
  EXPECT_FALSE(fs::exists(dir_.File("journal.txt")));
  ExpectOnly({"work/main.c", "logs/main.d"});
}

TEST_F(ProgramsTest, RefusedCommandLineExitsTwoPointingToTheUsage) {
  Logfile(0).WriteTo(logfile_);
  const std::vector<std::pair<std::string, std::string>> programs = {
      {"tget", "get"}, {"tlock", "lock"}, {"tunlock", "unlock"}};
  for (const auto& [program, subcommand] : programs) {
    const Outcome outcome = Run(program, {"-nonsense", "main.c"});
    EXPECT_EQ(outcome.exit, 2) << program;
    EXPECT_NE(outcome.err.find("-nonsense"), std::string::npos) << outcome.err;
    // Where the usage is, in place of the whole text.
    EXPECT_NE(outcome.err.find(program + ": see 'tarn help " + subcommand + "'"),
              std::string::npos)
        << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
  EXPECT_EQ(Run("tget", {}).exit, 2);
  EXPECT_FALSE(fs::exists(workfile_));
}

TEST_F(ProgramsTest, ProgramWithoutItsCatalogueFails) {
  // The catalogue is looked for beside the program; a copy of the program
  // elsewhere finds none and says so on standard error.
  fs::create_directory(dir_.path() / "bin");
  fs::copy_file(BinDir() + "/tget", dir_.File("bin/tget"));
  fs::permissions(dir_.File("bin/tget"), fs::perms::owner_all);
  const std::string copied = dir_.File("bin/tget");
  pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execl(copied.c_str(), "tget", "main.c", static_cast<char*>(nullptr));
    ::_exit(123);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST_F(ProgramsTest, WorkfileInAMissingDirectory) {
  Logfile(0).WriteTo(logfile_);
  const std::string nowhere = dir_.File("no/such/dir/main.c");
  const Outcome outcome = Run("tget", {Opt(msg::kOptionOutput), nowhere, "main.c"});
  EXPECT_EQ(outcome.exit, 1);
  EXPECT_NE(outcome.err.find(nowhere), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find(std::strerror(ENOENT)), std::string::npos) << outcome.err;
  ExpectOnly({"logs/main.d"});
}

TEST_F(ProgramsTest, WorkfileThatCannotBeWritten) {
  Logfile(0).WriteTo(logfile_);
  WriteText(workfile_, "the user's text\n");
  fs::permissions(workfile_,
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  std::optional<uid_t> user;
  if (::geteuid() == 0) {
    // Root writes anywhere: run as an ordinary user who may use the
    // logfile but not write into the work directory.
    user = kUnprivilegedUser;
    fs::permissions(dir_.path(), fs::perms::all);
    fs::permissions(dir_.File("logs"), fs::perms::all);
    fs::permissions(dir_.File("tmp"), fs::perms::all);
    fs::permissions(dir_.File("out"), fs::perms::all);
    fs::permissions(logfile_, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                                 fs::perms::others_exec));
    if (!UserCanExecute(*user, BinDir() + "/tget")) {
      // The build folder is out of that user's reach: run a copy.
      programDir_ = dir_.File("bin");
      CopyProgram("tget", programDir_);
      if (!UserCanExecute(*user, programDir_ + "/tget")) {
        GTEST_SKIP() << "user nobody can reach neither the build folder nor " << dir_.path();
      }
    }
  }
  fs::permissions(dir_.File("work"), fs::perms::owner_read | fs::perms::owner_exec |
                                         fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
  const std::vector<std::uint8_t> before = ReadBytes(logfile_);
  const Outcome outcome = Run("tget", {"main.c"}, {}, user);
  fs::permissions(dir_.File("work"), fs::perms::owner_all);
  EXPECT_EQ(outcome.exit, 1) << outcome.out;
  EXPECT_NE(outcome.err.find(std::strerror(EACCES)), std::string::npos) << outcome.err;
  EXPECT_EQ(ReadText(workfile_), "the user's text\n");
  EXPECT_EQ(ReadBytes(logfile_), before);
  ExpectOnly({"work/main.c", "logs/main.d"});
}

TEST_F(ProgramsTest, LogfileCutShort) {
  std::vector<std::uint8_t> bytes = Logfile(0).Bytes();
  bytes.resize(bytes.size() - 5);  // inside the delta of 1.0
  testing::WriteBytes(logfile_, bytes);
  WriteText(workfile_, "kept\n");
  fs::permissions(workfile_, fs::perms::owner_read);
  Outcome outcome = Run("tget", {Opt(msg::kOptionRevision), "1.0", "main.c"});
  EXPECT_EQ(outcome.exit, 1);
  EXPECT_FALSE(outcome.err.empty());
  EXPECT_EQ(ReadText(workfile_), "kept\n");
  EXPECT_EQ(ReadBytes(logfile_), bytes);

  // Cut inside the header: not even the header can be read.
  bytes.resize(20);
  testing::WriteBytes(logfile_, bytes);
  outcome = Run("tget", {"main.c"});
  EXPECT_EQ(outcome.exit, 1);
  EXPECT_FALSE(outcome.err.empty());
  EXPECT_EQ(Run("tlock", {"main.c"}).exit, 1);
  EXPECT_EQ(ReadText(workfile_), "kept\n");
  EXPECT_EQ(ReadBytes(logfile_), bytes);
  ExpectOnly({"work/main.c", "logs/main.d"});
}

TEST_F(ProgramsTest, MissingLabelRevisionAndLogfile) {
  Logfile(kAttrCheckLock).WriteTo(logfile_);
  Outcome outcome = Run("tget", {Opt(msg::kOptionLabel), "NOPE", "main.c"});
  EXPECT_EQ(outcome.exit, 1);  // nothing could be fetched
  EXPECT_NE(outcome.err.find("NOPE"), std::string::npos) << outcome.err;
  outcome = Run("tget", {Opt(msg::kOptionRevision), "3.4", "main.c"});
  EXPECT_EQ(outcome.exit, 1);
  EXPECT_NE(outcome.err.find("3.4"), std::string::npos) << outcome.err;
  outcome = Run("tlock", {Opt(msg::kOptionRevision), "3.4", "main.c"});
  EXPECT_EQ(outcome.exit, 1);
  EXPECT_NE(outcome.err.find("3.4"), std::string::npos) << outcome.err;
  EXPECT_FALSE(fs::exists(workfile_));
  outcome = Run("tget", {"other.c"});
  EXPECT_EQ(outcome.exit, 1);
  EXPECT_NE((outcome.out + outcome.err).find("other.d"), std::string::npos);
  ExpectOnly({"logs/main.d"});
}

TEST_F(ProgramsTest, FullDiskDuringTheCopyLeavesTheOldWorkfile) {
  Logfile(0).WriteTo(logfile_);
  const std::vector<std::uint8_t> before = ReadBytes(logfile_);
  WriteText(workfile_, "the user's text\n");
  fs::permissions(workfile_, fs::perms::owner_read);
  // The text, written once into the new workfile, runs out of room half way.
  const std::string limit = std::to_string(kTip.size() / 2);
  const Outcome outcome = Run("tget", {"main.c"}, {{"TARN_FAULT_WRITE_LIMIT", limit}});
  EXPECT_EQ(outcome.exit, 1);
  EXPECT_NE(outcome.err.find(std::strerror(ENOSPC)), std::string::npos) << outcome.err;
  EXPECT_EQ(ReadText(workfile_), "the user's text\n");
  EXPECT_EQ(ReadBytes(logfile_), before);
  ExpectOnly({"work/main.c", "logs/main.d"});
}

// Every change writes a whole new logfile beside the old one, so a full
// disk makes even an unlock fail. The user learns the system's reason and
// the room needed (the old logfile's size), never a place in the source,
// and the old logfile stays whole.
TEST_F(ProgramsTest, FullDiskMakesEvenAnUnlockFailAndSaysHowMuchRoomItNeeds) {
  Logfile(kAttrCheckLock).WriteTo(logfile_);
  ASSERT_EQ(Run("tlock", {"main.c"}).exit, 0);
  const std::vector<std::uint8_t> before = ReadBytes(logfile_);
  for (const std::size_t limit : {std::size_t{0}, std::size_t{30}, before.size() / 2}) {
    SCOPED_TRACE(limit);
    const Outcome outcome =
        Run("tunlock", {"main.c"}, {{"TARN_FAULT_WRITE_LIMIT", std::to_string(limit)}});
    EXPECT_EQ(outcome.exit, 1);
    EXPECT_NE(outcome.err.find(std::strerror(ENOSPC)), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find(" " + std::to_string(before.size()) + " bytes"), std::string::npos)
        << outcome.err;
    EXPECT_EQ(outcome.err.find(", line "), std::string::npos) << outcome.err;
    EXPECT_EQ(ReadBytes(logfile_), before);
    ExpectOnly({"logs/main.d"});
  }
  EXPECT_EQ(Run("tunlock", {"main.c"}).exit, 0);
}

TEST_F(ProgramsTest, WritableWorkfileWithoutATerminalIsLeftAlone) {
  Logfile(0).WriteTo(logfile_);
  WriteText(workfile_, "edited\n");
  Outcome outcome = Run("tget", {"main.c"});
  EXPECT_EQ(outcome.exit, 3);  // nothing was done
  EXPECT_EQ(ReadText(workfile_), "edited\n");
  // The console host says that it took "no" for want of a terminal.
  EXPECT_NE(outcome.err.find(FixedWords(msg::kNoAnswerAvailable)), std::string::npos)
      << outcome.err;
  // The preset answer of the environment replaces it.
  outcome = Run("tget", {"main.c"}, {{Word(msg::kEnvAnswer), Word(msg::kWordYes)}});
  EXPECT_EQ(outcome.exit, 0) << outcome.err;
  EXPECT_EQ(ReadText(workfile_), kTip);
}

TEST_F(ProgramsTest, CheckOutLockAndUnlockBetweenTwoUsers) {
  const std::uint16_t attributes = kAttrCheckLock | kAttrProtectWorkFile | kAttrJournalFile;
  const LogfileBuilder original = Logfile(attributes);
  original.WriteTo(logfile_);
  const std::map<std::string, std::string> alice = {{Word(msg::kEnvUserName), "alice"}};

  // bob checks out: writable workfile, lock recorded and journalled.
  Outcome outcome = Run("tget", {Opt(msg::kOptionLock), "main.c"});
  ASSERT_EQ(outcome.exit, 0) << outcome.err;
  EXPECT_NE(::access(workfile_.c_str(), W_OK), -1);
  EXPECT_NE(ReadText(dir_.File("journal.txt")).find("tget " + Opt(msg::kOptionLock)),
            std::string::npos);

  // alice can neither lock it nor unlock bob's lock nor check it out. An
  // unlock without a revision looks for her own lock only: she holds none.
  outcome = Run("tlock", {"main.c"}, alice);
  EXPECT_EQ(outcome.exit, 1);
  EXPECT_NE(outcome.err.find("bob"), std::string::npos) << outcome.err;
  outcome = Run("tunlock", {"main.c"}, alice);
  EXPECT_EQ(outcome.exit, 3);
  EXPECT_NE(outcome.out.find(FixedWords(msg::kHoldsNoLock)), std::string::npos) << outcome.out;
  outcome = Run("tunlock", {Opt(msg::kOptionRevision), "1.1", "main.c"}, alice);
  EXPECT_EQ(outcome.exit, 1);
  EXPECT_NE(outcome.err.find("bob"), std::string::npos) << outcome.err;
  const std::vector<std::uint8_t> locked = ReadBytes(logfile_);

  // A plain get by alice works and gives her a read-only copy.
  fs::remove(workfile_);
  outcome = Run("tget", {"main.c"}, alice);
  EXPECT_EQ(outcome.exit, 0) << outcome.err;
  EXPECT_EQ(::access(workfile_.c_str(), W_OK) == 0, ::geteuid() == 0);  // root writes anyway
  struct stat info {};
  ASSERT_EQ(::stat(workfile_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0222, 0u);
  EXPECT_EQ(ReadBytes(logfile_), locked);

  // bob unlocks: the revision record and the count are as before.
  outcome = Run("tunlock", {"main.c"});
  EXPECT_EQ(outcome.exit, 0) << outcome.err;
  std::vector<std::uint8_t> now = ReadBytes(logfile_);
  const std::vector<std::uint8_t> expected = original.Bytes();
  ASSERT_EQ(now.size(), expected.size());
  const std::size_t records = original.RevisionOffsets().front();
  EXPECT_TRUE(std::equal(now.begin() + static_cast<std::ptrdiff_t>(records), now.end(),
                         expected.begin() + static_cast<std::ptrdiff_t>(records)));
  EXPECT_EQ(now[kAtLockCount], 0);
}

TEST_F(ProgramsTest, RefusedLockExitsOneAndLockWithoutCheckLockExitsZero) {
  Logfile(kAttrCheckLock).WriteTo(logfile_);
  EXPECT_EQ(Run("tlock", {"main.c"}).exit, 0);
  const std::vector<std::uint8_t> locked = ReadBytes(logfile_);
  Outcome outcome = Run("tlock", {Opt(msg::kOptionRevision), "1.0", "main.c"});
  EXPECT_EQ(outcome.exit, 1);
  EXPECT_NE(outcome.err.find("1.1"), std::string::npos) << outcome.err;  // the lock bob holds
  EXPECT_EQ(ReadBytes(logfile_), locked);

  const LogfileBuilder unchecked = Logfile(0);
  unchecked.WriteTo(logfile_);
  outcome = Run("tlock", {"main.c"});
  EXPECT_EQ(outcome.exit, 0);
  EXPECT_NE(outcome.err.find(Word(msg::kLocksNotRecorded)), std::string::npos) << outcome.err;
  EXPECT_EQ(ReadBytes(logfile_), unchecked.Bytes());
  EXPECT_EQ(Run("tunlock", {"main.c"}).exit, 1);
}

TEST_F(ProgramsTest, LogfileBusyInAnotherProcess) {
  Logfile(kAttrCheckLock).WriteTo(logfile_);
  const std::vector<std::uint8_t> before = ReadBytes(logfile_);
  std::optional<platform::LockFile> held = platform::LockFile::TryAcquire(dir_.File("logs/$ain.d"));
  ASSERT_TRUE(held);
  // Every writer waits for the lock and gives up with the busy message.
  const std::vector<std::vector<std::string>> writes = {
      {"tget", Opt(msg::kOptionLock), "main.c"}, {"tlock", "main.c"}, {"tunlock", "main.c"}};
  for (const std::vector<std::string>& write : writes) {
    const Outcome outcome = Run(write[0], std::vector<std::string>(write.begin() + 1, write.end()),
                                {{Word(msg::kEnvRetryCount), "2"}});
    EXPECT_EQ(outcome.exit, 1) << write[0];
    // Who holds it, where, and how to break it when it is left over.
    EXPECT_NE(outcome.err.find("is in use by"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("tarn unlock -break main.c"), std::string::npos) << outcome.err;
  }
  EXPECT_FALSE(fs::exists(workfile_));
  EXPECT_EQ(ReadBytes(logfile_), before);
  // A plain get only reads: it neither waits for the writer nor takes its
  // lock file away.
  const Outcome read = Run("tget", {"main.c"}, {{Word(msg::kEnvRetryCount), "2"}});
  EXPECT_EQ(read.exit, 0) << read.err;
  EXPECT_TRUE(fs::exists(workfile_));
  EXPECT_TRUE(fs::exists(dir_.File("logs/$ain.d")));
  EXPECT_EQ(ReadBytes(logfile_), before);
  held->Release();
}

TEST_F(ProgramsTest, TwoUsersLockingAtOnceGetOneLock) {
  Logfile(kAttrCheckLock).WriteTo(logfile_);
  const std::map<std::string, std::string> retries = {{Word(msg::kEnvRetryCount), "10"}};
  std::map<std::string, std::string> alice = retries;
  alice[Word(msg::kEnvUserName)] = "alice";
  const pid_t first = Start("tlock", {"main.c"}, retries);
  const pid_t second = Start("tlock", {"main.c"}, alice);
  const Outcome bob_result = Wait(first);
  const Outcome alice_result = Wait(second);
  EXPECT_EQ((bob_result.exit == 0) + (alice_result.exit == 0), 1)
      << bob_result.err << alice_result.err;
  EXPECT_EQ((bob_result.exit == 1) + (alice_result.exit == 1), 1);
  const std::vector<std::uint8_t> bytes = ReadBytes(logfile_);
  EXPECT_EQ(bytes[kAtLockCount], 1);
  EXPECT_FALSE(fs::exists(dir_.File("logs/$ain.d")));
}

}  // namespace
}  // namespace tarn
