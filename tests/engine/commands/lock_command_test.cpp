// The lock and unlock commands on logfiles written by the tests' own
// builder: the rules, the bytes they change in place, and the failures that
// must leave the logfile as it was.
#include "engine/commands/lock_command.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/store/disk_names.h"
#include "engine/support/environment.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "platform/lock_file.h"
#include "platform/paths.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LoadCatalogue;
using testing::LogfileBuilder;
using testing::ReadBytes;
using testing::ReadText;
using testing::RecordingHost;
using testing::BuiltRevision;
using testing::TempDir;

constexpr std::uint16_t kLockingAttributes = kAttrCheckLock | kAttrJournalFile;
constexpr std::uint32_t kStoredUpdateTime = 1'000'000;

// Users: alice (index 0), bob (1), carol (2, in the modifier list only), and
// dave in the access list only.
struct Lockers {
  std::int16_t tip = 0;     // locker of 1.2 (0: unlocked, else index + 1)
  std::int16_t branch = 0;  // locker of 1.1.1.2
  std::int16_t oldest = 0;  // locker of 1.0
};

// 1.2 (tip), 1.1, 1.1.1.1, 1.1.1.2 (branch tip), 1.0 in file order. The data
// of the older records is empty: the lock commands never rebuild a text.
LogfileBuilder Logfile(std::uint16_t attributes, Lockers lockers = {}, bool with_default = false) {
  LogfileBuilder b;
  b.Attributes(attributes).Access("alice,bob,dave").Modifiers("alice,bob,carol").Owner("alice");
  b.SupplementalInfo(platform::FullPathName("main.c"), 0, kStoredUpdateTime, 0);
  auto lock = [](BuiltRevision revision, std::int16_t locker) {
    revision.locked = locker > 0 ? 1 : 0;
    revision.lockerIndex = locker > 0 ? static_cast<std::int16_t>(locker - 1) : 0;
    return revision;
  };
  b.AddRevision(lock({.major = 1,
                      .minor = 2,
                      .tip = 1,
                      .putDate = 300,
                      .description = "third",
                      .data = "text of 1.2\n"},
                     lockers.tip));
  b.AddRevision(
      {.major = 1, .minor = 1, .branchCount = 1, .putDate = 200, .description = "second"});
  b.AddRevision({.major = 1, .minor = 1, .depth = 1, .putDate = 210, .description = "b1"});
  b.AddRevision(
      lock({.major = 1, .minor = 2, .depth = 1, .tip = 1, .putDate = 220, .description = "b2"},
           lockers.branch));
  b.AddRevision(
      lock({.major = 1, .minor = 0, .putDate = 100, .description = "first"}, lockers.oldest));
  // The stored default names branch 1.1.1 and asks for its newest revision,
  // as the modify-header command stores it.
  if (with_default) b.DefaultRevisionWithFlags({{0, 1, 0, 1}, {0, 1, 2, -1}});
  return b;
}

class LockCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadCatalogue();
    std::filesystem::create_directory(dir_.path() / "logs");
    std::filesystem::create_directory(dir_.path() / "tmp");
    env_.logfileDirectory = dir_.File("logs");
    env_.tempDirectory = dir_.File("tmp") + "/";
    env_.journalPath = dir_.File("");
    env_.journalName = "journal.txt";
    env_.userName = "bob";
    env_.retryCount = 1;
    logfile_ = *LogfileNameFromWorkfile("main.c", env_.logfileDirectory);
  }

  void Write(const LogfileBuilder& builder) { builder.WriteTo(logfile_); }

  int Run(bool lock, std::vector<std::string> words = {"main.c"}) {
    const ScopedProgramLabel label(lock ? "tlock" : "tunlock");
    words.insert(words.begin(), lock ? "tlock" : "tunlock");
    LockCommandArgs args;
    const int parsed =
        lock ? ParseLockCommandLine(words, args) : ParseUnlockCommandLine(words, args);
    EXPECT_EQ(parsed, 1);
    return lock ? LockRevision(args, env_) : UnlockRevision(args, env_);
  }

  std::string Journal() const { return ReadText(dir_.File("journal.txt")); }

  // The messages reported, as "kind: text" lines.
  // The texts reported, less the note that names the user `user` and the
  // variable that sets it.
  std::vector<std::string> WithoutIdentityNote(const std::string& user) const {
    const std::string note = FormatMessage(msg::kIdentityNote, user,
                                           std::string_view(MessageText(msg::kEnvUserName.number)));
    std::vector<std::string> texts;
    for (const auto& message : host_.messages()) {
      if (message.text != note) texts.push_back(message.text);
    }
    return texts;
  }

  std::string Messages() const { return host_.All(); }

  TempDir dir_;
  RecordingHost host_;
  tarnEnvironVars env_;
  std::string logfile_;
};

