// The lock protocol on a shared directory where machines share names and
// nothing else (no advisory locks, a hard link is a copy): who may clear a
// lock, who never may, and what a holder whose lock was taken does.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/lock_file.h"
#include "platform/lock_record.h"
#include "tests/support/fake_lock_file_system.h"

namespace tarn::platform {
namespace {

using testing::FakeClient;
using testing::FakeMachine;
using testing::FakeShare;

constexpr char kLock[] = "logs/$ain.d";

class LockProtocolTest : public ::testing::Test {
 protected:
  LockProtocolTest() {
    first_.host = "alpha";
    first_.bootId = "boot-alpha-2";
    second_.host = "beta";
    second_.bootId = "boot-beta-7";
  }

  std::optional<LockFile> Take(FakeClient& client, LockAttempt& attempt,
                               const std::string& user = "ann") {
    return LockFile::Attempt(kLock, user, attempt, client);
  }

  // A lock file as a process of `machine` would have left it.
  void PlantLock(const FakeMachine& machine, std::int64_t pid, std::uint64_t start,
                 std::int64_t time, const std::string& token = std::string(32, 'e')) {
    LockRecord record;
    record.host = machine.host;
    record.bootId = machine.bootId;
    record.pidNamespace = "pid:[1]";
    record.pid = pid;
    record.startTicks = start;
    record.user = "bob";
    record.time = time;
    record.token = token;
    share_.files[kLock] = EncodeLockRecord(record);
  }

