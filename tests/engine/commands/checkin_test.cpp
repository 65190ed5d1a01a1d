// Check-ins on existing logfiles: where the new revision goes, what the old
// records become, the question for an unchanged workfile, locks, workfile
// handling and the journal.
#include "engine/commands/checkin.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/commands/lock_command.h"
#include "engine/commands/revision_insert.h"
#include "engine/format/delta_format.h"
#include "engine/format/logfile_header.h"
#include "engine/format/revision_number.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "tests/support/checkin_sandbox.h"
#include "tests/support/raw_logfile.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::CheckInSandbox;
using testing::RawLogfile;
using testing::RawRevision;

std::string Opt(const MessageId& word) { return CheckInSandbox::Option(word.number); }

std::string Text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

class CheckInTest : public ::testing::Test {
 protected:
  RawLogfile Parsed() {
    std::string error;
    std::optional<RawLogfile> log = testing::ReadRawLogfile(box_.Logfile(kName), &error);
    EXPECT_TRUE(log) << error;
    return log.value_or(RawLogfile{});
  }

  std::vector<std::string> Order() {
    std::vector<std::string> numbers;
    for (const RawRevision& r : Parsed().revisions) numbers.push_back(r.number);
    return numbers;
  }

  // Checks `text` in; the revision description is its first line.
  int Put(const std::string& text, std::vector<std::string> options = {},
          CheckInOutcome* outcome = nullptr) {
    box_.Write(kName, text);
    options.push_back(Opt(msg::kOptionText));
    options.push_back("put " + text.substr(0, text.find('\n')));
    return box_.CheckIn(kName, options, outcome);
  }

  int Lock(const std::string& revision) {
    std::vector<std::string> line{"tlock", Opt(msg::kOptionRevision), revision, kName};
    LockCommandArgs args;
    if (ParseLockCommandLine(line, args) != 1) return -1;
    tarnEnvironVars env = box_.env;
    return LockRevision(args, env);
  }

  // A trunk 1.0 .. 1.(n-1), each text "rev k\n".
  void Trunk(int n) {
    for (int k = 0; k < n; ++k) ASSERT_EQ(Put(Rev(k)), 1) << box_.host.All();
  }
  static std::string Rev(int k) { return "rev " + std::to_string(k) + "\ncommon line\n"; }

  static constexpr const char* kName = "main.c";
  CheckInSandbox box_;
};

TEST_F(CheckInTest, TrunkTipIsStoredWholeAndTheOldTipBecomesAReverseDelta) {
  Trunk(4);  // 1.0 .. 1.3
  ASSERT_EQ(Put("rev 4\ncommon line\n"), 1);
  const RawLogfile log = Parsed();
  EXPECT_EQ(log.majorNumber, 1);
  EXPECT_EQ(log.minorNumber, 4);
  EXPECT_EQ(log.revisionCount, 5);
  ASSERT_EQ(Order(), (std::vector<std::string>{"1.4", "1.3", "1.2", "1.1", "1.0"}));
  const RawRevision& tip = log.revisions[0];
  const RawRevision& former = log.revisions[1];
  EXPECT_EQ(Text(tip.data), "rev 4\ncommon line\n");
  EXPECT_EQ(tip.tip, 1);
  EXPECT_EQ(tip.description, "put rev 4");
  EXPECT_EQ(former.tip, 0);
  EXPECT_EQ(former.description, "put rev 3");
  // Applied to the new text, the old tip's delta gives the old text.
  ByteBuffer rebuilt;
  ASSERT_EQ(ApplyDelta(tip.data, former.data, rebuilt), 1);
  EXPECT_EQ(Text({rebuilt.begin(), rebuilt.end()}), Rev(3));
  // The older records are copied unchanged.
  for (int k = 0; k < 4; ++k) EXPECT_EQ(box_.Fetch(kName, "1." + std::to_string(k)), Rev(k));
}

