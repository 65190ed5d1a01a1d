// The get command on logfiles written by the tests' own builder, with
// deltas written out by hand: which revision lands in the workfile, how the
// workfile ends up (time stamp, protection), locks, questions, and that a
// get without a lock never changes the logfile.
#include "engine/commands/get_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/store/disk_names.h"
#include "engine/support/environment.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
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
using testing::WriteText;

std::string Word(const MessageId& id) { return MessageText(id.number); }
std::string Opt(const MessageId& id) { return "-" + Word(id); }

// One delta record in the stored layout: kind (2 bytes), position, removed
// and inserted length (4 bytes each), little-endian, then the inserted bytes.
std::string DeltaRecord(int kind, int position, int removed, const std::string& inserted) {
  std::string bytes;
  auto put = [&bytes](std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(static_cast<std::uint32_t>(kind), 2);
  put(static_cast<std::uint32_t>(position), 4);
  put(static_cast<std::uint32_t>(removed), 4);
  put(static_cast<std::uint32_t>(inserted.size()), 4);
  return bytes + inserted;
}

constexpr int kInsert = 0;
constexpr int kDelete = 1;
constexpr int kReplace = 2;

const std::string kText12 = "line one\nline two\nline three\n";
const std::string kText11 = "line one\nline 2\nline three\n";
const std::string kText10 = "line one\nline 2\n";
const std::string kText1111 = "line one\nline 2\nline three\nbranch line\n";

constexpr std::uint32_t kPut12 = 1'600'000'200;
constexpr std::uint32_t kEdit12 = 1'600'000'101;  // odd: the workfile gets 1'600'000'100
constexpr std::uint32_t kPut11 = 1'500'000'000;

// 1.2 (tip, whole text), 1.1 (reverse delta from 1.2), 1.1.1.1 (forward
// delta from 1.1), 1.0 (reverse delta from 1.1); label REL1 on 1.1 and the
// floating label BRANCH on 1.1.1.
LogfileBuilder Logfile(std::uint16_t attributes, std::int16_t tip_locker = -1) {
  LogfileBuilder b;
  b.Attributes(attributes).Access("alice,bob").Modifiers("alice,bob").Owner("alice");
  b.SupplementalInfo(platform::FullPathName("main.c"), 0, 1'000'000, 0);
  BuiltRevision tip{.major = 1,
                   .minor = 2,
                   .tip = 1,
                   .putDate = kPut12,
                   .editDate = kEdit12,
                   .description = "third",
                   .data = kText12};
  if (tip_locker >= 0) {
    tip.locked = 1;
    tip.lockerIndex = tip_locker;
  }
  b.AddRevision(tip);
  b.AddRevision({.major = 1,
                 .minor = 1,
                 .branchCount = 1,
                 .putDate = kPut11,
                 .editDate = kPut11 - 50,
                 .description = "second",
                 .data = DeltaRecord(kReplace, 9, 9, "line 2\n")});
  b.AddRevision({.major = 1,
                 .minor = 1,
                 .depth = 1,
                 .tip = 1,
                 .putDate = kPut11 + 10,
                 .description = "branch",
                 .data = DeltaRecord(kInsert, 27, 0, "branch line\n")});
  b.AddRevision({.major = 1,
                 .minor = 0,
                 .putDate = 1'400'000'000,
                 .description = "first",
                 .data = DeltaRecord(kDelete, 16, 11, "")});
  b.AddLabel({{1, 1}}, "REL1", 0);
  b.AddLabel({{1, 1}, {1, -1}}, "BRANCH ONE", 1);
  return b;
}

class GetCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadCatalogue();
    std::filesystem::create_directory(dir_.path() / "logs");
    std::filesystem::create_directory(dir_.path() / "tmp");
    std::filesystem::create_directory(dir_.path() / "work");
    env_.logfileDirectory = dir_.File("logs");
    env_.tempDirectory = dir_.File("tmp") + "/";
    env_.journalPath = dir_.File("");
    env_.journalName = "journal.txt";
    env_.userName = "bob";
    env_.retryCount = 1;
    logfile_ = *LogfileNameFromWorkfile("main.c", env_.logfileDirectory);
    workfile_ = dir_.File("work/main.c");
  }

  void Write(const LogfileBuilder& builder) { builder.WriteTo(logfile_); }

  // Runs "tget <words> -out <workfile> main.c".
  int Get(std::vector<std::string> words = {}) {
    const ScopedProgramLabel label("tget");
    words.insert(words.begin(), "tget");
    words.push_back(Opt(msg::kOptionOutput));
    words.push_back(workfile_);
    words.push_back("main.c");
    GetCommandArgs args;
    if (ParseGetCommandLine(words, args) != 1) return 99;
    return RunGetCommand(args, env_);
  }

  struct stat Stat(const std::string& path) const {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
  }
  bool Writable(const std::string& path) const { return (Stat(path).st_mode & S_IWUSR) != 0; }

  // Only the test's own files are left in the work and temporary directories.
  void ExpectNoStrayFiles() const {
    for (const char* sub : {"work", "tmp"}) {
      for (const auto& entry : std::filesystem::directory_iterator(dir_.path() / sub)) {
        EXPECT_EQ(entry.path().string(), workfile_) << "left behind: " << entry.path();
      }
    }
  }

  TempDir dir_;
  RecordingHost host_;
  tarnEnvironVars env_;
  std::string logfile_;
  std::string workfile_;
};

