// The first check-in of a workfile: the logfile it creates, byte by byte.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "engine/commands/checkin.h"
#include "engine/format/logfile_header.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "platform/clock.h"
#include "tests/support/checkin_sandbox.h"
#include "tests/support/raw_logfile.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::CheckInSandbox;
using testing::RawLogfile;

std::string Opt(const MessageId& word) { return CheckInSandbox::Option(word.number); }

class LogfileCreateTest : public ::testing::Test {
 protected:
  RawLogfile Parsed(std::string_view name) {
    std::string error;
    std::optional<RawLogfile> log = testing::ReadRawLogfile(box_.Logfile(name), &error);
    EXPECT_TRUE(log) << error;
    return log.value_or(RawLogfile{});
  }

  // Only the logfile directory's own entries: no replacement or lock file.
  std::vector<std::string> LogDirectory() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(box_.Logs())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  CheckInSandbox box_;
};

TEST_F(LogfileCreateTest, FirstCheckInWritesHeaderAndWholeText) {
  box_.env.attributes = kAttrJournalFile | kAttrProtectLogFile;
  box_.env.commentPrefix = "";
  box_.Write("main.cpp", "int main() {}\n");
  const std::int64_t before = platform::CurrentTime();
  CheckInOutcome outcome;
  ASSERT_EQ(box_.CheckIn("main.cpp", {Opt(msg::kOptionText), "module\tof the  program"}, &outcome),
            1)
      << box_.host.All();
  EXPECT_TRUE(outcome.stored);
  EXPECT_EQ(LogDirectory(), std::vector<std::string>{"main.dqq"});

  const RawLogfile log = Parsed("main.cpp");
  EXPECT_EQ(log.format, 6);
  EXPECT_EQ(log.majorNumber, 1);
  EXPECT_EQ(log.minorNumber, 0);
  EXPECT_EQ(log.attributes, kAttrJournalFile | kAttrProtectLogFile);
  EXPECT_EQ(log.revisionCount, 1);
  EXPECT_EQ(log.versionCount, 0);
  EXPECT_EQ(log.defaultRevCount, 0);
  EXPECT_EQ(log.lockCount, 0);
  EXPECT_TRUE(log.checksumMatches);
  EXPECT_EQ(log.accessList, "alice,bob,carol,dave");
  EXPECT_EQ(log.modifierList, "alice,bob,carol,dave");
  EXPECT_EQ(log.commentPrefix, " *  ");
  EXPECT_EQ(log.owner, "alice");
  EXPECT_EQ(log.description, "module of the  program");
  ASSERT_EQ(log.supplementalInfo.size(), kSupplementalInfoSize);
  // Path, NUL, "index~time~size".
  const std::string info(log.supplementalInfo.begin(), log.supplementalInfo.end());
  EXPECT_EQ(info.substr(0, info.find('\0')), box_.Work("main.cpp"));

  ASSERT_EQ(log.revisions.size(), 1u);
  const testing::RawRevision& first = log.revisions[0];
  EXPECT_EQ(first.number, "1.0");
  EXPECT_EQ(first.depth, 0);
  EXPECT_EQ(first.tip, 1);
  EXPECT_EQ(first.locked, 0);
  EXPECT_EQ(first.compressed, 0);
  EXPECT_EQ(first.branchCount, 0);
  EXPECT_EQ(first.creatorIndex, 0);
  EXPECT_EQ(first.description, MessageText(msg::kFirstRevisionDescription.number));
  EXPECT_EQ(std::string(first.data.begin(), first.data.end()), "int main() {}\n");
  EXPECT_EQ(first.putDate % 2, 0u);
  EXPECT_EQ(first.editDate % 2, 0u);
  EXPECT_GE(first.putDate + 2, static_cast<std::uint32_t>(before));
  const std::string expected_info_tail =
      "0~" + std::to_string(first.putDate) + "~" + std::to_string(14);
  EXPECT_EQ(info.substr(info.find('\0') + 1, expected_info_tail.size()), expected_info_tail);

  // The logfile is protected after the command, and the creation journaled.
  EXPECT_EQ(fs::status(box_.Logfile("main.cpp")).permissions() & fs::perms::owner_write,
            fs::perms::none);
  const std::string journal = testing::ReadText(box_.Root() + "/tarn.jnl");
  EXPECT_NE(
      journal.find(ProgramLabel() + " -" + std::string(MessageText(msg::kOptionWorkfile.number))),
      std::string::npos)
      << journal;
  EXPECT_NE(journal.find("-rev 1.0"), std::string::npos) << journal;
}

TEST_F(LogfileCreateTest, QuietHoldsBackTheFirstRevisionDescriptionToo) {
  // The quiet option means the same in every command and program: no
  // information at all, the first revision's description included.
  box_.Write("a.c", "x\n");
  ASSERT_EQ(box_.CheckIn("a.c", {Opt(msg::kOptionQuiet), Opt(msg::kOptionText), "m"}), 1);
  const std::string description =
      std::string(MessageText(msg::kFirstRevisionDescription.number)) + "\n";
  EXPECT_FALSE(box_.host.Saw(description)) << box_.host.All();
  EXPECT_FALSE(box_.host.Saw(FormatMessage(msg::kCheckingIn, "a.c", "1.0")));

  box_.Write("b.c", "x\n");
  ASSERT_EQ(box_.CheckIn("b.c", {Opt(msg::kOptionText), "m"}), 1);
  EXPECT_TRUE(box_.host.Saw(description)) << box_.host.All();
}