TEST_F(CheckInTest, BranchFromALockedOlderRevisionGoesRightBehindIt) {
  box_.env.attributes = kAttrCheckLock;
  Trunk(1);
  for (int k = 1; k < 4; ++k) {
    ASSERT_EQ(Lock("1." + std::to_string(k - 1)), 1) << box_.host.All();
    ASSERT_EQ(Put(Rev(k)), 1) << box_.host.All();
  }
  ASSERT_EQ(Lock("1.2"), 1) << box_.host.All();
  CheckInOutcome outcome;
  ASSERT_EQ(Put("branch one\n", {}, &outcome), 1) << box_.host.All();
  EXPECT_EQ(FormatRevision(outcome.number), "1.2.1.1");
  EXPECT_EQ(Order(), (std::vector<std::string>{"1.3", "1.2", "1.2.1.1", "1.1", "1.0"}));
  RawLogfile log = Parsed();
  EXPECT_EQ(log.Find("1.2")->branchCount, 1);
  EXPECT_EQ(log.Find("1.2")->locked, 0);
  EXPECT_EQ(log.Find("1.2.1.1")->depth, 1);
  EXPECT_EQ(log.lockCount, 0);
  // A forward delta from 1.2.
  ByteBuffer rebuilt;
  const std::string base = Rev(2);
  ASSERT_EQ(ApplyDelta(std::vector<std::uint8_t>(base.begin(), base.end()),
                       log.Find("1.2.1.1")->data, rebuilt),
            1);
  EXPECT_EQ(Text({rebuilt.begin(), rebuilt.end()}), "branch one\n");

  // The second branch from 1.2 comes first, right behind 1.2.
  ASSERT_EQ(Lock("1.2"), 1);
  ASSERT_EQ(Put("branch two\n"), 1) << box_.host.All();
  EXPECT_EQ(Order(), (std::vector<std::string>{"1.3", "1.2", "1.2.2.1", "1.2.1.1", "1.1", "1.0"}));
  EXPECT_EQ(Parsed().Find("1.2")->branchCount, 2);

  // Continuing branch 1 goes behind its first revision.
  ASSERT_EQ(Lock("1.2.1.1"), 1);
  ASSERT_EQ(Put("branch one, second\n"), 1);
  EXPECT_EQ(Order(), (std::vector<std::string>{"1.3", "1.2", "1.2.2.1", "1.2.1.1", "1.2.1.2", "1.1",
                                               "1.0"}));
  log = Parsed();
  EXPECT_EQ(log.Find("1.2.1.1")->tip, 0);
  EXPECT_EQ(log.Find("1.2.1.2")->tip, 1);
  EXPECT_EQ(box_.Fetch(kName, "1.2.1.1"), "branch one\n");
  EXPECT_EQ(box_.Fetch(kName, "1.2.1.2"), "branch one, second\n");
  EXPECT_EQ(box_.Fetch(kName, "1.2.2.1"), "branch two\n");
  EXPECT_EQ(box_.Fetch(kName, "1.3"), Rev(3));
}

TEST_F(CheckInTest, ContinuingALineKeepsTheBranchesOfItsTipBeforeIt) {
  box_.env.attributes = kAttrCheckLock;
  Trunk(1);
  ASSERT_EQ(Lock("1.0"), 1);
  ASSERT_EQ(Put("b1\n", {Opt(msg::kOptionNewBranch)}), 1);  // 1.0.1.1
  ASSERT_EQ(Lock("1.0.1.1"), 1);
  ASSERT_EQ(Put("b1 sub\n", {Opt(msg::kOptionNewBranch)}), 1);  // 1.0.1.1.1.1
  ASSERT_EQ(Lock("1.0.1.1"), 1);
  ASSERT_EQ(Put("b1 next\n"), 1);  // 1.0.1.2 after 1.0.1.1's branch
  EXPECT_EQ(Order(), (std::vector<std::string>{"1.0", "1.0.1.1", "1.0.1.1.1.1", "1.0.1.2"}));
  EXPECT_EQ(box_.Fetch(kName, "1.0.1.1.1.1"), "b1 sub\n");
  EXPECT_EQ(box_.Fetch(kName, "1.0.1.2"), "b1 next\n");
  EXPECT_EQ(box_.Fetch(kName, "1.0"), Rev(0));
}

