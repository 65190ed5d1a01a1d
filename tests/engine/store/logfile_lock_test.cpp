// The logfile lock through the engine's own routines, with real processes
// holding, contending for and abandoning it.
#include "engine/store/logfile_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::RecordingHost;
using testing::TempDir;

// The workfile "main.c" has the logfile "main.d"; its lock file replaces the
// first letter of the logfile's name by '$'.
constexpr const char* kWorkfile = "main.c";
constexpr const char* kLogfileName = "main.d";
constexpr const char* kLockFileName = "$ain.d";

// Reports from child processes go nowhere: the parent judges them by their
// exit status.
class SilentHost final : public Host {
 public:
  void ReportMessage(std::string_view, int) override {}
  std::string AskQuestion() override { return ""; }
};

class LogfileLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    env_.logfileDirectory = dir_.path().string();
    env_.retryCount = 4;
  }

  std::string LockPath() const { return dir_.File(kLockFileName); }
  std::string LogfilePath() const { return dir_.File(kLogfileName); }

  // Starts a process that takes the lock and keeps it until killed. Returns
  // once the child holds it.
  pid_t StartHolder() {
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(ready[0]);
      SilentHost silent;
      SetHost(&silent);
      std::optional<LogfileLock> lock = AcquireLockFile(kWorkfile, env_);
      const char state = lock ? 'H' : 'F';
      if (::write(ready[1], &state, 1) != 1) ::_exit(3);
      while (true) ::pause();
    }
    ::close(ready[1]);
    char state = 0;
    EXPECT_EQ(::read(ready[0], &state, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(state, 'H') << "the holder did not get the lock";
    return child;
  }

  static void Kill(pid_t child, int signal) {
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
  }

  TempDir dir_;
  tarnEnvironVars env_;
};

TEST_F(LogfileLockTest, LockFileExistsExactlyWhileHeld) {
  RecordingHost host;
  {
    std::optional<LogfileLock> lock = AcquireLockFile(kWorkfile, env_);
    ASSERT_TRUE(lock.has_value()) << host.All();
    EXPECT_TRUE(std::filesystem::exists(LockPath()));
    EXPECT_EQ(std::filesystem::path(lock->LockFilePath()).filename(), kLockFileName);
    EXPECT_EQ(std::filesystem::path(lock->LogfilePath()).filename(), kLogfileName);

    // A second command, even in this process, cannot take it.
    env_.retryCount = 1;
    EXPECT_FALSE(AcquireLockFile(kWorkfile, env_).has_value());
    EXPECT_TRUE(host.Saw(kWorkfile)) << host.All();

    ReleaseLockFile(lock);
    EXPECT_FALSE(lock.has_value());
    EXPECT_FALSE(std::filesystem::exists(LockPath()));
  }
  {
    // Leaving the scope releases too: an early return cannot leave it behind.
    std::optional<LogfileLock> lock = AcquireLockFile(kWorkfile, env_);
    ASSERT_TRUE(lock.has_value());
  }
  EXPECT_FALSE(std::filesystem::exists(LockPath()));
  // Other workfiles have other lock files.
  std::optional<LogfileLock> first = AcquireLockFile("one.c", env_);
  std::optional<LogfileLock> second = AcquireLockFile("two.c", env_);
  EXPECT_TRUE(first && second);
}

TEST_F(LogfileLockTest, MissingDirectoryIsReported) {
  RecordingHost host;
  env_.logfileDirectory = dir_.File("missing");
  EXPECT_FALSE(AcquireLockFile(kWorkfile, env_).has_value());
  // The refusal, then how to make the directory or name another.
  ASSERT_GE(host.messages().size(), 1u);
  EXPECT_EQ(host.messages()[0].kind, kAlert);
  EXPECT_TRUE(host.Saw(dir_.File("missing"))) << host.All();
}

TEST_F(LogfileLockTest, RetryCountOfZeroOrLessMakesNoAttempt) {
  for (const std::int16_t count : {std::int16_t{0}, std::int16_t{-3}}) {
    RecordingHost host;
    env_.retryCount = count;
    EXPECT_FALSE(AcquireLockFile(kWorkfile, env_).has_value());
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].kind, kAlert);
    EXPECT_TRUE(host.Saw(kWorkfile));
    EXPECT_FALSE(std::filesystem::exists(LockPath()));
  }
}

