// Breaking a logfile's lock by hand: only the lock file that was read, only
// by a member of the access list, and into the journal.
#include "engine/commands/lock_break.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/commands/lock_command.h"
#include "engine/store/logfile_lock.h"
#include "engine/support/environment.h"
#include "platform/lock_record.h"
#include "tests/support/lock_holder.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

class LockBreakTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    env_.logfileDirectory = dir_.path().string();
    env_.journalPath = dir_.path().string() + "/";
    env_.journalName = "local.jnl";
    env_.retryCount = 1;
    env_.userName = "alice";
    testing::LogfileBuilder builder;
    builder.Users("alice,bob");
    builder.AddRevision({.major = 1, .minor = 0, .tip = 1, .description = "d", .data = "x\n"});
    builder.WriteTo(dir_.File("main.d"));
    args_.fileName = "main.c";
    args_.breakLock = true;
  }

  std::string LockPath() const { return dir_.File("$ain.d"); }
  std::string Journal() const {
    return fs::exists(dir_.File("local.jnl")) ? testing::ReadText(dir_.File("local.jnl")) : "";
  }

  testing::TempDir dir_;
  tarnEnvironVars env_;
  LockCommandArgs args_;
};

TEST_F(LockBreakTest, AMemberBreaksALockOfAnotherMachineAndTheJournalSaysSo) {
  platform::LockRecord far_away = testing::LockOfThisMachine(4242);
  far_away.host = "far-away";
  far_away.user = "bob";
  testing::PlantLockFile(LockPath(), far_away);
  testing::RecordingHost host;
  EXPECT_EQ(UnlockRevision(args_, env_), 1) << host.All();
  EXPECT_FALSE(fs::exists(LockPath()));
  EXPECT_TRUE(host.Saw("held by bob on far-away")) << host.All();
  EXPECT_NE(Journal().find("-break"), std::string::npos) << Journal();
  EXPECT_NE(Journal().find("main.c"), std::string::npos) << Journal();
  // The logfile can be locked again at once.
  std::optional<LogfileLock> lock = AcquireLockFile("main.c", env_);
  EXPECT_TRUE(lock) << host.All();
}

TEST_F(LockBreakTest, AnUnreadableLockFileIsBrokenWithItsContentShown) {
  testing::WriteText(LockPath(), std::string("\x1b[2Jjunk", 8));
  testing::RecordingHost host;
  EXPECT_EQ(UnlockRevision(args_, env_), 1);
  EXPECT_FALSE(fs::exists(LockPath()));
  EXPECT_TRUE(host.Saw("held \"\\x1b[2Jjunk\"")) << host.All();
}

TEST_F(LockBreakTest, SomeoneNotOnTheAccessListBreaksNothing) {
  testing::PlantLockFile(LockPath(), testing::LockOfThisMachine(4242));
  const std::string before = testing::ReadText(LockPath());
  env_.userName = "mallory";
  testing::RecordingHost host;
  EXPECT_EQ(UnlockRevision(args_, env_), -1);
  EXPECT_EQ(testing::ReadText(LockPath()), before);
  EXPECT_EQ(Journal(), "");
}

TEST_F(LockBreakTest, WithoutALockFileNothingIsDone) {
  testing::RecordingHost host;
  EXPECT_EQ(UnlockRevision(args_, env_), 2);
  EXPECT_TRUE(host.Saw("has no lock file")) << host.All();
  EXPECT_EQ(Journal(), "");
}

TEST(LockBreakCommandLine, OnlyUnlockTakesTheBreakOption) {
  testing::LoadCatalogue();
  testing::RecordingHost host;
  LockCommandArgs args;
  const std::vector<std::string> unlock = {"tunlock", "-break", "main.c"};
  ASSERT_EQ(ParseUnlockCommandLine(unlock, args), 1);
  EXPECT_TRUE(args.breakLock);
  EXPECT_EQ(args.fileName, "main.c");
  EXPECT_EQ(ParseLockCommandLine(unlock, args), -1);
  EXPECT_FALSE(args.breakLock);
  const std::vector<std::string> twice = {"tunlock", "-break", "-break", "main.c"};
  EXPECT_EQ(ParseUnlockCommandLine(twice, args), -1);
}

}  // namespace
}  // namespace tarn