TEST_F(CheckInTest, NewBranchOptionAtTheTipLeavesTheTip) {
  Trunk(5);  // tip 1.4
  ASSERT_EQ(Put("side\n", {Opt(msg::kOptionNewBranch)}), 1);
  const RawLogfile log = Parsed();
  EXPECT_EQ(Order()[0], "1.4");
  EXPECT_EQ(Order()[1], "1.4.1.1");
  EXPECT_EQ(log.Find("1.4")->tip, 1);
  EXPECT_EQ(log.Find("1.4")->branchCount, 1);
  EXPECT_EQ(log.minorNumber, 4);
  EXPECT_EQ(box_.Fetch(kName), Rev(4));  // the default revision is still the trunk tip
  EXPECT_EQ(box_.Fetch(kName, "1.4.1.1"), "side\n");
}

TEST_F(CheckInTest, ExplicitNumbers) {
  Trunk(4);  // tip 1.3
  EXPECT_EQ(Put("same number\n", {Opt(msg::kOptionRevision), "1.3"}), -1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kRevisionNotGreater, "1.3", "1.3")));
  EXPECT_EQ(Put("on a branch\n", {Opt(msg::kOptionRevision), "1.3.1.1"}), -1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kRevisionShapeMismatch, "1.3.1.1", "1.3")));
  EXPECT_EQ(Parsed().revisionCount, 4);
  ASSERT_EQ(Put("release two\n", {Opt(msg::kOptionRevision), "2.0"}), 1);
  RawLogfile log = Parsed();
  EXPECT_EQ(log.majorNumber, 2);
  EXPECT_EQ(log.minorNumber, 0);
  EXPECT_EQ(log.revisions[0].number, "2.0");
  ASSERT_EQ(Put("next\n"), 1);
  EXPECT_EQ(Parsed().revisions[0].number, "2.1");

  // Numbering after an explicit number goes on from it, branches too.
  ASSERT_EQ(Put("b\n", {Opt(msg::kOptionNewBranch)}), 1);
  EXPECT_EQ(box_.Fetch(kName, "2.1.1.1"), "b\n");
  EXPECT_EQ(box_.Fetch(kName, "1.3"), Rev(3));
}

TEST_F(CheckInTest, ExplicitBranchNumbersAreCheckedAgainstTheLockedBase) {
  box_.env.attributes = kAttrCheckLock;
  Trunk(1);
  ASSERT_EQ(Lock("1.0"), 1);
  ASSERT_EQ(Put("b\n", {Opt(msg::kOptionNewBranch)}), 1);  // 1.0.1.1
  ASSERT_EQ(Lock("1.0.1.1"), 1);
  EXPECT_EQ(Put("x\n", {Opt(msg::kOptionRevision), "1.0.2.5"}), -1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kBranchMismatch, "1.0.2.5", "1.0.1.1")));
  EXPECT_EQ(Put("x\n", {Opt(msg::kOptionRevision), "1.0.1.1"}), -1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kBranchRevisionTooLow, "1.0.1.1", "1.0.1.1")));
  ASSERT_EQ(Put("x\n", {Opt(msg::kOptionRevision), "1.0.1.9"}), 1) << box_.host.All();
  EXPECT_EQ(box_.Fetch(kName, "1.0.1.9"), "x\n");
  EXPECT_EQ(box_.Fetch(kName, "1.0.1.1"), "b\n");
}

TEST_F(CheckInTest, RepeatedNewBranchesAtTheTipAreNumberedInTurn) {
  Trunk(1);
  for (int branch = 1; branch <= 3; ++branch) {
    CheckInOutcome outcome;
    ASSERT_EQ(Put("b" + std::to_string(branch) + "\n", {Opt(msg::kOptionNewBranch)}, &outcome), 1);
    EXPECT_EQ(FormatRevision(outcome.number), "1.0." + std::to_string(branch) + ".1");
  }
  // Newest branch first, right behind their base.
  EXPECT_EQ(Order(), (std::vector<std::string>{"1.0", "1.0.3.1", "1.0.2.1", "1.0.1.1"}));
  EXPECT_EQ(Parsed().Find("1.0")->branchCount, 3);
  EXPECT_EQ(box_.Fetch(kName, "1.0.2.1"), "b2\n");
}