  FakeShare share_;
  FakeMachine first_;
  FakeMachine second_;
};

TEST_F(LockProtocolTest, TheHolderReadsItsOwnTokenBackAndReleases) {
  FakeClient client(share_, first_, 10, 100);
  LockAttempt attempt;
  std::optional<LockFile> lock = Take(client, attempt);
  ASSERT_TRUE(lock);
  EXPECT_EQ(attempt.outcome, LockOutcome::kAcquired);
  const std::optional<LockRecord> written = DecodeLockRecord(share_.files.at(kLock));
  ASSERT_TRUE(written);
  EXPECT_EQ(written->host, "alpha");
  EXPECT_EQ(written->bootId, "boot-alpha-2");
  EXPECT_EQ(written->pid, 10);
  EXPECT_EQ(written->startTicks, 100u);
  EXPECT_EQ(written->user, "ann");
  EXPECT_EQ(written->token.size(), 32u);
  EXPECT_TRUE(lock->StillHeld());
  lock->Release();
  EXPECT_EQ(share_.files.count(kLock), 0u);
}

// A lock of another machine is never cleared, whatever this machine's
// process table says and however old the lock looks.
TEST_F(LockProtocolTest, ALockOfAnotherMachineIsNeverCleared) {
  FakeClient holder(share_, second_, 10, 100);
  LockAttempt held;
  std::optional<LockFile> lock = Take(holder, held, "bob");
  ASSERT_TRUE(lock);
  const std::string bytes = share_.files.at(kLock);

  FakeClient contender(share_, first_, 20, 200);
  contender.clockOffset = 100000;  // makes the lock look more than a day old
  for (int round = 0; round < 5; ++round) {
    LockAttempt attempt;
    EXPECT_FALSE(Take(contender, attempt));
    EXPECT_EQ(attempt.outcome, LockOutcome::kBusy);
    ASSERT_TRUE(attempt.holder);
    EXPECT_EQ(attempt.holder->host, "beta");
    EXPECT_EQ(attempt.holder->user, "bob");
  }
  EXPECT_EQ(share_.files.at(kLock), bytes);
  EXPECT_TRUE(lock->StillHeld());

  // Even once its process is gone (this machine cannot know that).
  holder.Kill();
  LockAttempt attempt;
  EXPECT_FALSE(Take(contender, attempt));
  EXPECT_EQ(attempt.outcome, LockOutcome::kBusy);
  EXPECT_EQ(share_.files.at(kLock), bytes);
}

TEST_F(LockProtocolTest, ALockOfAKilledProcessOfThisMachineIsClearedAndTakenNext) {
  FakeClient victim(share_, first_, 10, 100);
  LockAttempt first_attempt;
  std::optional<LockFile> lock = Take(victim, first_attempt);
  ASSERT_TRUE(lock);
  victim.Kill();
  lock.reset();  // its release cannot run: the process is gone
  ASSERT_EQ(share_.files.count(kLock), 1u);

  FakeClient next(share_, first_, 20, 200);
  LockAttempt attempt;
  EXPECT_FALSE(Take(next, attempt));
  EXPECT_EQ(attempt.outcome, LockOutcome::kStaleCleared);
  ASSERT_TRUE(attempt.holder);
  EXPECT_EQ(attempt.holder->pid, 10);
  std::optional<LockFile> mine = Take(next, attempt);
  ASSERT_TRUE(mine);
  EXPECT_EQ(attempt.outcome, LockOutcome::kAcquired);
  // Nothing but the lock file is left: the clearing's private name is gone.
  EXPECT_EQ(share_.files.size(), 1u);
}

TEST_F(LockProtocolTest, WhenALockIsStaleOnThisMachine) {
  struct Case {
    const char* what;
    bool sameBoot;
    std::int64_t pid;
    std::uint64_t start;
    std::int64_t time;
    LockOutcome expected;
  };
  // first_ runs process 10 started at 100; it booted at 1000.
  const Case cases[] = {
      {"its process runs", true, 10, 100, 40000, LockOutcome::kBusy},
      {"its process id is gone", true, 11, 100, 40000, LockOutcome::kStaleCleared},
      {"its process id was reused", true, 10, 99, 40000, LockOutcome::kStaleCleared},
      {"made before this boot", false, 10, 100, 999, LockOutcome::kStaleCleared},
      {"another boot id, made after this boot", false, 10, 100, 1001, LockOutcome::kBusy},
  };
  FakeClient running(share_, first_, 10, 100);
  FakeClient contender(share_, first_, 20, 200);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeMachine maker = first_;
    if (!c.sameBoot) maker.bootId = "boot-alpha-1";
    PlantLock(maker, c.pid, c.start, c.time);
    LockAttempt attempt;
    EXPECT_FALSE(Take(contender, attempt));
    EXPECT_EQ(attempt.outcome, c.expected);
    EXPECT_EQ(share_.files.count(kLock), c.expected == LockOutcome::kBusy ? 1u : 0u);
    share_.files.clear();
  }
}

// Lock files that cannot be judged: shown, never cleared, never taken.
TEST_F(LockProtocolTest, LockFilesThatCannotBeReadAreLeftAlone) {
  FakeClient planter(share_, first_, 10, 100);
  LockAttempt taken;
  std::optional<LockFile> model = Take(planter, taken);
  ASSERT_TRUE(model);
  const std::string whole = share_.files.at(kLock);
  model->Release();
  planter.Kill();  // the lock's process no longer runs

  const std::vector<std::pair<const char*, std::string>> contents = {
      {"empty (an older version's lock, or one being written)", ""},
      {"cut short", whole.substr(0, whole.size() / 2)},
      {"without its end line", whole.substr(0, whole.size() - 4)},
      {"another version", "TARN lock file 2" + whole.substr(whole.find('\n'))},
      {"garbage", std::string("\x01\xff\nrm -rf /\x1b[2J", 14)},
      {"a digit too many in the token", [&] {
         std::string text = whole;
         text.insert(text.find("token ") + 6, "0");
         return text;
       }()},
      {"too long", whole + std::string(5000, 'x')},
  };
  FakeClient contender(share_, first_, 20, 200);
  for (const auto& [what, content] : contents) {
    SCOPED_TRACE(what);
    share_.files[kLock] = content;
    for (int round = 0; round < 3; ++round) {
      LockAttempt attempt;
      EXPECT_FALSE(Take(contender, attempt));
      EXPECT_EQ(attempt.outcome, LockOutcome::kUnreadable);
      EXPECT_EQ(attempt.content, content.substr(0, kLockFileReadLimit + 1));
    }
    EXPECT_EQ(share_.files.at(kLock), content);
    EXPECT_EQ(share_.files.size(), 1u);
  }
}

TEST_F(LockProtocolTest, AHolderWhoseTokenWasReplacedKnowsAndLeavesTheNewLockAlone) {
  FakeClient holder(share_, first_, 10, 100);
  LockAttempt attempt;
  std::optional<LockFile> lock = Take(holder, attempt);
  ASSERT_TRUE(lock);
  // Broken by hand, and taken by a member on another machine.
  ASSERT_EQ(BreakLockFile(kLock, share_.files.at(kLock), holder), BreakOutcome::kBroken);
  FakeClient other(share_, second_, 30, 300);
  std::optional<LockFile> theirs = Take(other, attempt);
  ASSERT_TRUE(theirs);
  const std::string their_bytes = share_.files.at(kLock);

  EXPECT_FALSE(lock->StillHeld());
  lock->Release();
  EXPECT_EQ(share_.files.at(kLock), their_bytes);
  EXPECT_TRUE(theirs->StillHeld());
}

// Two contenders judge the same stale lock; the slower one's clearing comes
// after the faster one has cleared it and taken a fresh lock. The fresh
// lock survives.
TEST_F(LockProtocolTest, ClearingAStaleLockNeverRemovesOneTakenMeanwhile) {
  FakeClient victim(share_, first_, 10, 100);
  LockAttempt attempt;
  std::optional<LockFile> stale = Take(victim, attempt);
  ASSERT_TRUE(stale);
  victim.Kill();
  stale.reset();

  FakeClient fast(share_, first_, 20, 200);
  FakeClient slow(share_, first_, 30, 300);
  std::optional<LockFile> fresh;
  slow.beforeCall = [&](const std::string& call, const std::string& path) {
    if (call != "rename" || path != kLock || fresh) return;
    LockAttempt fast_attempt;
    EXPECT_FALSE(Take(fast, fast_attempt));
    EXPECT_EQ(fast_attempt.outcome, LockOutcome::kStaleCleared);
    fresh = Take(fast, fast_attempt);
    ASSERT_TRUE(fresh);
  };
  EXPECT_FALSE(Take(slow, attempt));
  EXPECT_EQ(attempt.outcome, LockOutcome::kBusy);
  ASSERT_TRUE(fresh);
  EXPECT_TRUE(fresh->StillHeld());
  ASSERT_TRUE(attempt.holder);
  EXPECT_EQ(attempt.holder->pid, 20);
  EXPECT_EQ(share_.files.size(), 1u);
}

// A process killed between writing its private file and linking it leaves
// that file; the next holder on the same machine removes it once its
// process is gone, and leaves alone those of running processes and of
// other machines.
TEST_F(LockProtocolTest, PrivateFilesOfKilledProcessesAreSweptByTheirOwnMachine) {
  FakeClient victim(share_, first_, 10, 100);
  victim.beforeCall = [&victim](const std::string& call, const std::string&) {
    if (call == "link") victim.Kill();
  };
  LockAttempt attempt;
  EXPECT_FALSE(Take(victim, attempt));
  FakeClient far_victim(share_, second_, 11, 110);
  far_victim.beforeCall = [&far_victim](const std::string& call, const std::string&) {
    if (call == "link") far_victim.Kill();
  };
  EXPECT_FALSE(Take(far_victim, attempt));
  FakeClient running(share_, first_, 12, 120);
  const std::string running_private =
      PrivateLockName(kLock, running.Self(), "0123456789abcdef");
  share_.files[running_private] = "being written";
  ASSERT_EQ(share_.files.size(), 3u);
  ASSERT_EQ(share_.files.count(kLock), 0u);

  FakeClient next(share_, first_, 20, 200);
  std::optional<LockFile> lock = Take(next, attempt);
  ASSERT_TRUE(lock);
  std::vector<std::string> left;
  for (const auto& [name, bytes] : share_.files) left.push_back(name);
  ASSERT_EQ(left.size(), 3u);
  EXPECT_EQ(share_.files.count(kLock), 1u);
  EXPECT_EQ(share_.files.count(running_private), 1u);
  // The other machine's stays: this machine cannot tell whether it runs.
  bool far_left = false;
  for (const std::string& name : left) {
    const std::optional<PrivateNameOwner> owner =
        OwnerOfPrivateName(name.substr(name.find('/') + 1));
    far_left = far_left || (owner && owner->host == "beta" && owner->pid == 11);
  }
  EXPECT_TRUE(far_left);
}

TEST(PrivateLockName, NamesItsMakerAndParsesBack) {
  LockRecord self;
  self.host = "build.example.org";
  self.bootId = "b";
  self.pidNamespace = "pid:[1]";
  self.pid = 77;
  self.startTicks = 123;
  const std::string name = PrivateLockName("logs/$ain.d", self, "cafe");
  EXPECT_EQ(name.substr(0, 5 + kPrivateLockPrefix.size()), "logs/$lock.");
  const std::optional<PrivateNameOwner> owner = OwnerOfPrivateName(name.substr(5));
  ASSERT_TRUE(owner);
  EXPECT_EQ(owner->host, "build_example_org");
  EXPECT_EQ(owner->pid, 77);
  EXPECT_EQ(owner->startTicks, 123u);
  EXPECT_TRUE(OfThisMachine(*owner, self));
  LockRecord rebooted = self;
  rebooted.bootId = "c";
  EXPECT_FALSE(OfThisMachine(*owner, rebooted));
  for (const char* other : {"$ain.d", "$lock.", "$lock.h.0123abcd.x.1.r", "$lock.h.short.1.2.r",
                            "notes.txt"}) {
    EXPECT_FALSE(OwnerOfPrivateName(other)) << other;
  }
}

TEST_F(LockProtocolTest, BreakingRemovesOnlyTheLockThatWasShown) {
  FakeClient holder(share_, second_, 10, 100);
  LockAttempt attempt;
  std::optional<LockFile> lock = Take(holder, attempt);
  ASSERT_TRUE(lock);
  FakeClient breaker(share_, first_, 20, 200);
  EXPECT_EQ(BreakLockFile(kLock, "what was shown before", breaker), BreakOutcome::kChanged);
  EXPECT_TRUE(lock->StillHeld());
  EXPECT_EQ(share_.files.size(), 1u);
  EXPECT_EQ(BreakLockFile(kLock, share_.files.at(kLock), breaker), BreakOutcome::kBroken);
  EXPECT_TRUE(share_.files.empty());
  EXPECT_EQ(BreakLockFile(kLock, "", breaker), BreakOutcome::kAbsent);
}

// Processes of two machines take turns at random, some of them killed
// while they hold the lock. At no moment do two live processes hold it,
// a killed process's lock is cleared only by its own machine, and at the
// end no file but a lock is left.
TEST_F(LockProtocolTest, ManyProcessesOnTwoMachinesNeverHoldTogether) {
  std::vector<std::unique_ptr<FakeClient>> clients;
  std::vector<std::optional<LockFile>> locks;
  for (int i = 0; i < 8; ++i) {
    clients.push_back(std::make_unique<FakeClient>(share_, i % 2 == 0 ? first_ : second_, 100 + i,
                                                   static_cast<std::uint64_t>(i)));
    locks.emplace_back();
  }
  unsigned seed = 7;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7fff;
  };
  int acquired = 0;
  for (int step = 0; step < 2000; ++step) {
    const std::size_t i = next() % clients.size();
    if (locks[i]) {
      if (next() % 8 == 0) {
        // Killed while holding; a new process of that machine takes its place.
        FakeMachine& machine = i % 2 == 0 ? first_ : second_;
        clients[i]->Kill();
        locks[i].reset();
        clients[i] = std::make_unique<FakeClient>(share_, machine, 1000 + step,
                                                  static_cast<std::uint64_t>(step));
      } else {
        locks[i].reset();
      }
    } else {
      LockAttempt attempt;
      locks[i] = LockFile::Attempt(kLock, "u", attempt, *clients[i]);
      if (locks[i]) ++acquired;
    }
    int holders = 0;
    for (const std::optional<LockFile>& lock : locks) holders += lock && lock->StillHeld() ? 1 : 0;
    ASSERT_LE(holders, 1) << "step " << step;
    ASSERT_LE(share_.files.size(), 1u) << "step " << step;
  }
  EXPECT_GT(acquired, 100);
}