TEST_F(GetCommandTest, FetchesByNumberLabelAndDefault) {
  const LogfileBuilder builder = Logfile(0);
  Write(builder);
  const std::vector<std::uint8_t> before = ReadBytes(logfile_);
  struct Case {
    std::vector<std::string> words;
    std::string text;
  };
  const std::vector<Case> cases = {
      {{}, kText12},
      {{Opt(msg::kOptionRevision), "1.1"}, kText11},
      {{Opt(msg::kOptionRevision), "1.0"}, kText10},
      {{Opt(msg::kOptionRevision), "1.1.1.1"}, kText1111},
      {{Opt(msg::kOptionRevision), "1.1.1"}, kText1111},
      {{Opt(msg::kOptionRevision), Word(msg::kWordTrunkTip)}, kText12},
      {{Opt(msg::kOptionLabel), "REL1"}, kText11},
      {{Opt(msg::kOptionLabel), "'BRANCH", "ONE'"}, kText1111},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words.empty() ? "default" : c.words.back());
    std::filesystem::remove(workfile_);
    host_.Clear();
    ASSERT_EQ(Get(c.words), 1) << host_.All();
    EXPECT_EQ(ReadText(workfile_), c.text);
    // A get without a lock never touches the logfile's bytes.
    EXPECT_EQ(ReadBytes(logfile_), before);
    ExpectNoStrayFiles();
  }
}

TEST_F(GetCommandTest, ReportsWhatItWroteUnlessQuiet) {
  Write(Logfile(0));
  ASSERT_EQ(Get({Opt(msg::kOptionRevision), "1.1"}), 1);
  const ScopedProgramLabel label("tget");
  ASSERT_EQ(host_.messages().size(), 3u) << host_.All();
  EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kFetched, "1.1", logfile_, workfile_));
  for (const auto& message : host_.messages()) EXPECT_EQ(message.kind, kStatus);

  host_.Clear();
  ASSERT_EQ(Get({Opt(msg::kOptionQuiet), Opt(msg::kWordYes)}), 1);
  EXPECT_TRUE(host_.messages().empty()) << host_.All();
  EXPECT_EQ(ReadText(workfile_), kText12);
}

TEST_F(GetCommandTest, TimeStampModes) {
  Write(Logfile(0));
  ASSERT_EQ(Get({"-" + Word(msg::kOptionTimestamp) + "=" + Word(msg::kWordEditTime)}), 1);
  EXPECT_EQ(Stat(workfile_).st_mtime, kEdit12 - 1);  // even seconds
  ASSERT_EQ(Get({Opt(msg::kWordYes),
                 "-" + Word(msg::kOptionTimestamp) + "=" + Word(msg::kWordCheckinTime)}),
            1);
  EXPECT_EQ(Stat(workfile_).st_mtime, kPut12);
  const std::int64_t before = std::time(nullptr);
  ASSERT_EQ(Get({Opt(msg::kWordYes)}), 1);
  const std::int64_t stamped = Stat(workfile_).st_mtime;
  EXPECT_EQ(stamped % 2, 0);
  EXPECT_GE(stamped, before - 2);
  EXPECT_LE(stamped, std::time(nullptr));
}