TEST_F(CheckInTest, DeepBranchLimitThroughLocks) {
  box_.env.attributes = kAttrCheckLock;
  Trunk(1);
  std::string number = "1.0";
  for (int depth = 1; depth <= 18; ++depth) {
    ASSERT_EQ(Lock(number), 1) << number << box_.host.All();
    CheckInOutcome outcome;
    ASSERT_EQ(Put("d" + std::to_string(depth) + "\n", {Opt(msg::kOptionNewBranch)}, &outcome), 1)
        << depth << box_.host.All();
    number = FormatRevision(outcome.number);
  }
  EXPECT_EQ(std::count(number.begin(), number.end(), '.'), 37);  // 19 elements
  ASSERT_EQ(Lock(number), 1);
  box_.host.Clear();
  EXPECT_EQ(Put("too deep\n", {Opt(msg::kOptionNewBranch)}), -1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kTooManyElements, 20))) << box_.host.All();
  EXPECT_EQ(Parsed().revisionCount, 19);
  EXPECT_EQ(box_.Fetch(kName, number), "d18\n");
}

TEST_F(CheckInTest, WithoutALockCheckLockRefusesWithStatusTwo) {
  box_.env.attributes = kAttrCheckLock;
  Trunk(1);
  const std::vector<std::uint8_t> before = testing::ReadBytes(box_.Logfile(kName));
  EXPECT_EQ(Put("changed\n"), 2);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kNoLockedRevision)));
  EXPECT_EQ(testing::ReadBytes(box_.Logfile(kName)), before);
}

// The longest description a record holds is stored whole; a longer one is
// refused (362) with nothing stored, never cut short.
TEST_F(CheckInTest, DescriptionLongerThanARecordHoldsIsRefused) {
  Trunk(1);
  const std::string longest(kMaxRevisionDescription, 'd');
  box_.Write(kName, "second\n");
  ASSERT_EQ(box_.CheckIn(kName, {Opt(msg::kOptionText), longest}), 1) << box_.host.All();
  EXPECT_EQ(Parsed().revisions[0].description, longest);

  const std::vector<std::uint8_t> before = testing::ReadBytes(box_.Logfile(kName));
  box_.host.Clear();
  box_.Write(kName, "third\n");
  EXPECT_EQ(box_.CheckIn(kName, {Opt(msg::kOptionText), std::string(40000, 'x')}), -1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kHeaderFieldTooLarge))) << box_.host.All();
  EXPECT_EQ(testing::ReadBytes(box_.Logfile(kName)), before);
}

TEST_F(CheckInTest, UnchangedWorkfileAnsweredNoReleasesTheLockAndStoresNothing) {
  box_.env.attributes = kAttrCheckLock | kAttrProtectWorkFile | kAttrJournalFile;
  Trunk(1);
  ASSERT_EQ(Lock("1.0"), 1);
  ASSERT_EQ(Put(Rev(1), {Opt(msg::kOptionLock)}), 1);
  EXPECT_EQ(Parsed().lockCount, 1);
  const std::string journal = box_.Root() + "/tarn.jnl";
  const std::size_t journal_before = testing::ReadText(journal).size();
  CheckInOutcome outcome;
  ASSERT_EQ(Put(Rev(1), {Opt(msg::kWordNo)}, &outcome), 1) << box_.host.All();
  EXPECT_FALSE(outcome.stored);
  EXPECT_EQ(FormatRevision(outcome.number), "1.1");
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kUnchangedWorkfile, kName)));
  const RawLogfile log = Parsed();
  EXPECT_EQ(log.revisionCount, 2);
  EXPECT_EQ(log.lockCount, 0);
  EXPECT_EQ(log.Find("1.1")->locked, 0);
  // The workfile is protected as after a real check-in, and the journal
  // says the lock was released.
  EXPECT_EQ(fs::status(box_.Work(kName)).permissions() & fs::perms::owner_write, fs::perms::none);
  const std::string entry = testing::ReadText(journal).substr(journal_before);
  EXPECT_NE(entry.find(MessageText(msg::kUnchangedDescription.number)), std::string::npos) << entry;
}