TEST_F(LogfileCreateTest, CommentPrefixFromSettingsAndExtension) {
  box_.env.commentPrefix = ".TXT:// ~";
  for (const auto& [name, prefix] : std::vector<std::pair<std::string, std::string>>{
           {"notes.txt", "// "}, {"prog.bas", "REM "}, {"makefile", "#  "}, {"odd.xyz", "   "}}) {
    box_.Write(name, "text\n");
    ASSERT_EQ(box_.CheckIn(name, {Opt(msg::kOptionText), "m"}), 1) << box_.host.All();
    EXPECT_EQ(Parsed(name).commentPrefix, prefix) << name;
  }
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kNoCommentPrefix, ".XYZ")));
}

TEST_F(LogfileCreateTest, CheckLockWithAndWithoutKeptLock) {
  box_.env.attributes = kAttrCheckLock;
  box_.Write("kept.c", "a\n");
  ASSERT_EQ(box_.CheckIn("kept.c", {Opt(msg::kOptionText), "m", Opt(msg::kOptionLock)}), 1);
  RawLogfile kept = Parsed("kept.c");
  EXPECT_EQ(kept.lockCount, 1);
  EXPECT_EQ(kept.revisions[0].locked, 1);
  EXPECT_EQ(kept.revisions[0].lockerIndex, 0);

  box_.env.userName = "bob";
  box_.Write("free.c", "a\n");
  ASSERT_EQ(box_.CheckIn("free.c", {Opt(msg::kOptionText), "m"}), 1);
  RawLogfile free = Parsed("free.c");
  EXPECT_EQ(free.lockCount, 0);
  EXPECT_EQ(free.revisions[0].locked, 0);
  EXPECT_EQ(free.revisions[0].creatorIndex, 1);
  EXPECT_EQ(free.owner, "bob");
}

TEST_F(LogfileCreateTest, RevisionOptionNumbersTheFirstRevision) {
  box_.Write("a.c", "a\n");
  ASSERT_EQ(box_.CheckIn("a.c", {Opt(msg::kOptionText), "m", Opt(msg::kOptionRevision), "2.3"}), 1);
  const RawLogfile log = Parsed("a.c");
  EXPECT_EQ(log.majorNumber, 2);
  EXPECT_EQ(log.minorNumber, 3);
  EXPECT_EQ(log.revisions[0].number, "2.3");
}

TEST_F(LogfileCreateTest, CommandLineAttributesOverrideTheSettings) {
  box_.env.attributes = kAttrCheckLock | kAttrJournalFile | 0x0100;  // and a front-end bit
  box_.Write("a.c", std::string(4000, 'z'));
  ASSERT_EQ(box_.CheckIn("a.c", {Opt(msg::kOptionText), "m", Opt(msg::kOptionSet),
                                 "CheckLock=no,Compression=yes"}),
            1);
  const RawLogfile log = Parsed("a.c");
  EXPECT_EQ(log.attributes, kAttrJournalFile | kAttrCompression);
  EXPECT_EQ(log.revisions[0].compressed, 1);
  EXPECT_LT(log.revisions[0].revSize, 4000u);
  EXPECT_EQ(box_.Fetch("a.c"), std::string(4000, 'z'));
}

TEST_F(LogfileCreateTest, RefusedCreationsLeaveNoLogfile) {
  box_.Write("a.c", "a\n");
  box_.env.userName = "mallory";  // not in the access list
  EXPECT_EQ(box_.CheckIn("a.c", {Opt(msg::kOptionText), "m"}), -1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kUserNotInModifierList)));
  EXPECT_TRUE(LogDirectory().empty());

  box_.env.userName = "";
  EXPECT_EQ(box_.CheckIn("a.c", {Opt(msg::kOptionText), "m"}), -1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kUserNameEmpty, "a.c")));
  EXPECT_TRUE(LogDirectory().empty());

  box_.env.userName = "alice";
  box_.env.accessList = "";
  EXPECT_EQ(box_.CheckIn("a.c", {Opt(msg::kOptionText), "m"}), -1);
  EXPECT_TRUE(box_.host.Saw(FormatMessage(msg::kAccessListEmpty, "a.c")));
  EXPECT_TRUE(LogDirectory().empty());
}

TEST_F(LogfileCreateTest, UnreadableWorkfileAndMissingDirectory) {
  EXPECT_EQ(box_.CheckIn("missing.c", {Opt(msg::kOptionText), "m"}), -1);
  EXPECT_TRUE(box_.host.Saw(box_.Work("missing.c")));
  EXPECT_TRUE(LogDirectory().empty());

  box_.Write("a.c", "a\n");
  box_.env.logfileDirectory = box_.Logs() + "/absent";
  EXPECT_EQ(box_.CheckIn("a.c", {Opt(msg::kOptionText), "m"}), -1);
  EXPECT_FALSE(fs::exists(box_.Logs() + "/absent"));
}

TEST_F(LogfileCreateTest, LogfileThatCannotBeMadeIsReportedAsCreationFailure) {
  box_.Write("a.c", "a\n");
  // The new logfile cannot be written whole: in a child whose files may not
  // grow past the size of a lock file but not of a logfile's header.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{300, 300};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    box_.host.Clear();
    const int status = box_.CheckIn("a.c", {Opt(msg::kOptionText), "m"});
    // The failure is told with the system's reason.
    const bool reported = box_.host.Saw(std::strerror(EFBIG));
    if (!reported) std::fputs(box_.host.All().c_str(), stderr);
    ::_exit(status == -1 ? (reported ? 0 : 2) : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the check-in did not fail, 2: not reported";
  // Neither the logfile, nor its half-written replacement, nor the lock file.
  EXPECT_EQ(LogDirectory(), std::vector<std::string>{});
}

}  // namespace
}  // namespace tarn