TEST(LockRecord, RoundTripsAndEscapesTheUser) {
  LockRecord record;
  record.host = "build-01";
  record.bootId = "0b2c4f6e-1111-2222-3333-444455556666";
  record.pidNamespace = "pid:[4026531836]";
  record.pid = 4242;
  record.startTicks = 123456789;
  record.user = "ann\nB\\x";
  record.time = 1765000000;
  record.token = "0123456789abcdef0123456789abcdef";
  const std::string bytes = EncodeLockRecord(record);
  std::string expected =
            "TARN lock file 1\n"
            "host build-01\n"
            "boot 0b2c4f6e-1111-2222-3333-444455556666\n"
            "pidns pid:[4026531836]\n"
            "pid 4242\n"
            "start 123456789\n"
            "user ann\\nB\\x5cx\n"
            "time 1765000000\n"
            "token 0123456789abcdef0123456789abcdef\n"
            "end\n";
  // Padded with blanks and a line feed to the block size.
  expected.append(kLockFileBlock - expected.size() - 1, ' ');
  expected += '\n';
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(DecodeLockRecord(bytes), record);
  // Without its padding, or with something else in it, it is no lock file.
  EXPECT_FALSE(DecodeLockRecord(bytes.substr(0, bytes.find("end\n") + 4)));
  std::string filled = bytes;
  filled[filled.size() - 2] = 'x';
  EXPECT_FALSE(DecodeLockRecord(filled));
}

TEST(LockRecord, ShowSafelyEscapesEveryByteThatCouldDoHarm) {
  EXPECT_EQ(ShowSafely(std::string("a\x1b[2J\n\\\xff z", 10)), "a\\x1b[2J\\n\\x5c\\xff z");
  EXPECT_EQ(ShowSafely(std::string(300, 'q')).size(), 203u);
  EXPECT_EQ(LockWord("my host\x01"), "my_host_");
  EXPECT_EQ(LockWord(""), "-");
}

}  // namespace
}  // namespace tarn::platform