TEST_F(CheckInTest, UnchangedWorkfileAnsweredYesIsStored) {
  Trunk(2);
  ASSERT_EQ(Put(Rev(1), {Opt(msg::kWordYes)}), 1);
  EXPECT_EQ(Parsed().revisionCount, 3);
  EXPECT_EQ(box_.Fetch(kName, "1.2"), Rev(1));
  EXPECT_EQ(box_.Fetch(kName, "1.1"), Rev(1));
}

TEST_F(CheckInTest, UnchangedWorkfileAskedAndAnswered) {
  Trunk(2);
  box_.host.QueueAnswer(false);
  ASSERT_EQ(Put(Rev(1)), 1);
  EXPECT_EQ(box_.host.questions_asked(), 1);
  EXPECT_EQ(Parsed().revisionCount, 2);
  box_.host.QueueAnswer(true);
  ASSERT_EQ(Put(Rev(1)), 1);
  EXPECT_EQ(Parsed().revisionCount, 3);
  // A missing final line end alone is no change.
  box_.host.QueueAnswer(false);
  ASSERT_EQ(Put("rev 1\ncommon line"), 1);
  EXPECT_EQ(box_.host.questions_asked(), 3);
  EXPECT_EQ(Parsed().revisionCount, 3);
}

TEST_F(CheckInTest, UnchangedWithoutCheckLockChangesNothingAtAll) {
  box_.env.attributes = kAttrJournalFile;
  Trunk(2);
  const std::vector<std::uint8_t> before = testing::ReadBytes(box_.Logfile(kName));
  const std::string journal = testing::ReadText(box_.Root() + "/tarn.jnl");
  ASSERT_EQ(Put(Rev(1), {Opt(msg::kWordNo)}), 1);
  EXPECT_EQ(testing::ReadBytes(box_.Logfile(kName)), before);
  EXPECT_EQ(testing::ReadText(box_.Root() + "/tarn.jnl"), journal);
}

TEST_F(CheckInTest, KeptLockLeavesTheNewRevisionLockedAndTheWorkfileWritable) {
  box_.env.attributes = kAttrCheckLock | kAttrProtectWorkFile | kAttrDeleteWork;
  Trunk(1);
  ASSERT_EQ(Lock("1.0"), 1);
  ASSERT_EQ(Put("kept\n", {Opt(msg::kOptionLock)}), 1);
  const RawLogfile log = Parsed();
  EXPECT_EQ(log.lockCount, 1);
  EXPECT_EQ(log.Find("1.1")->locked, 1);
  EXPECT_EQ(log.Find("1.1")->lockerIndex, 0);
  EXPECT_EQ(log.Find("1.0")->locked, 0);
  ASSERT_TRUE(fs::exists(box_.Work(kName)));
  EXPECT_NE(fs::status(box_.Work(kName)).permissions() & fs::perms::owner_write, fs::perms::none);
  // The kept lock is the base of the next check-in.
  ASSERT_EQ(Put("after\n"), 1);
  EXPECT_EQ(Parsed().lockCount, 0);
  EXPECT_FALSE(fs::exists(box_.Work(kName)));  // DeleteWork, lock not kept
}

TEST_F(CheckInTest, OnlyDeleteWorkAndProtectWorkFileMayBeOverridden) {
  Trunk(1);
  ASSERT_EQ(Put("x\n", {Opt(msg::kOptionSet), "Compression=yes,DeleteWork=yes"}), 1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kAttributesIgnored)));
  EXPECT_EQ(Parsed().attributes, 0);
  EXPECT_FALSE(fs::exists(box_.Work(kName)));
}

TEST_F(CheckInTest, UserMustBeAKnownModifier) {
  Trunk(1);
  box_.env.userName = "mallory";
  EXPECT_EQ(Put("x\n"), -1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kUserNotInModifierList)));
  box_.env.userName = "dave";
  ASSERT_EQ(Put("y\n"), 1);
  EXPECT_EQ(Parsed().revisions[0].creatorIndex, 3);
}

