// The label and remove-label commands on logfiles written by the tests' own
// builder: where a label goes and what it names (read back byte by byte),
// the questions about existing labels, copies of floating labels, the
// journal, and refusals and faults that must leave the logfile as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "engine/store/disk_names.h"
#include "platform/error_text.h"
#include "tests/support/header_sandbox.h"
#include "tests/support/lock_holder.h"

namespace tarn {
namespace {

using testing::HeaderSandbox;
using testing::ReadText;
using testing::WriteText;

namespace fs = std::filesystem;

std::string Rev() { return HeaderSandbox::Option(msg::kOptionRevision.number); }
std::string Lbl() { return HeaderSandbox::Option(msg::kOptionLabel.number); }
std::string Copy() { return HeaderSandbox::Option(msg::kOptionCopyLabel.number); }
std::string Yes() { return HeaderSandbox::Option(msg::kWordYes.number); }
std::string No() { return HeaderSandbox::Option(msg::kWordNo.number); }
std::string Keep() { return HeaderSandbox::Option(msg::kWordKeep.number); }

// The texts of a message up to its first conversion after the program label.
std::string Words(const MessageId& id) {
  const std::string text = MessageText(id.number);
  const std::size_t start = text.rfind("%s", 0) == 0 ? 2 : 0;
  const std::size_t end = text.find('%', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

class LabelCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { box_.Write(HeaderSandbox::Standard(kAttrJournalFile)); }

  // The logfile directory holds the logfile and nothing else: no lock file,
  // replacement or backup was left behind.
  void ExpectOnlyTheLogfile() const {
    EXPECT_EQ(box_.LogDirectory(), std::vector<std::string>{"main.d"});
  }

  HeaderSandbox box_;
};

TEST_F(LabelCommandTest, NewLabelGoesFirstAndTheRecordsStayByteForByte) {
  ASSERT_EQ(box_.Label({"tstamp", Rev(), "1.1", Lbl(), "NEW", "main.c"}), 1) << box_.host.All();
  // bob is user 1 of the known users.
  EXPECT_EQ(box_.Labels(), "1.1 NEW/1, 1.0 OLD/0, 1.1.1 FLOAT/1");
  EXPECT_EQ(box_.RecordsNow(), box_.RecordsWritten());
  EXPECT_TRUE(box_.host.Saw("label 'NEW' applied in " + box_.Logfile())) << box_.host.All();
  const std::string journal = box_.Journal();
  EXPECT_NE(journal.find(",bob,"), std::string::npos) << journal;
  EXPECT_NE(journal.find(",tstamp -rev 1.1 -v 'NEW' main.c\n"), std::string::npos) << journal;
  ExpectOnlyTheLogfile();
}

TEST_F(LabelCommandTest, RevisionToLabelByDefault) {
  // Without a default branch: the newest trunk revision, as a fixed label.
  ASSERT_EQ(box_.Label({"tstamp", Lbl(), "A", "main.c"}), 1) << box_.host.All();
  EXPECT_EQ(box_.Header().labels.front().number, "1.2");
  // With one: the newest revision on it, fixed.
  box_.Write(HeaderSandbox::Standard().DefaultRevisionWithFlags({{0, 1, 0, 1}, {0, 1, 2, -1}}));
  ASSERT_EQ(box_.Label({"tstamp", Lbl(), "B", "main.c"}), 1) << box_.host.All();
  EXPECT_EQ(box_.Header().labels.front().number, "1.1.1.2");
  // The trunk-tip keyword gives a fixed label on the tip as well.
  ASSERT_EQ(
      box_.Label({"tstamp", Rev(), MessageText(msg::kWordTrunkTip.number), Lbl(), "C", "main.c"}),
      1);
  EXPECT_EQ(box_.Header().labels.front().number, "1.2");
}

TEST_F(LabelCommandTest, BranchGivesAFloatingLabel) {
  ASSERT_EQ(box_.Label({"tstamp", Rev(), "1.1.1", Lbl(), "BRANCH", "main.c"}), 1)
      << box_.host.All();
  // Stored as (1,1),(1,-1): floating, shown as the branch.
  EXPECT_EQ(box_.Header().labels.front().number, "1.1.1");
  const std::vector<std::uint8_t> bytes = box_.Bytes();
  // The labels start behind the header strings; the new record is the first
  // of them, before OLD (6 + 4 + 4 bytes) and FLOAT (6 + 8 + 6 bytes).
  const std::size_t first_label = HeaderSandbox::Standard().HeaderBytes().size() - 14 - 20;
  // The new record: 2 elements, creator 1, size 7, then 1,1,1,-1 and the text.
  const std::vector<std::uint8_t> expected = {2, 0,    1,    0,   7,   0,   1,   0,   1,   0, 1,
                                              0, 0xFF, 0xFF, 'B', 'R', 'A', 'N', 'C', 'H', 0};
  ASSERT_LE(first_label + expected.size(), bytes.size());
  EXPECT_EQ(std::vector<std::uint8_t>(
                bytes.begin() + static_cast<std::ptrdiff_t>(first_label),
                bytes.begin() + static_cast<std::ptrdiff_t>(first_label + expected.size())),
            expected);
}

TEST_F(LabelCommandTest, ExistingLabelKeptMovedOrRefused) {
  // Kept on purpose: success, nothing written.
  EXPECT_EQ(box_.Label({"tstamp", Keep(), Rev(), "1.2", Lbl(), "OLD", "main.c"}), 1);
  EXPECT_TRUE(box_.Unchanged());
  EXPECT_TRUE(box_.host.Saw("label 'OLD' exists in main.c and was not moved")) << box_.host.All();
  EXPECT_EQ(box_.host.questions_asked(), 0);

  // Asked, and the answer is no: refused, nothing written.
  box_.host.Clear();
  EXPECT_EQ(box_.Label({"tstamp", Rev(), "1.2", Lbl(), "OLD", "main.c"}), -1);
  EXPECT_EQ(box_.host.questions_asked(), 1);
  EXPECT_TRUE(box_.host.Saw("label 'OLD' exists in main.c already. Move it?")) << box_.host.All();
  EXPECT_TRUE(box_.Unchanged());
  ExpectOnlyTheLogfile();

  // Answered yes in advance: the old entry goes, the label names 1.2 and
  // stands first.
  EXPECT_EQ(box_.Label({"tstamp", Rev(), "1.2", Lbl(), "OLD", Yes(), "main.c"}), 1);
  EXPECT_EQ(box_.Labels(), "1.2 OLD/1, 1.1.1 FLOAT/1");

  // Asked, and the answer is yes.
  box_.host.QueueAnswer(true);
  EXPECT_EQ(box_.Label({"tstamp", Rev(), "1.1.1.1", Lbl(), "FLOAT", "main.c"}), 1);
  EXPECT_EQ(box_.Labels(), "1.1.1.1 FLOAT/1, 1.2 OLD/1");
}

TEST_F(LabelCommandTest, CopyGoesBeforeTheExistingLabelWithItsCreator) {
  box_.env.userName = "alice";
  ASSERT_EQ(box_.Label({"tstamp", Copy(), "FLOAT", "FIXED", "main.c"}), 1) << box_.host.All();
  // A copy of a floating label names the branch's newest revision; the
  // original keeps floating; the creator is the original's (bob).
  EXPECT_EQ(box_.Labels(), "1.0 OLD/0, 1.1.1.2 FIXED/1, 1.1.1 FLOAT/1");
  EXPECT_NE(box_.Journal().find("tstamp -rev 1.1.1.2 -v 'FIXED' main.c"), std::string::npos)
      << box_.Journal();

  ASSERT_EQ(box_.Label({"tstamp", Copy(), "OLD", "'second", "copy'", "main.c"}), 1);
  EXPECT_EQ(box_.Labels(), "1.0 second copy/0, 1.0 OLD/0, 1.1.1.2 FIXED/1, 1.1.1 FLOAT/1");
}

TEST_F(LabelCommandTest, CopyOfAMissingLabelWritesNothing) {
  EXPECT_EQ(box_.Label({"tstamp", Copy(), "NONE", "NEW", "main.c"}), 1);
  EXPECT_TRUE(box_.Unchanged());
  EXPECT_TRUE(box_.host.Saw("label 'NONE' not found")) << box_.host.All();
  EXPECT_EQ(box_.Journal(), "");
  // A label copied onto itself marks its revision already.
  EXPECT_EQ(box_.Label({"tstamp", Copy(), "OLD", "OLD", "main.c"}), 1);
  EXPECT_TRUE(box_.Unchanged());
}

TEST_F(LabelCommandTest, CopyOntoAnExistingLabel) {
  EXPECT_EQ(box_.Label({"tstamp", No(), Copy(), "OLD", "FLOAT", "main.c"}), -1);
  EXPECT_TRUE(box_.Unchanged());
  EXPECT_EQ(box_.Label({"tstamp", Keep(), Copy(), "OLD", "FLOAT", "main.c"}), 1);
  EXPECT_TRUE(box_.Unchanged());
  box_.host.QueueAnswer(true);
  EXPECT_EQ(box_.Label({"tstamp", Copy(), "OLD", "FLOAT", "main.c"}), 1);
  EXPECT_TRUE(
      box_.host.Saw("label 'FLOAT' exists in main.c already. Move it to the revision of "
                    "'OLD'?"))
      << box_.host.All();
  EXPECT_EQ(box_.Labels(), "1.0 FLOAT/0, 1.0 OLD/0");
}

TEST_F(LabelCommandTest, RefusalsLeaveTheLogfileAsItWas) {
  struct Case {
    std::string user;
    std::vector<std::string> words;
    std::string expected;  // a piece of the message
  };
  const std::vector<Case> cases = {
      {"bob", {"tstamp", Rev(), "1.7", Lbl(), "X", "main.c"}, "revision 1.7 does not exist"},
      {"bob", {"tstamp", Rev(), "1.1.2", Lbl(), "X", "main.c"}, "revision 1.1.2 does not exist"},
      {"eve", {"tstamp", Lbl(), "X", "main.c"}, "is not in the access list"},
      // In the access list but not a known user: a label could not name its
      // creator.
      {"dave", {"tstamp", Lbl(), "X", "main.c"}, Words(msg::kUserNotInModifierList)},
      {"eve", {"tunstamp", Lbl(), "OLD", "main.c"}, "is not in the access list"},
  };
  for (const Case& c : cases) {
    box_.host.Clear();
    box_.env.userName = c.user;
    const int result = c.words.front() == "tstamp" ? box_.Label(c.words) : box_.Unlabel(c.words);
    EXPECT_EQ(result, -1) << c.words[2];
    EXPECT_TRUE(box_.host.Saw(c.expected)) << box_.host.All();
    EXPECT_TRUE(box_.Unchanged()) << c.words[2];
    ExpectOnlyTheLogfile();
  }
  EXPECT_EQ(box_.Journal(), "");
}

TEST_F(LabelCommandTest, RemovingLabels) {
  ASSERT_EQ(box_.Unlabel({"tunstamp", Lbl(), "OLD", "main.c"}), 1) << box_.host.All();
  EXPECT_TRUE(box_.host.Saw("removing label 'OLD'"));
  EXPECT_EQ(box_.Labels(), "1.1.1 FLOAT/1");
  EXPECT_EQ(box_.RecordsNow(), box_.RecordsWritten());
  EXPECT_NE(box_.Journal().find(",tunstamp -v 'OLD' main.c\n"), std::string::npos)
      << box_.Journal();

  // Not there: success, nothing written.
  const std::vector<std::uint8_t> before = box_.Bytes();
  EXPECT_EQ(box_.Unlabel({"tunstamp", Lbl(), "OLD", "main.c"}), 1);
  EXPECT_TRUE(box_.host.Saw("label 'OLD' not found in " + box_.Logfile())) << box_.host.All();
  EXPECT_EQ(box_.Bytes(), before);

  // The last one: the label count is 0 and no label bytes are left.
  ASSERT_EQ(box_.Unlabel({"tunstamp", Lbl(), "FLOAT", "main.c"}), 1);
  const std::vector<std::uint8_t> bytes = box_.Bytes();
  EXPECT_EQ(bytes[8], 0);
  EXPECT_EQ(bytes[9], 0);
  EXPECT_TRUE(box_.Header().labels.empty());
  EXPECT_EQ(box_.RecordsNow(), box_.RecordsWritten());

  // A logfile without labels.
  box_.host.Clear();
  EXPECT_EQ(box_.Unlabel({"tunstamp", Lbl(), "FLOAT", "main.c"}), 1);
  EXPECT_TRUE(box_.host.Saw(box_.Logfile() + " has no labels")) << box_.host.All();
  ExpectOnlyTheLogfile();
}

TEST_F(LabelCommandTest, LabelTextsAreCaseSensitive) {
  ASSERT_EQ(box_.Label({"tstamp", Rev(), "1.1", Lbl(), "old", "main.c"}), 1);
  EXPECT_EQ(box_.Labels(), "1.1 old/1, 1.0 OLD/0, 1.1.1 FLOAT/1");
  ASSERT_EQ(box_.Unlabel({"tunstamp", Lbl(), "OLD", "main.c"}), 1);
  EXPECT_EQ(box_.Labels(), "1.1 old/1, 1.1.1 FLOAT/1");
}

TEST_F(LabelCommandTest, JournalOnlyWithTheJournalAttribute) {
  box_.Write(HeaderSandbox::Standard(0));
  ASSERT_EQ(box_.Label({"tstamp", Lbl(), "X", "main.c"}), 1);
  ASSERT_EQ(box_.Unlabel({"tunstamp", Lbl(), "X", "main.c"}), 1);
  EXPECT_EQ(box_.Journal(), "");
}

TEST_F(LabelCommandTest, ProtectedLogfileIsProtectedAgain) {
  box_.Write(HeaderSandbox::Standard(kAttrProtectLogFile));
  fs::permissions(box_.Logfile(), fs::perms::owner_read | fs::perms::group_read);
  ASSERT_EQ(box_.Label({"tstamp", Lbl(), "X", "main.c"}), 1) << box_.host.All();
  const fs::perms perms = fs::status(box_.Logfile()).permissions();
  EXPECT_EQ(perms & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write),
            fs::perms::none);
}

// --- Faults while rewriting ------------------------------------------------

// Files at the replacement's and the backup's names that carry no lock's
// tag are not this command's (another version's, or another command's that
// may still be at work): the rewrite uses names of its own and leaves them.
TEST_F(LabelCommandTest, UntaggedReplacementAndBackupNamesAreLeftAlone) {
  fs::create_directory(box_.Logs() + "/!ain.d+");
  fs::create_directory(box_.Logs() + "/_main.d@");
  EXPECT_EQ(box_.Label({"tstamp", Lbl(), "X", "main.c"}), 1) << box_.host.All();
  EXPECT_EQ(box_.Unlabel({"tunstamp", Lbl(), "OLD", "main.c"}), 1) << box_.host.All();
  EXPECT_EQ(box_.LogDirectory(), (std::vector<std::string>{"!ain.d+", "_main.d@", "main.d"}));
}

TEST_F(LabelCommandTest, StaleBackupAndReplacementOfAKilledCommandAreCleared) {
  // Left by a command that was killed while it held the lock: its lock
  // file, and files named with its lock's tag.
  const platform::LockRecord dead = testing::LockOfThisMachine(testing::EndedProcessId());
  testing::PlantLockFile(box_.Logs() + "/$ain.d", dead);
  const std::string tag = LockTag(dead.token);
  WriteText(box_.Logs() + "/!ain.d@" + tag, "stale backup");
  WriteText(box_.Logs() + "/!ain.d+" + tag, "stale replacement");
  WriteText(box_.Logs() + "/_main.d@" + tag, "stale removal backup");
  ASSERT_EQ(box_.Label({"tstamp", Lbl(), "X", "main.c"}), 1) << box_.host.All();
  ExpectOnlyTheLogfile();
}

// Runs the label command in a child process prepared by `prepare` (a limit,
// another user), so that the test process keeps its own rights. Returns the
// command's result and the messages it reported.
struct ChildRun {
  int result = 0;
  std::string messages;
};

ChildRun LabelInChild(HeaderSandbox& box, const std::vector<std::string>& words,
                      const std::function<void()>& prepare, const std::string& report) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    prepare();
    box.host.Clear();
    const int result = box.Label(words);
    // The report must not be cut short by a limit the command ran under.
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    WriteText(report, box.host.All());
    ::_exit(result == 1 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ChildRun run;
  run.result = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : -1;
  run.messages = fs::exists(report) ? ReadText(report) : "(the child reported nothing)";
  return run;
}

TEST_F(LabelCommandTest, DiskFullWhileWritingTheNewLogfile) {
  const std::string report = box_.Logs() + "/../report.txt";
  // No file may grow past 300 bytes: the new logfile cannot be written.
  const ChildRun run = LabelInChild(
      box_, {"tstamp", Lbl(), "X", "main.c"},
      [] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 300;  // room for the lock file alone
        ::setrlimit(RLIMIT_FSIZE, &limit);
      },
      report);
  EXPECT_EQ(run.result, -1);
  // The system's reason, never a place in the source.
  const std::string reason = FormatMessage(msg::kWriteFailedBecause, platform::ErrorText(EFBIG));
  EXPECT_NE(run.messages.find(reason.substr(reason.find(':'))), std::string::npos) << run.messages;
  EXPECT_EQ(run.messages.find(", line "), std::string::npos) << run.messages;
  EXPECT_TRUE(box_.Unchanged());
  ExpectOnlyTheLogfile();
}

TEST_F(LabelCommandTest, ReadOnlyLogfileDirectory) {
  if (::geteuid() != 0) {
    fs::permissions(box_.Logs(), fs::perms::owner_read | fs::perms::owner_exec);
  }
  const fs::path root = fs::path(box_.Logs()).parent_path();
  const std::string report = (root / "report.txt").string();
  const ChildRun run = LabelInChild(
      box_, {"tstamp", Lbl(), "X", "main.c"},
      [&] {
        // Root writes anywhere: the command runs as an ordinary user who may
        // read the logfile but not write into its directory.
        if (::geteuid() == 0) {
          fs::permissions(root, fs::perms::all);
          fs::permissions(box_.Logs(), fs::perms::owner_all | fs::perms::group_read |
                                           fs::perms::group_exec | fs::perms::others_read |
                                           fs::perms::others_exec);
          fs::permissions(box_.Logfile(), fs::perms::owner_read | fs::perms::group_read |
                                              fs::perms::others_read | fs::perms::owner_write);
          if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        }
      },
      report);
  fs::permissions(box_.Logs(), fs::perms::owner_all);
  EXPECT_EQ(run.result, -1);
  EXPECT_NE(run.messages.find("11: "), std::string::npos) << run.messages;
  EXPECT_TRUE(box_.Unchanged());
  ExpectOnlyTheLogfile();
}

TEST_F(LabelCommandTest, DamagedRecordsAreReportedAndNothingIsWritten) {
  // The first record claims more data than the file holds.
  std::vector<std::uint8_t> bytes = box_.Bytes();
  const std::size_t first = box_.Header().headerSize;
  bytes[first + 22] = 0xFF;
  bytes[first + 23] = 0xFF;
  testing::WriteBytes(box_.Logfile(), bytes);
  EXPECT_EQ(box_.Label({"tstamp", Rev(), "1.0", Lbl(), "X", "main.c"}), -1);
  EXPECT_TRUE(box_.host.Saw("damaged")) << box_.host.All();
  EXPECT_EQ(box_.Bytes(), bytes);
}

}  // namespace
}  // namespace tarn