// Releasing the lock never touches the logfile: a writer's replacement is
// made with the mode its attributes ask, and changing the mode of a logfile
// would need its owner.
TEST_F(LogfileLockTest, ReleaseLeavesTheLogfilesModeAlone) {
  for (const bool writable : {true, false}) {
    testing::WriteText(LogfilePath(), "logfile");
    std::filesystem::permissions(
        LogfilePath(), std::filesystem::perms::owner_write,
        writable ? std::filesystem::perm_options::add : std::filesystem::perm_options::remove);
    const auto before = std::filesystem::status(LogfilePath()).permissions();
    std::optional<LogfileLock> lock = AcquireLockFile(kWorkfile, env_);
    ASSERT_TRUE(lock);
    env_.attributes = writable ? kAttrProtectLogFile | kAttrCheckLock : kAttrCheckLock;
    EXPECT_TRUE(ReleaseLockFile(lock));
    EXPECT_EQ(std::filesystem::status(LogfilePath()).permissions(), before);
    EXPECT_FALSE(std::filesystem::exists(LockPath()));
    std::filesystem::permissions(LogfilePath(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    std::filesystem::remove(LogfilePath());
  }
}

TEST_F(LogfileLockTest, ContenderGivesUpWhileAnotherProcessHoldsTheLock) {
  const pid_t holder = StartHolder();
  RecordingHost host;
  env_.retryCount = 3;
  const auto start = std::chrono::steady_clock::now();
  const std::optional<LogfileLock> lock = AcquireLockFile(kWorkfile, env_);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(lock.has_value());
  // Three tries, each failed one followed by a second's wait.
  EXPECT_GE(waited, std::chrono::milliseconds(2900));
  ASSERT_EQ(host.messages().size(), 1u) << host.All();
  EXPECT_EQ(host.messages()[0].kind, kAlert);
  EXPECT_TRUE(host.Saw(kWorkfile));
  // The holder's lock file survived every failed try.
  EXPECT_TRUE(std::filesystem::exists(LockPath()));
  Kill(holder, SIGTERM);
}

// A user who may read the logfile directory but not write in it is told so
// at once; nobody holds the logfile, so waiting and "in use" would mislead.
TEST_F(LogfileLockTest, DirectoryWithoutWritePermissionIsReportedWithoutWaiting) {
  namespace fs = std::filesystem;
  fs::permissions(dir_.path(), fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
  if (::geteuid() != 0)
    fs::permissions(dir_.path(), fs::perms::owner_write, fs::perm_options::remove);
  const pid_t child = ::fork();
  if (child == 0) {
    // Root writes anywhere: the attempt runs as an ordinary user.
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
    RecordingHost host;
    const auto start = std::chrono::steady_clock::now();
    const bool locked = AcquireLockFile(kWorkfile, env_).has_value();
    const auto waited = std::chrono::steady_clock::now() - start;
    if (locked) ::_exit(11);
    if (host.messages().size() != 1 || host.messages()[0].kind != kAlert) ::_exit(12);
    if (!host.Saw("cannot be locked") || !host.Saw(dir_.path().string())) ::_exit(13);
    if (waited >= std::chrono::seconds(1)) ::_exit(14);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  fs::permissions(dir_.path(), fs::perms::owner_all);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no ordinary user, 11: locked, 12: messages, "
                                       "13: text, 14: waited";
  EXPECT_FALSE(fs::exists(LockPath()));
}

TEST_F(LogfileLockTest, LockOfAKilledHolderIsClearedByTheNextCommand) {
  const pid_t holder = StartHolder();
  Kill(holder, SIGKILL);
  ASSERT_TRUE(std::filesystem::exists(LockPath())) << "kill -9 leaves the lock file behind";

  RecordingHost host;
  std::optional<LogfileLock> lock = AcquireLockFile(kWorkfile, env_);
  ASSERT_TRUE(lock.has_value()) << host.All();
  EXPECT_TRUE(host.messages().empty()) << host.All();
  ReleaseLockFile(lock);
  EXPECT_FALSE(std::filesystem::exists(LockPath()));
}

int ReadCounter(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return -1;
  int value = -1;
  if (std::fscanf(file, "%d", &value) != 1) value = -1;
  std::fclose(file);
  return value;
}

bool WriteCounter(const std::string& path, int value) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  const bool written = std::fprintf(file, "%d\n", value) > 0;
  return std::fclose(file) == 0 && written;
}

TEST_F(LogfileLockTest, ProcessesHoldingTheLockInTurnLoseNoIncrement) {
  constexpr int kProcesses = 4;
  constexpr int kRounds = 40;
  const std::string counter = dir_.File("counter");
  ASSERT_TRUE(WriteCounter(counter, 0));

  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t child = ::fork();
    if (child == 0) {
      SilentHost silent;
      SetHost(&silent);
      env_.retryCount = 1;  // one try per call; this loop does the waiting
      for (int round = 0; round < kRounds; ++round) {
        std::optional<LogfileLock> lock;
        while (!(lock = AcquireLockFile(kWorkfile, env_))) {
        }
        const int value = ReadCounter(counter);
        if (value < 0 || !WriteCounter(counter, value + 1)) ::_exit(2);
      }
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  EXPECT_EQ(ReadCounter(counter), kProcesses * kRounds);
  EXPECT_FALSE(std::filesystem::exists(LockPath()));
}

}  // namespace
}  // namespace tarn