TEST_F(GetCommandTest, WritableWorkfileIsReplacedOnlyWhenTheUserSaysSo) {
  Write(Logfile(0));
  WriteText(workfile_, "my own edits\n");

  // Asked, answered no (the recording host's default): left alone, and
  // nothing was done.
  ASSERT_EQ(Get(), 2);
  EXPECT_EQ(host_.questions_asked(), 1);
  EXPECT_EQ(ReadText(workfile_), "my own edits\n");
  {
    const ScopedProgramLabel label("tget");
    EXPECT_EQ(host_.messages().back().text, FormatMessage(msg::kAskReplaceWritable, workfile_));
  }

  // The keep answer: left alone, and said so unless quiet.
  host_.Clear();
  ASSERT_EQ(Get({Opt(msg::kWordKeep)}), 2);
  EXPECT_EQ(ReadText(workfile_), "my own edits\n");
  {
    const ScopedProgramLabel label("tget");
    ASSERT_EQ(host_.messages().size(), 1u);
    EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kWritableWorkfileKept, workfile_));
  }
  host_.Clear();
  ASSERT_EQ(Get({Opt(msg::kWordKeep), Opt(msg::kOptionQuiet)}), 2);
  EXPECT_TRUE(host_.messages().empty());
  EXPECT_EQ(host_.questions_asked(), 1);

  // Asked again, answered yes: replaced.
  host_.QueueAnswer(true);
  ASSERT_EQ(Get(), 1);
  EXPECT_EQ(ReadText(workfile_), kText12);
  EXPECT_EQ(host_.questions_asked(), 2);

  // A read-only workfile is replaced without a question.
  std::filesystem::permissions(workfile_, std::filesystem::perms::owner_read);
  WriteText(dir_.File("ignored"), "");
  ASSERT_EQ(Get({Opt(msg::kOptionRevision), "1.0"}), 1);
  EXPECT_EQ(ReadText(workfile_), kText10);
  EXPECT_EQ(host_.questions_asked(), 2);
  ExpectNoStrayFiles();
}

TEST_F(GetCommandTest, NewerOnlyWritesOnlyOverAnOlderWorkfile) {
  Write(Logfile(0));
  WriteText(workfile_, "older\n");
  std::filesystem::permissions(workfile_, std::filesystem::perms::owner_read);
  // Modified after 1.1 was checked in: nothing is written, and that is success.
  ASSERT_EQ(::utime(workfile_.c_str(), nullptr), 0);
  ASSERT_EQ(Get({Opt(msg::kOptionNewerOnly), Opt(msg::kOptionRevision), "1.1"}), 1);
  EXPECT_EQ(ReadText(workfile_), "older\n");
  // Older than 1.2's check-in: written.
  struct utimbuf old_times {
    kPut12 - 10, kPut12 - 10
  };
  ASSERT_EQ(::utime(workfile_.c_str(), &old_times), 0);
  ASSERT_EQ(Get({Opt(msg::kOptionNewerOnly)}), 1);
  EXPECT_EQ(ReadText(workfile_), kText12);
}

TEST_F(GetCommandTest, ProtectWorkFileUnderCheckLockMakesAReadOnlyWorkfile) {
  Write(Logfile(kAttrCheckLock | kAttrProtectWorkFile));
  ASSERT_EQ(Get(), 1) << host_.All();
  EXPECT_FALSE(Writable(workfile_));
  // Overridden on the command line: writable.
  ASSERT_EQ(Get({Opt(msg::kOptionSet), Word(msg::kWordProtectWorkFile) + "=" + Word(msg::kWordNo)}),
            1);
  EXPECT_TRUE(Writable(workfile_));
  // Without CheckLock the protection does not apply.
  Write(Logfile(kAttrProtectWorkFile));
  std::filesystem::remove(workfile_);
  ASSERT_EQ(Get(), 1);
  EXPECT_TRUE(Writable(workfile_));
}

TEST_F(GetCommandTest, CheckOutRecordsTheLockAndLeavesAWritableWorkfile) {
  const std::uint16_t attributes = kAttrCheckLock | kAttrProtectWorkFile | kAttrJournalFile;
  Write(Logfile(attributes));
  ASSERT_EQ(Get({Opt(msg::kOptionLock)}), 1) << host_.All();
  EXPECT_EQ(ReadText(workfile_), kText12);
  EXPECT_TRUE(Writable(workfile_));
  // Expected: 1.2 locked by bob (1), lock count 1, and the supplemental
  // info naming the workfile just written, its size and bob as the last
  // modifier (the stored update time kept).
  LogfileBuilder expected = Logfile(attributes, 1);
  expected.SupplementalInfo(workfile_, 1, 1'000'000, kText12.size());
  EXPECT_EQ(ReadBytes(logfile_), expected.Bytes());
  // The journal echoes the check-out.
  const std::string journal = ReadText(dir_.File("journal.txt"));
  const std::string echo = "tget " + Opt(msg::kOptionLock) + " " + Opt(msg::kOptionRevision) +
                           " 1.2 " + Opt(msg::kOptionOutput) + " " + workfile_ + " main.c";
  EXPECT_NE(journal.find(echo), std::string::npos) << journal;

  // A second check-out by the same user is refused: a failure, nothing changes.
  host_.Clear();
  std::filesystem::remove(workfile_);
  EXPECT_EQ(Get({Opt(msg::kOptionLock), Opt(msg::kOptionRevision), "1.0"}), -1);
  EXPECT_FALSE(std::filesystem::exists(workfile_));
  EXPECT_EQ(ReadBytes(logfile_), expected.Bytes());
  {
    const ScopedProgramLabel label("tget");
    EXPECT_TRUE(host_.Saw(FormatMessage(msg::kUserHoldsLock, "1.2"))) << host_.All();
  }
  ExpectNoStrayFiles();
}