TEST_F(CheckInTest, TheLogfileItselfIsNeverCheckedIn) {
  box_.env.attributes = kAttrDeleteWork;
  Trunk(1);
  const std::vector<std::uint8_t> before = testing::ReadBytes(box_.Logfile(kName));
  EXPECT_EQ(box_.CheckInAsGiven({Opt(msg::kOptionText), "x", Opt(msg::kOptionWorkfile),
                                 box_.Logs() + "/../logs/main.d", kName}),
            -1);
  EXPECT_TRUE(box_.host.Saw(box_.Logs() + "/../logs/main.d")) << box_.host.All();
  EXPECT_EQ(testing::ReadBytes(box_.Logfile(kName)), before);
}

TEST_F(CheckInTest, CompressedStorageRoundTrips) {
  box_.env.attributes = kAttrCompression;
  std::string big;
  for (int i = 0; i < 500; ++i) big += "line " + std::to_string(i % 7) + " of a repetitive text\n";
  ASSERT_EQ(Put(big), 1);
  std::string changed = big;
  changed.replace(100, 4, "LINE");
  for (int i = 0; i < 40; ++i) changed += "appended line number " + std::to_string(i) + "\n";
  ASSERT_EQ(Put(changed), 1);
  const RawLogfile log = Parsed();
  EXPECT_EQ(log.revisions[0].compressed, 1);
  EXPECT_LT(log.revisions[0].revSize, changed.size());
  EXPECT_EQ(box_.Fetch(kName, "1.0"), big);
  EXPECT_EQ(box_.Fetch(kName, "1.1"), changed);
}

TEST_F(CheckInTest, KeywordsAreStoredContractedAndTheWorkfileRefreshed) {
  box_.env.attributes = kAttrExpandKeywords;
  box_.Write(kName, "/* $Revision$ */\nbody\n");
  // With the workfile option the refresh needs the object interface's flag.
  CheckInRecord record;
  std::vector<std::string> line{
      "tput", Opt(msg::kOptionText), "m", Opt(msg::kOptionWorkfile), box_.Work(kName), kName};
  ASSERT_EQ(ParseCheckInCommandLine(line, record), 1);
  record.expandKeywordsAlways = true;
  tarnEnvironVars env = box_.env;
  ASSERT_EQ(RunCheckIn(record, env), 1) << box_.host.All();
  EXPECT_EQ(Text(Parsed().revisions[0].data), "/* $Revision$ */\nbody\n");
  EXPECT_EQ(box_.Read(kName), "/* $Revision: 1.0 $ */\nbody\n");

  // The expanded workfile checks in as its contracted text.
  box_.Write(kName, box_.Read(kName) + "more\n");
  ASSERT_EQ(RunCheckIn(record, env), 1) << box_.host.All();
  EXPECT_EQ(Text(Parsed().revisions[0].data), "/* $Revision$ */\nbody\nmore\n");
  EXPECT_EQ(box_.Read(kName), "/* $Revision: 1.1 $ */\nbody\nmore\n");
}

TEST_F(CheckInTest, BinaryFilesRoundTrip) {
  box_.env.attributes = kAttrBinaryFile;
  std::string data;
  std::uint32_t x = 12345;
  for (int i = 0; i < 20000; ++i) {
    x = x * 1103515245u + 12345u;
    data += static_cast<char>((x >> 16) & 0xFF);
  }
  ASSERT_EQ(Put(data), 1);
  std::string changed = data;
  changed[5000] = static_cast<char>(changed[5000] ^ 0x55);
  changed.insert(12000, std::string("\0\0inserted\0", 11));
  ASSERT_EQ(Put(changed), 1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kChoosingSeparator)));
  EXPECT_EQ(box_.Fetch(kName, "1.0"), data);
  EXPECT_EQ(box_.Fetch(kName, "1.1"), changed);
  EXPECT_LT(Parsed().revisions[1].revSize, 2000u);  // a delta, not the whole text
}

}  // namespace
}  // namespace tarn