TEST_F(LockCommandTest, LockWithoutRevisionLocksTheNewestTrunkRevision) {
  Write(Logfile(kLockingAttributes));
  ASSERT_EQ(Run(true), 1) << Messages();

  // Expected bytes: 1.2 locked by bob (index 1), one lock counted, and the
  // supplemental info naming bob as last modifier, keeping the stored time.
  LogfileBuilder expected = Logfile(kLockingAttributes, {.tip = 2});
  expected.SupplementalInfo(platform::FullPathName("main.c"), 1, kStoredUpdateTime, 0);
  EXPECT_EQ(ReadBytes(logfile_), expected.Bytes());
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].kind, kStatus);
  {
    const ScopedProgramLabel label("tlock");
    EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kLocked, "1.2", "main.c", "bob"));
  }
  // The journal gets the command line the lock amounts to.
  const std::string echo =
      "tlock -" + std::string(MessageText(msg::kOptionRevision.number)) + " 1.2 main.c";
  EXPECT_NE(Journal().find(echo), std::string::npos) << Journal();
  EXPECT_NE(Journal().find(",bob,"), std::string::npos);
  // The lock file is gone again.
  EXPECT_FALSE(std::filesystem::exists(LockFileName(logfile_)));
}

TEST_F(LockCommandTest, DefaultBranchAndGivenBranchLockTheBranchTip) {
  Write(Logfile(kLockingAttributes, {}, /*with_default=*/true));
  ASSERT_EQ(Run(true), 1) << Messages();
  LogfileBuilder expected = Logfile(kLockingAttributes, {.branch = 2}, true);
  expected.SupplementalInfo(platform::FullPathName("main.c"), 1, kStoredUpdateTime, 0);
  EXPECT_EQ(ReadBytes(logfile_), expected.Bytes());
  EXPECT_TRUE(host_.Saw("1.1.1.2"));

  // Unlock it naming the branch, which stands for its newest revision.
  host_.Clear();
  ASSERT_EQ(
      Run(false, {"-" + std::string(MessageText(msg::kOptionRevision.number)), "1.1.1", "main.c"}),
      1)
      << Messages();
  EXPECT_TRUE(host_.messages().empty()) << Messages();
  LogfileBuilder unlocked = Logfile(kLockingAttributes, {}, true);
  unlocked.SupplementalInfo(platform::FullPathName("main.c"), 1, kStoredUpdateTime, 0);
  EXPECT_EQ(ReadBytes(logfile_), unlocked.Bytes());
}