TEST_F(GetCommandTest, CheckOutEchoesLabelAndOverridesInTheJournal) {
  const std::uint16_t attributes = kAttrCheckLock | kAttrJournalFile | kAttrExpandKeywords;
  Write(Logfile(attributes));
  ASSERT_EQ(
      Get({Opt(msg::kOptionLock), Opt(msg::kOptionLabel), "'BRANCH", "ONE'", Opt(msg::kOptionSet),
           Word(msg::kWordProtectWorkFile) + "=" + Word(msg::kWordYes) + "," +
               Word(msg::kWordExpandKeywords) + "=" + Word(msg::kWordNo)}),
      1)
      << host_.All();
  const std::string set = " " + Opt(msg::kOptionSet) + " ";
  const std::string echo = "tget " + Opt(msg::kOptionLock) + " " + Opt(msg::kOptionRevision) +
                           " 1.1.1.1 " + Opt(msg::kOptionOutput) + " " + workfile_ + " " +
                           Opt(msg::kOptionLabel) + " \"BRANCH ONE\"" + set +
                           Word(msg::kWordExpandKeywords) + "=" + Word(msg::kWordNo) + set +
                           Word(msg::kWordProtectWorkFile) + "=" + Word(msg::kWordYes) + " main.c";
  const std::string journal = ReadText(dir_.File("journal.txt"));
  EXPECT_NE(journal.find(echo), std::string::npos) << journal << "\nwanted: " << echo;
}

TEST_F(GetCommandTest, CheckOutWithoutCheckLockWritesButRecordsNothing) {
  const LogfileBuilder builder = Logfile(0);
  Write(builder);
  ASSERT_EQ(Get({Opt(msg::kOptionLock)}), 1);
  EXPECT_EQ(ReadText(workfile_), kText12);
  EXPECT_EQ(ReadBytes(logfile_), builder.Bytes());
  const ScopedProgramLabel label("tget");
  EXPECT_TRUE(host_.Saw(FormatMessage(
      msg::kCheckLockOff, "main.c", std::string_view(MessageText(msg::kLocksNotRecorded.number)))));
}

// Quiet holds back every information message, also those the get does not
// word itself, but a question still shows its text; errors are shown.
TEST_F(GetCommandTest, QuietShowsNoInformationButStillAsksWithItsText) {
  Write(Logfile(0));
  ASSERT_EQ(Get({Opt(msg::kOptionLock), Opt(msg::kOptionQuiet)}), 1);
  EXPECT_EQ(ReadText(workfile_), kText12);
  EXPECT_TRUE(host_.messages().empty()) << host_.All();  // no 139, no 194

  std::filesystem::permissions(workfile_, std::filesystem::perms::owner_all);
  host_.QueueAnswer(true);
  ASSERT_EQ(Get({Opt(msg::kOptionQuiet), Opt(msg::kOptionRevision), "1.1"}), 1);
  EXPECT_EQ(ReadText(workfile_), kText11);
  EXPECT_EQ(host_.questions_asked(), 1);
  {
    const ScopedProgramLabel label("tget");
    ASSERT_EQ(host_.messages().size(), 1u) << host_.All();
    EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kAskReplaceWritable, workfile_));
  }

  host_.Clear();
  std::filesystem::remove(workfile_);
  EXPECT_EQ(Get({Opt(msg::kOptionQuiet), Opt(msg::kOptionRevision), "1.7"}), -1);
  ASSERT_EQ(host_.messages().size(), 1u) << host_.All();
  EXPECT_EQ(host_.messages()[0].kind, kAlert);
}

