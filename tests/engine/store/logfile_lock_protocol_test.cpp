// The logfile lock on a directory shared with other machines: what the busy
// message says, which lock files are left alone, and that a command whose
// lock was taken from it, or whose logfile changed under it, renames
// nothing into place and removes nobody else's files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/format/logfile_header_io.h"
#include "engine/store/disk_names.h"
#include "engine/store/logfile_lock.h"
#include "engine/store/logfile_open.h"
#include "engine/store/logfile_replace.h"
#include "engine/store/logfile_rewrite.h"
#include "platform/clock.h"
#include "platform/lock_file_system.h"
#include "platform/lock_record.h"
#include "tests/support/lock_holder.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::LogfileBuilder;
using testing::RecordingHost;

constexpr const char* kWorkfile = "main.c";

std::vector<std::uint8_t> LogfileWith(const std::string& text) {
  LogfileBuilder builder;
  builder.AddRevision({.major = 1, .minor = 1, .tip = 1, .description = "d", .data = text});
  return builder.Bytes();
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  testing::WriteText(path, std::string(bytes.begin(), bytes.end()));
}

class LogfileLockProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    env_.logfileDirectory = dir_.path().string();
    env_.retryCount = 1;
    env_.userName = "ann";
    logfile_ = dir_.File("main.d");
    lock_path_ = dir_.File("$ain.d");
    WriteBytes(logfile_, LogfileWith("first\n"));
  }

  static platform::LockRecord ThisMachine() { return testing::LockOfThisMachine(::getpid()); }

  void Plant(const platform::LockRecord& record) { testing::PlantLockFile(lock_path_, record); }

  // Takes the lock and opens the logfile under it, as a command does.
  std::optional<LogfileLock> LockAndRead() {
    std::optional<LogfileLock> lock = AcquireLockFile(kWorkfile, env_);
    if (!lock) return lock;
    std::string path;
    EXPECT_TRUE(OpenLogfile(kWorkfile, env_, path).has_value());
    return lock;
  }

  // A replacement holding a whole logfile, ready to commit.
  std::optional<LogfileReplacement> Replacement(const std::string& text) {
    std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(logfile_);
    if (replacement) {
      EXPECT_TRUE(replacement->file().WriteAll(LogfileWith(text)));
    }
    return replacement;
  }

  testing::TempDir dir_;
  tarnEnvironVars env_;
  std::string logfile_;
  std::string lock_path_;
};

TEST_F(LogfileLockProtocolTest, ALockOfAnotherMachineStaysAndItsHolderIsNamed) {
  platform::LockRecord other = ThisMachine();
  other.host = "far-away";
  other.bootId = "another-boot";
  other.pid = ::getpid();  // a process id that runs here means nothing there
  other.time = platform::CurrentTime() - 3725;
  Plant(other);
  const std::string before = testing::ReadText(lock_path_);
  RecordingHost host;
  EXPECT_FALSE(AcquireLockFile(kWorkfile, env_));
  EXPECT_TRUE(host.Saw("bob on far-away")) << host.All();
  EXPECT_TRUE(host.Saw("1:02:0")) << host.All();  // about an hour and two minutes
  EXPECT_TRUE(host.Saw("tarn unlock -break main.c")) << host.All();
  EXPECT_EQ(testing::ReadText(lock_path_), before);
}

TEST_F(LogfileLockProtocolTest, AClockHoursAheadIsSaidAndDecidesNothing) {
  platform::LockRecord other = ThisMachine();
  other.host = "fast-clock";
  other.time = platform::CurrentTime() + 2 * 3600;
  Plant(other);
  RecordingHost host;
  EXPECT_FALSE(AcquireLockFile(kWorkfile, env_));
  EXPECT_TRUE(host.Saw("clock is 2:00:0") || host.Saw("clock is 1:59:5")) << host.All();
  EXPECT_TRUE(fs::exists(lock_path_));
}

TEST_F(LogfileLockProtocolTest, ALockOfAnEndedProcessHereIsClearedWithItsOwnLeftoversOnly) {
  platform::LockRecord dead = ThisMachine();
  dead.pid = testing::EndedProcessId();
  Plant(dead);
  const std::string its_replacement = ReplacementFileName(logfile_, LockTag(dead.token));
  const std::string its_backup =
      BackupFileName(logfile_, BackupName::kFirstCharacterReplaced, LockTag(dead.token));
  const std::string someone_elses = ReplacementFileName(logfile_, "0123456789abcdef");
  const std::string untagged = ReplacementFileName(logfile_);
  for (const std::string& path : {its_replacement, its_backup, someone_elses, untagged}) {
    testing::WriteText(path, "half a logfile");
  }
  RecordingHost host;
  std::optional<LogfileLock> lock = AcquireLockFile(kWorkfile, env_);
  ASSERT_TRUE(lock) << host.All();
  EXPECT_FALSE(fs::exists(its_replacement));
  EXPECT_FALSE(fs::exists(its_backup));
  EXPECT_TRUE(fs::exists(someone_elses));
  EXPECT_TRUE(fs::exists(untagged));
  ReleaseLockFile(lock);
  EXPECT_FALSE(fs::exists(lock_path_));
}