TEST_F(LockCommandTest, RefusedLocksFailAndChangeNothing) {
  struct Case {
    const char* what;
    Lockers lockers;
    std::string user;
    std::vector<std::string> words;
    std::string expected_message;
  };
  const std::string rev = "-" + std::string(MessageText(msg::kOptionRevision.number));
  const ScopedProgramLabel label("tlock");
  const std::vector<Case> cases = {
      {"locked by alice",
       {.tip = 1},
       "bob",
       {"main.c"},
       FormatMessage(msg::kAlreadyLocked, "main.c", "alice")},
      // Locking what one holds already is "locked already", not "another lock".
      {"held by bob",
       {.tip = 2},
       "bob",
       {"main.c"},
       FormatMessage(msg::kAlreadyLocked, "main.c", "bob")},
      {"bob holds 1.0",
       {.oldest = 2},
       "bob",
       {"main.c"},
       FormatMessage(msg::kUserHoldsLock, "1.0")},
      {"not in the access list",
       {},
       "carol",
       {"main.c"},
       FormatMessage(msg::kLockNotInAccessList, "main.c")},
      {"not in the modifier list",
       {},
       "dave",
       {"main.c"},
       FormatMessage(msg::kUserNotInModifierList)},
      {"no such revision",
       {},
       "bob",
       {rev, "1.7", "main.c"},
       FormatMessage(msg::kRevisionNotFound, "1.7")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host_.Clear();
    const LogfileBuilder before = Logfile(kLockingAttributes, c.lockers);
    Write(before);
    env_.userName = c.user;
    EXPECT_EQ(Run(true, c.words), -1);
    EXPECT_EQ(ReadBytes(logfile_), before.Bytes());
    const std::vector<std::string> refusals = WithoutIdentityNote(c.user);
    ASSERT_FALSE(refusals.empty());
    // The refusal may be followed by a line saying how to get past it.
    EXPECT_NE(std::find(refusals.begin(), refusals.end(), c.expected_message), refusals.end())
        << Messages();
    EXPECT_EQ(host_.messages().back().kind, kAlert);
    // A refusal that turns on who the user is names the user, too.
    const std::string what = c.what;
    const bool turnsOnTheUser = what == "locked by alice" || what == "not in the access list" ||
                                what == "not in the modifier list";
    EXPECT_EQ(refusals.size() < host_.messages().size(), turnsOnTheUser) << Messages();
    EXPECT_FALSE(std::filesystem::exists(dir_.File("journal.txt")));
  }
}

TEST_F(LockCommandTest, WithoutCheckLockLockSucceedsAndUnlockFails) {
  const LogfileBuilder before = Logfile(kAttrJournalFile);
  Write(before);
  EXPECT_EQ(Run(true), 1);
  EXPECT_EQ(ReadBytes(logfile_), before.Bytes());
  {
    const ScopedProgramLabel label("tlock");
    ASSERT_EQ(host_.messages().size(), 1u);
    EXPECT_EQ(host_.messages()[0].text,
              FormatMessage(msg::kCheckLockOff, "main.c",
                            std::string_view(MessageText(msg::kLocksNotRecorded.number))));
  }
  host_.Clear();
  EXPECT_EQ(Run(false), -1);
  EXPECT_EQ(ReadBytes(logfile_), before.Bytes());
  EXPECT_TRUE(host_.Saw(MessageText(msg::kLocksNotRecorded.number)));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("journal.txt")));
}