TEST_F(GetCommandTest, RevisionLockedByAnotherUserIsNotCheckedOut) {
  const LogfileBuilder builder = Logfile(kAttrCheckLock, 0);  // alice holds 1.2
  Write(builder);
  WriteText(workfile_, "kept\n");
  std::filesystem::permissions(workfile_, std::filesystem::perms::owner_read);
  EXPECT_EQ(Get({Opt(msg::kOptionLock)}), -1);
  EXPECT_EQ(ReadText(workfile_), "kept\n");
  EXPECT_EQ(ReadBytes(logfile_), builder.Bytes());
  const ScopedProgramLabel label("tget");
  EXPECT_TRUE(host_.Saw(FormatMessage(msg::kAlreadyLocked, "main.c", "alice"))) << host_.All();
  ExpectNoStrayFiles();
}

TEST_F(GetCommandTest, MissingLabelsAndRevisions) {
  const LogfileBuilder builder = Logfile(0);
  Write(builder);
  WriteText(workfile_, "kept\n");
  std::filesystem::permissions(workfile_, std::filesystem::perms::owner_read);
  const ScopedProgramLabel label("tget");

  // A label that is not there: said so as an error, nothing written, a
  // failure (what was asked for cannot be fetched).
  EXPECT_EQ(Get({Opt(msg::kOptionLabel), "REL9"}), -1);
  EXPECT_TRUE(host_.Saw(FormatMessage(msg::kLabelNotFound, "REL9", "main.c")));
  EXPECT_EQ(host_.messages().back().kind, kAlert);
  // A revision that is not there: a failure, named as missing.
  host_.Clear();
  EXPECT_EQ(Get({Opt(msg::kOptionRevision), "1.7"}), -1);
  EXPECT_TRUE(host_.Saw(FormatMessage(msg::kRevisionNotFound, "1.7"))) << host_.All();
  EXPECT_EQ(ReadText(workfile_), "kept\n");
  // One missing on a branch that is there: the walk passes the older trunk
  // revisions without applying them, and the logfile is not called damaged.
  host_.Clear();
  EXPECT_EQ(Get({Opt(msg::kOptionRevision), "1.1.1.2"}), -1);
  EXPECT_TRUE(host_.Saw(FormatMessage(msg::kRevisionNotFound, "1.1.1.2"))) << host_.All();
  EXPECT_EQ(host_.messages().size(), 1u) << host_.All();
  EXPECT_EQ(ReadText(workfile_), "kept\n");

  // A logfile without labels.
  LogfileBuilder unlabelled;
  unlabelled.AddRevision({.major = 1, .minor = 0, .tip = 1, .data = "only\n"});
  unlabelled.WriteTo(logfile_);
  host_.Clear();
  EXPECT_EQ(Get({Opt(msg::kOptionLabel), "REL1"}), -1);
  EXPECT_TRUE(host_.Saw(FormatMessage(msg::kNoLabels, "main.c")));
  EXPECT_EQ(ReadText(workfile_), "kept\n");
  ExpectNoStrayFiles();
}

TEST_F(GetCommandTest, OutputOntoTheLogfileIsRefused) {
  const LogfileBuilder builder = Logfile(0);
  Write(builder);
  workfile_ = env_.logfileDirectory + "/./main.d";
  EXPECT_EQ(Get({Opt(msg::kWordYes)}), -1);
  EXPECT_EQ(ReadBytes(logfile_), builder.Bytes());
  const ScopedProgramLabel label("tget");
  EXPECT_TRUE(host_.Saw(FormatMessage(msg::kWorkfileIsLogfile, workfile_))) << host_.All();
}

TEST_F(GetCommandTest, DamagedLogfileLeavesTheWorkfile) {
  const LogfileBuilder builder = Logfile(0);
  std::vector<std::uint8_t> bytes = builder.Bytes();
  // Cut inside the delta of 1.0.
  bytes.resize(bytes.size() - 3);
  testing::WriteBytes(logfile_, bytes);
  WriteText(workfile_, "kept\n");
  std::filesystem::permissions(workfile_, std::filesystem::perms::owner_read);
  EXPECT_EQ(Get({Opt(msg::kOptionRevision), "1.0"}), -1);
  EXPECT_EQ(ReadText(workfile_), "kept\n");
  EXPECT_EQ(ReadBytes(logfile_), bytes);
  EXPECT_FALSE(host_.messages().empty());
  ExpectNoStrayFiles();
  // A logfile cut short says so, whichever revision is asked for: the user
  // learns of the damage before anything else is lost.
  host_.Clear();
  EXPECT_EQ(Get({Opt(msg::kOptionRevision), "1.1"}), -1);
  EXPECT_EQ(ReadText(workfile_), "kept\n");
  const ScopedProgramLabel label("tget");
  EXPECT_TRUE(host_.Saw(FormatMessage(
      msg::kLogfileDamaged, std::string_view(MessageText(msg::kDamageCutShort.number)))))
      << host_.All();
}

}  // namespace
}  // namespace tarn