TEST_F(LogfileLockProtocolTest, LockFilesThatCannotBeReadAreShownSafelyAndLeftAlone) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "holds \"\""},
      {"TARN lock file 1\nhost x\n", "holds \"TARN lock file 1\\nhost x\\n\""},
      {std::string("\x1b]0;owned\x07\n", 11), "holds \"\\x1b]0;owned\\x07\\n\""},
  };
  for (const auto& [content, shown] : cases) {
    SCOPED_TRACE(shown);
    testing::WriteText(lock_path_, content);
    RecordingHost host;
    EXPECT_FALSE(AcquireLockFile(kWorkfile, env_));
    EXPECT_TRUE(host.Saw(shown)) << host.All();
    EXPECT_TRUE(host.Saw("tarn unlock -break main.c")) << host.All();
    EXPECT_EQ(testing::ReadText(lock_path_), content);
  }
}

TEST_F(LogfileLockProtocolTest, ACommitUnderAWholeLockReplacesTheLogfile) {
  RecordingHost host;
  std::optional<LogfileLock> lock = LockAndRead();
  ASSERT_TRUE(lock) << host.All();
  std::optional<LogfileReplacement> replacement = Replacement("second\n");
  ASSERT_TRUE(replacement);
  EXPECT_NE(replacement->path().find(LockTag(lock->Token())), std::string::npos);
  EXPECT_EQ(replacement->Commit(false), 1) << host.All();
  const std::vector<std::uint8_t> expected = LogfileWith("second\n");
  EXPECT_EQ(testing::ReadText(logfile_), std::string(expected.begin(), expected.end()));
}

TEST_F(LogfileLockProtocolTest, AHolderWhoseTokenWasReplacedRenamesNothing) {
  std::optional<LogfileLock> lock = LockAndRead();
  ASSERT_TRUE(lock);
  std::optional<LogfileReplacement> replacement = Replacement("second\n");
  ASSERT_TRUE(replacement);
  // Broken by hand meanwhile and taken by a member on another machine.
  platform::LockRecord other = ThisMachine();
  other.host = "other";
  Plant(other);
  const std::string theirs = testing::ReadText(lock_path_);
  const std::string before = testing::ReadText(logfile_);
  RecordingHost host;
  EXPECT_EQ(replacement->Commit(false), -1);
  EXPECT_TRUE(host.Saw("no longer holds this command's lock")) << host.All();
  EXPECT_EQ(testing::ReadText(logfile_), before);
  EXPECT_FALSE(fs::exists(replacement->path()));
  ReleaseLockFile(lock);
  EXPECT_EQ(testing::ReadText(lock_path_), theirs);
}

TEST_F(LogfileLockProtocolTest, ALogfileChangedMeanwhileIsNotReplacedNorCalledPutBack) {
  std::optional<LogfileLock> lock = LockAndRead();
  ASSERT_TRUE(lock);
  // A writer that did not respect the lock put its own logfile in place.
  WriteBytes(logfile_, LogfileWith("someone else's\n"));
  const std::string theirs = testing::ReadText(logfile_);
  std::optional<LogfileRewrite> rewrite =
      LogfileRewrite::Begin(logfile_, BackupName::kFirstCharacterReplaced);
  ASSERT_TRUE(rewrite);
  std::optional<platform::File> old =
      platform::File::Open(logfile_, platform::OpenMode::kRead);
  ASSERT_TRUE(old);
  LogfileHeader header;
  ASSERT_EQ(ReadLogfileHeader(*old, header), 1);
  RecordingHost host;
  EXPECT_EQ(rewrite->Finish(*old, *old->Tell(), header), -1);
  EXPECT_TRUE(host.Saw("was changed by someone else")) << host.All();
  EXPECT_FALSE(host.Saw("put back")) << host.All();
  EXPECT_EQ(testing::ReadText(logfile_), theirs);
  EXPECT_FALSE(fs::exists(rewrite->ReplacementPath()));
  EXPECT_FALSE(fs::exists(rewrite->BackupPath()));
}

TEST_F(LogfileLockProtocolTest, AReplacementThatDoesNotParseIsNotRenamed) {
  std::optional<LogfileLock> lock = LockAndRead();
  ASSERT_TRUE(lock);
  std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(logfile_);
  ASSERT_TRUE(replacement);
  std::vector<std::uint8_t> cut = LogfileWith("second\n");
  cut.resize(cut.size() - 3);
  ASSERT_TRUE(replacement->file().WriteAll(cut));
  const std::string before = testing::ReadText(logfile_);
  RecordingHost host;
  EXPECT_EQ(replacement->Commit(false), -1);
  EXPECT_TRUE(host.Saw("does not read back as a whole logfile")) << host.All();
  EXPECT_EQ(testing::ReadText(logfile_), before);
}

TEST_F(LogfileLockProtocolTest, AnotherHoldersReplacementIsNeverRemoved) {
  // Another command (on another machine, its lock since broken) is still
  // writing its replacement.
  const std::string theirs = ReplacementFileName(logfile_, "00aa00aa00aa00aa");
  testing::WriteText(theirs, "their half-written logfile");
  std::optional<LogfileLock> lock = LockAndRead();
  ASSERT_TRUE(lock);
  {
    std::optional<LogfileReplacement> abandoned = Replacement("never\n");
    ASSERT_TRUE(abandoned);
  }
  std::optional<LogfileReplacement> replacement = Replacement("second\n");
  ASSERT_TRUE(replacement);
  EXPECT_EQ(replacement->Commit(false), 1);
  ReleaseLockFile(lock);
  EXPECT_EQ(testing::ReadText(theirs), "their half-written logfile");
}

}  // namespace
}  // namespace tarn