TEST_F(LockCommandTest, UnlockRules) {
  const ScopedProgramLabel label("tunlock");
  const std::string rev = "-" + std::string(MessageText(msg::kOptionRevision.number));
  struct Case {
    const char* what;
    Lockers lockers;
    std::string user;
    std::vector<std::string> words;
    int result;
    std::string expected_message;
  };
  const std::vector<Case> cases = {
      {"held by alice, named",
       {.tip = 1},
       "bob",
       {rev, "1.2", "main.c"},
       -1,
       FormatMessage(msg::kLockedByOther, "1.2", "main.c", "alice")},
      // Without a revision only the user's own lock is looked for.
      {"held by alice, none named",
       {.tip = 1},
       "bob",
       {"main.c"},
       2,
       FormatMessage(msg::kHoldsNoLock, "main.c")},
      {"no locks at all", {}, "bob", {"main.c"}, 2, FormatMessage(msg::kNoLocks, "main.c")},
      {"another revision locked, named",
       {.oldest = 2},
       "bob",
       {rev, "1.2", "main.c"},
       2,
       FormatMessage(msg::kNotLocked, "1.2", "main.c")},
      {"not in the access list",
       {.tip = 2},
       "carol",
       {"main.c"},
       -1,
       FormatMessage(msg::kNotInAccessList, "tunlock")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host_.Clear();
    const LogfileBuilder before = Logfile(kLockingAttributes, c.lockers);
    Write(before);
    env_.userName = c.user;
    EXPECT_EQ(Run(false, c.words), c.result);
    EXPECT_EQ(ReadBytes(logfile_), before.Bytes());
    const std::vector<std::string> refusals = WithoutIdentityNote(c.user);
    ASSERT_FALSE(refusals.empty()) << Messages();
    EXPECT_EQ(refusals[0], c.expected_message) << Messages();
  }
}

// Without a revision, unlock finds the user's lock wherever it is: on an old
// trunk revision, on a branch, while another user holds the tip.
TEST_F(LockCommandTest, UnlockWithoutRevisionReleasesTheUsersOwnLock) {
  struct Case {
    const char* what;
    Lockers held;
    Lockers left;
  };
  const std::vector<Case> cases = {
      {"oldest trunk revision", {.oldest = 2}, {}},
      {"branch tip", {.branch = 2}, {}},
      {"branch tip, alice on the trunk tip", {.tip = 1, .branch = 2}, {.tip = 1}},
      {"oldest, alice on the branch", {.branch = 1, .oldest = 2}, {.branch = 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host_.Clear();
    Write(Logfile(kLockingAttributes, c.held));
    env_.userName = "bob";
    ASSERT_EQ(Run(false), 1) << Messages();
    EXPECT_EQ(ReadBytes(logfile_), Logfile(kLockingAttributes, c.left).Bytes());
  }
}

TEST_F(LockCommandTest, UnlockByTheHolderClearsTheRecordAndTheCount) {
  Write(Logfile(kLockingAttributes, {.tip = 2, .oldest = 1}));
  ASSERT_EQ(Run(false), 1) << Messages();
  // The count goes from 2 to 1; the supplemental info is not touched.
  EXPECT_EQ(ReadBytes(logfile_), Logfile(kLockingAttributes, {.oldest = 1}).Bytes());
  const std::string echo =
      "tunlock -" + std::string(MessageText(msg::kOptionRevision.number)) + " 1.2 main.c";
  EXPECT_NE(Journal().find(echo), std::string::npos) << Journal();
}

TEST_F(LockCommandTest, DamagedOrBusyLogfilesFailWithoutChanges) {
  // Cut short in the middle of the last record's head.
  const LogfileBuilder whole = Logfile(kLockingAttributes, {.oldest = 2});
  std::vector<std::uint8_t> bytes = whole.Bytes();
  bytes.resize(whole.RevisionOffsets().back() + 10);
  testing::WriteBytes(logfile_, bytes);
  EXPECT_EQ(Run(true), -1);
  EXPECT_EQ(ReadBytes(logfile_), bytes);
  // Reported as damage, not as a failed read.
  EXPECT_TRUE(host_.Saw("damaged")) << Messages();

  // A missing logfile.
  host_.Clear();
  std::filesystem::remove(logfile_);
  EXPECT_EQ(Run(true), -1);
  EXPECT_FALSE(host_.messages().empty());
  EXPECT_FALSE(std::filesystem::exists(logfile_));

  // Another command holds the logfile's lock file.
  host_.Clear();
  const LogfileBuilder before = Logfile(kLockingAttributes);
  Write(before);
  std::optional<platform::LockFile> other = platform::LockFile::TryAcquire(LockFileName(logfile_));
  ASSERT_TRUE(other);
  EXPECT_EQ(Run(true), -1);
  EXPECT_EQ(ReadBytes(logfile_), before.Bytes());
  {
    const ScopedProgramLabel label("tlock");
    EXPECT_TRUE(host_.Saw("logfile 'main.c' is in use by")) << Messages();
  }
  other->Release();
  EXPECT_EQ(Run(true), 1) << Messages();
}

}  // namespace
}  // namespace tarn
