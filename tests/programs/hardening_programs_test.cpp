// The programs against what a careless script, an odd file or a sudden end
// can do: workfiles that are not regular files, the revision on standard
// output, honest exit statuses (0 done, 1 failed, 2 command line refused,
// 3 nothing done), typed values that end early, files at the lock file's
// name, and commands killed or interrupted between any two bytes they write.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "tests/support/lock_holder.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/program_runner.h"
#include "tests/support/raw_logfile.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::EndedProcessId;
using testing::LockOfThisMachine;
using testing::LogfileBuilder;
using testing::PlantLockFile;
using testing::ProgramResult;
using testing::ProgramSetup;
using testing::ReadBytes;
using testing::ReadText;
using testing::WriteText;

std::string Word(const MessageId& id) { return MessageText(id.number); }
std::string Opt(const MessageId& id) { return "-" + Word(id); }

// The words of a message after its last conversion.
std::string TailWords(const MessageId& id) {
  const std::string text = MessageText(id.number);
  const std::size_t last = text.rfind('%');
  return last == std::string::npos ? text : text.substr(last + 2);
}

// Points to stop a command at among `count` bytes: every byte near the start
// and the end (headers, records), every 7th in between (copied text).
std::vector<std::size_t> StopPoints(std::size_t count) {
  std::vector<std::size_t> points;
  for (std::size_t at = 0; at < count; ++at) {
    if (at < 48 || at + 96 >= count || at % 7 == 0) points.push_back(at);
  }
  return points;
}

// The fixed words of a message: its text between the program label and the
// first conversion after it.
std::string FixedWords(const MessageId& id) {
  const std::string text = MessageText(id.number);
  const std::size_t start = text.find("%s") == 0 ? 2 : 0;
  const std::size_t end = text.find('%', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

const std::string kNew = "line one\nline two\nline three\n";
const std::string kOld = "line one\nline 2\nline three\n";

// The delta that turns kNew into kOld: replace "line two\n" (9 bytes at 9).
std::string DeltaToOld() {
  std::string bytes;
  const auto put = [&bytes](std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(2, 2);
  put(9, 4);
  put(9, 4);
  put(7, 4);
  return bytes + "line 2\n";
}

// 1.1 (tip) and 1.0, label REL1 on 1.0; users alice and bob.
LogfileBuilder Logfile(std::uint16_t attributes) {
  LogfileBuilder b;
  b.Attributes(attributes).Users("alice,bob").Owner("alice");
  b.AddRevision({.major = 1,
                 .minor = 1,
                 .tip = 1,
                 .putDate = 1'600'000'000,
                 .editDate = 1'600'000'000,
                 .description = "second",
                 .data = kNew});
  b.AddRevision({.major = 1,
                 .minor = 0,
                 .putDate = 1'500'000'000,
                 .description = "first",
                 .data = DeltaToOld()});
  b.AddLabel({{1, 0}}, "REL1", 0);
  return b;
}

class HardeningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    for (const char* sub : {"logs", "tmp", "work"}) fs::create_directory(dir_.path() / sub);
    logfile_ = dir_.File("logs/main.d");
    workfile_ = dir_.File("work/main.c");
    setup_.workingDirectory = dir_.File("work");
    setup_.environment = {
        {Word(msg::kEnvLogfileDirectory), dir_.File("logs")},
        {Word(msg::kEnvUserName), "bob"},
        {Word(msg::kEnvAccessList), "alice,bob"},
        {Word(msg::kEnvTempDirectory), dir_.File("tmp") + "/"},
        {Word(msg::kEnvJournalPath), dir_.File("") + "/"},
        {Word(msg::kEnvJournalName), "journal.txt"},
        {Word(msg::kEnvRetryCount), "1"},
    };
  }

  ProgramResult Run(const std::string& program, const std::vector<std::string>& arguments,
                    const std::map<std::string, std::string>& extra = {},
                    std::optional<std::string> input = std::nullopt) {
    ProgramSetup setup = setup_;
    for (const auto& [name, value] : extra) setup.environment[name] = value;
    setup.input = std::move(input);
    return testing::RunBuiltProgram(program, arguments, setup);
  }

  // The entries of the work, temporary and logfile directories.
  std::vector<std::string> Entries() const {
    std::vector<std::string> found;
    for (const char* sub : {"work", "tmp", "logs"}) {
      for (const auto& entry : fs::directory_iterator(dir_.path() / sub)) {
        found.push_back(std::string(sub) + "/" + entry.path().filename().string());
      }
    }
    std::sort(found.begin(), found.end());
    return found;
  }

  testing::RawLogfile Parsed() const {
    std::string error;
    const std::optional<testing::RawLogfile> log = testing::ReadRawLogfile(logfile_, &error);
    EXPECT_TRUE(log) << error;
    return log.value_or(testing::RawLogfile{});
  }

  static int LockedRecords(const testing::RawLogfile& log) {
    return static_cast<int>(std::count_if(log.revisions.begin(), log.revisions.end(),
                                          [](const auto& r) { return r.locked != 0; }));
  }

  testing::TempDir dir_;
  std::string logfile_;
  std::string workfile_;
  ProgramSetup setup_;
};

// ---------------------------------------------------------------------------
// Workfiles that are not regular files

TEST_F(HardeningTest, OnlyRegularFilesAreReplacedAndLinksAreFollowed) {
  Logfile(0).WriteTo(logfile_);
  const std::vector<std::uint8_t> logfile_bytes = ReadBytes(logfile_);
  fs::create_directory(dir_.path() / "elsewhere");
  const std::string elsewhere = dir_.File("elsewhere/real.c");

  // A link to a read-only file elsewhere: that file gets the text, the link stays.
  WriteText(elsewhere, "old\n");
  fs::permissions(elsewhere, fs::perms::owner_read);
  fs::create_symlink("../elsewhere/real.c", workfile_);
  ProgramResult result = Run("tget", {"main.c"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(fs::is_symlink(workfile_));
  EXPECT_EQ(ReadText(elsewhere), kNew);
  fs::remove(workfile_);
  fs::remove(elsewhere);

  // A dangling link: the file it names is created.
  fs::create_symlink("../elsewhere/real.c", workfile_);
  result = Run("tget", {"main.c"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(fs::is_symlink(workfile_));
  EXPECT_EQ(ReadText(elsewhere), kNew);
  fs::remove(workfile_);

  // Things that are no regular file are refused and left as they are, with
  // and without the lock option, and no question is asked about them.
  const std::string fifo = dir_.File("elsewhere/fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  const auto make_fifo = [&] { return ::mkfifo(workfile_.c_str(), 0666) == 0; };
  const auto make_directory = [&] { return fs::create_directory(workfile_); };
  const auto make_device = [&] {
    return ::mknod(workfile_.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;  // like /dev/null
  };
  const auto make_link_to_fifo = [&] {
    fs::create_symlink(fifo, workfile_);
    return true;
  };
  const struct {
    const char* what;
    std::function<bool()> make;
    fs::file_type type;
  } cases[] = {
      {"fifo", make_fifo, fs::file_type::fifo},
      {"directory", make_directory, fs::file_type::directory},
      {"device", make_device, fs::file_type::character},
      {"link to a fifo", make_link_to_fifo, fs::file_type::fifo},
  };
  for (const auto& c : cases) {
    if (!c.make()) {
      ADD_FAILURE() << "cannot make a " << c.what << " (needs root for a device)";
      continue;
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"main.c"}, {Opt(msg::kOptionLock), "main.c"}}) {
      result = Run("tget", args, {{Word(msg::kEnvAnswer), Word(msg::kWordYes)}});
      EXPECT_EQ(result.status, 1) << c.what;
      EXPECT_NE(result.err.find(FixedWords(msg::kWorkfileNotRegular)), std::string::npos)
          << c.what << ": " << result.err;
      EXPECT_EQ(fs::status(workfile_).type(), c.type) << c.what;
    }
    EXPECT_EQ(ReadBytes(logfile_), logfile_bytes) << c.what;
    fs::remove(workfile_);
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"logs/main.d"}));
}

// ---------------------------------------------------------------------------
// The revision on standard output

TEST_F(HardeningTest, StandardOutputGetsTheRevisionAndNoWorkfileIsTouched) {
  Logfile(kAttrCheckLock).WriteTo(logfile_);
  const std::vector<std::uint8_t> logfile_bytes = ReadBytes(logfile_);
  const std::string to_stdout = Opt(msg::kOptionStandardOutput);
  const struct {
    std::vector<std::string> args;
    std::string text;
  } cases[] = {
      {{to_stdout, "main.c"}, kNew},
      {{Opt(msg::kOptionRevision), "1.0", to_stdout, "main.c"}, kOld},
      {{to_stdout, Opt(msg::kOptionLabel), "REL1", "main.c"}, kOld},
  };
  for (const auto& c : cases) {
    const ProgramResult result = Run("tget", c.args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, c.text);
    EXPECT_FALSE(fs::exists(workfile_));
  }
  // A writable workfile is neither asked about nor touched.
  WriteText(workfile_, "the user's edits\n");
  ProgramResult result = Run("tget", {to_stdout, "main.c"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, kNew);
  EXPECT_EQ(ReadText(workfile_), "the user's edits\n");
  // It never locks and names no workfile.
  for (const std::vector<std::string>& refused :
       {std::vector<std::string>{to_stdout, Opt(msg::kOptionLock), "main.c"},
        {Opt(msg::kOptionLock), to_stdout, "main.c"},
        {to_stdout, Opt(msg::kOptionOutput), "x.c", "main.c"},
        {Opt(msg::kOptionNewerOnly), to_stdout, "main.c"}}) {
    result = Run("tget", refused);
    EXPECT_EQ(result.status, 2) << refused[1];
    EXPECT_NE(result.err.find(FixedWords(msg::kStandardOutputWith)), std::string::npos)
        << result.err;
  }
  EXPECT_EQ(ReadBytes(logfile_), logfile_bytes);
}

// ---------------------------------------------------------------------------
// Exit statuses

TEST_F(HardeningTest, ExitStatusSaysWhetherWhatWasAskedWasDone) {
  Logfile(kAttrCheckLock).WriteTo(logfile_);
  const std::vector<std::uint8_t> logfile_bytes = ReadBytes(logfile_);
  WriteText(workfile_, "the user's edits\n");
  const std::string bad_set = Word(msg::kWordExpandKeywords) + "=maybe";
  const struct {
    std::vector<std::string> args;
    int status;
    const MessageId* message;  // expected on standard error, if any
    bool tail = false;         // look for the words after its last conversion
  } cases[] = {
      // A label that does not exist: nothing could be fetched.
      {{Opt(msg::kOptionLabel), "NOPE", Opt(msg::kWordYes), "main.c"}, 1, &msg::kLabelNotFound},
      // A writable workfile left alone (no terminal to ask, or answered no or keep).
      {{Opt(msg::kOptionLock), "main.c"}, 3, &msg::kNoAnswerAvailable},
      {{Opt(msg::kWordNo), "main.c"}, 3, nullptr},
      {{Opt(msg::kWordKeep), "main.c"}, 3, nullptr},
      // A bad attribute value is no longer skipped: the line is refused.
      {{Opt(msg::kOptionSet), bad_set, Opt(msg::kWordYes), "main.c"}, 2, &msg::kAttributeBadValue},
      // A revision that is not there is named as missing, not as unrebuildable.
      {{Opt(msg::kOptionRevision), "1.5", Opt(msg::kWordYes), "main.c"},
       1,
       &msg::kRevisionNotFound,
       true},
  };
  for (const auto& c : cases) {
    const ProgramResult result = Run("tget", c.args);
    EXPECT_EQ(result.status, c.status) << c.args[0] << ": " << result.err;
    if (c.message != nullptr) {
      const std::string words = c.tail ? TailWords(*c.message) : FixedWords(*c.message);
      EXPECT_NE(result.err.find(words), std::string::npos) << c.args[0] << ": " << result.err;
    }
    EXPECT_EQ(ReadText(workfile_), "the user's edits\n") << c.args[0];
    EXPECT_EQ(ReadBytes(logfile_), logfile_bytes) << c.args[0];
  }
  const ProgramResult result = Run("tget", {Opt(msg::kWordYes), "main.c"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadText(workfile_), kNew);
}

// ---------------------------------------------------------------------------
// The refresh after a check-in

// A binary workfile's keywords are fixed-width fields: refreshed as text
// they would grow the file, and the next check-in would store the growth.
TEST_F(HardeningTest, BinaryWorkfileIsRefreshedAsAGetWouldWriteIt) {
  const std::map<std::string, std::string> binary = {{Word(msg::kEnvBinaryFile), "yes"},
                                                     {Word(msg::kEnvExpandKeywords), "yes"}};
  const std::string text = std::string("ab\0$", 4) + Word(msg::kKeywordRevision) +
                           ":          $\x01\n" + "$" + Word(msg::kKeywordRevision) + "$\n";
  WriteText(dir_.File("work/b.bin"), text);
  for (int check_in = 0; check_in < 2; ++check_in) {
    ProgramResult result = Run("tput", {Opt(msg::kOptionText), "d", "b.bin"}, binary);
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string refreshed = ReadText(dir_.File("work/b.bin"));
    EXPECT_EQ(refreshed.size(), text.size());
    result = Run("tget", {Opt(msg::kOptionStandardOutput), "b.bin"}, binary);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(refreshed, result.out);
    // An edit outside the keyword, checked in next.
    ASSERT_EQ(Run("tlock", {"b.bin"}, binary).status, 0);
    std::string edited = refreshed;
    edited[0] = 'x';
    fs::permissions(dir_.File("work/b.bin"), fs::perms::owner_read | fs::perms::owner_write);
    WriteText(dir_.File("work/b.bin"), edited);
  }
}

// ---------------------------------------------------------------------------
// Typed header values

TEST_F(HardeningTest, TypedValueEndingBeforeAnythingWasTypedChangesNothing) {
  LogfileBuilder b = Logfile(0);
  b.Description("the module").CommentPrefix("// ");
  b.WriteTo(logfile_);
  const std::vector<std::uint8_t> logfile_bytes = ReadBytes(logfile_);
  for (const MessageId* option : {&msg::kOptionDescription, &msg::kOptionCommentPrefix}) {
    const ProgramResult result = Run("tmh", {Opt(*option), "main.c"}, {}, "");
    EXPECT_EQ(result.status, 1) << Word(*option);
    EXPECT_NE(result.err.find(FixedWords(msg::kValueAbandoned)), std::string::npos) << result.err;
    EXPECT_EQ(ReadBytes(logfile_), logfile_bytes);
  }
  // An empty value given explicitly is stored.
  const ProgramResult result =
      Run("tmh", {Opt(msg::kOptionDescription), Opt(msg::kOptionText), "", "main.c"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Parsed().description, "");
}

// A value too long for the header is refused for that reason alone.
TEST_F(HardeningTest, OversizedValueIsRefusedWithoutAFalseCopyFailure) {
  Logfile(0).WriteTo(logfile_);
  const std::vector<std::uint8_t> logfile_bytes = ReadBytes(logfile_);
  const ProgramResult result = Run("tmh", {Opt(msg::kOptionDescription), Opt(msg::kOptionText),
                                           std::string(40000, 'x'), "main.c"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(FixedWords(msg::kHeaderFieldTooLarge)), std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find(FixedWords(msg::kCopyToTempFailed)), std::string::npos) << result.err;
  EXPECT_EQ(ReadBytes(logfile_), logfile_bytes);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"logs/main.d"}));
}

// A failed system call is reported with the system's reason, not with a
// place in the program's source.
TEST_F(HardeningTest, UnreadableWorkfileIsReportedWithTheSystemsReason) {
  const ProgramResult result = Run("tput", {Opt(msg::kOptionText), "d", "missing.c"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(std::strerror(ENOENT)), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("line"), std::string::npos) << result.err;
}

// ---------------------------------------------------------------------------
// What stands at the lock file's name

TEST_F(HardeningTest, WhatStandsAtTheLockFilesNameIsJudgedByWhatItSays) {
  Logfile(0).WriteTo(logfile_);
  const std::string lock = dir_.File("logs/$ain.d");
  // The lock of a process of this machine that has ended is cleared.
  PlantLockFile(lock, LockOfThisMachine(EndedProcessId()));
  ProgramResult result = Run("tlock", {"main.c"}, {{Word(msg::kEnvRetryCount), "2"}});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_FALSE(fs::exists(lock));
  // An empty file (an older version's lock), a user's own file: shown,
  // escaped, and left as they are, with the way to break them.
  for (const std::string& content : {std::string(), std::string("a user's notes\x1b[2J\n")}) {
    WriteText(lock, content);
    result = Run("tlock", {"main.c"}, {{Word(msg::kEnvRetryCount), "2"}});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("is not one this version can read"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(content.empty() ? "holds \"\"" : "notes\\x1b[2J\\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(ReadText(lock), content);
  }
  fs::remove(lock);
  // A directory at that name stays and is reported.
  fs::create_directory(lock);
  result = Run("tlock", {"main.c"}, {{Word(msg::kEnvRetryCount), "3"}});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(FixedWords(msg::kNotALockFile)), std::string::npos) << result.err;
  EXPECT_TRUE(fs::is_directory(lock));
  fs::remove(lock);
}

TEST_F(HardeningTest, WorkfileWhoseLogfileWouldBeItsOwnLockFileIsRefused) {
  // "$ain.c" has the logfile "$ain.d", whose lock file would be itself.
  WriteText(dir_.File("work/$ain.c"), "text\n");
  ProgramResult result = Run("tput", {Opt(msg::kOptionText), "d", "$ain.c"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(FixedWords(msg::kNamesCollide)), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(dir_.File("logs/$ain.d")));
  // One made elsewhere is never taken for a stale lock and deleted.
  Logfile(0).WriteTo(dir_.File("logs/$ain.d"));
  const std::vector<std::uint8_t> bytes = ReadBytes(dir_.File("logs/$ain.d"));
  const std::map<std::string, std::vector<std::string>> runs = {
      {"tget", {Opt(msg::kWordYes), "$ain.c"}},
      {"tlock", {"$ain.c"}},
      {"tunlock", {"$ain.c"}},
      {"tput", {Opt(msg::kOptionText), "d", "$ain.c"}},
  };
  for (const auto& [program, args] : runs) {
    result = Run(program, args);
    EXPECT_EQ(result.status, 1) << program;
    EXPECT_NE(result.err.find(FixedWords(msg::kNamesCollide)), std::string::npos) << result.err;
    EXPECT_EQ(ReadBytes(dir_.File("logs/$ain.d")), bytes) << program;
  }
  EXPECT_EQ(ReadText(dir_.File("work/$ain.c")), "text\n");
}

// ---------------------------------------------------------------------------
// Lock record and lock count

// Every byte a lock writes, killed there or the disk full there: the
// logfile is the old one or the new one, its count agrees with its records,
// and what was left behind stops no later command.
TEST_F(HardeningTest, LockKilledOrFailingAtAnyByteLeavesRecordAndCountAgreeing) {
  Logfile(kAttrCheckLock).WriteTo(logfile_);
  const std::vector<std::uint8_t> before = ReadBytes(logfile_);
  ASSERT_EQ(Run("tlock", {"main.c"}).status, 0);
  const std::vector<std::uint8_t> locked = ReadBytes(logfile_);
  ASSERT_EQ(Parsed().lockCount, 1);
  ASSERT_EQ(LockedRecords(Parsed()), 1);
  // The new logfile, then its changed revision header once more.
  const std::size_t bytes_written = locked.size() + 32;

  for (const char* hook : {"TARN_FAULT_KILL_AT", "TARN_FAULT_WRITE_LIMIT"}) {
    for (const std::size_t at : StopPoints(bytes_written)) {
      testing::WriteBytes(logfile_, before);
      const ProgramResult result = Run("tlock", {"main.c"}, {{hook, std::to_string(at)}});
      EXPECT_NE(result.status, 0) << hook << " " << at;
      const std::vector<std::uint8_t> after = ReadBytes(logfile_);
      ASSERT_TRUE(after == before || after == locked) << hook << " " << at;
      const testing::RawLogfile log = Parsed();
      EXPECT_EQ(log.lockCount, LockedRecords(log)) << hook << " " << at;
      // Whatever was left, the next commands work (at every 8th point, to
      // keep the test short: the leftovers are of the same kind throughout).
      if (at % 8 != 0) continue;
      if (after == before) {
        ASSERT_EQ(Run("tlock", {"main.c"}).status, 0) << hook << " " << at;
      }
      const ProgramResult unlocked = Run("tunlock", {"main.c"});
      ASSERT_EQ(unlocked.status, 0) << hook << " " << at << unlocked.err;
      EXPECT_EQ(Parsed().lockCount, 0);
      EXPECT_EQ(LockedRecords(Parsed()), 0);
    }
  }
}

// A logfile whose record is locked while its count says 0 (left so by an
// earlier kill): unlock releases the lock and puts the count right.
TEST_F(HardeningTest, UnlockReleasesALockTheCountMisses) {
  LogfileBuilder damaged;
  damaged.Attributes(kAttrCheckLock).Users("alice,bob").Owner("alice").LockCount(0);
  damaged.AddRevision({.major = 1,
                       .minor = 1,
                       .locked = 1,
                       .tip = 1,
                       .putDate = 1'600'000'000,
                       .lockerIndex = 1,
                       .description = "second",
                       .data = kNew});
  damaged.WriteTo(logfile_);
  // Alice cannot take it: bob holds it.
  ProgramResult result = Run("tlock", {"main.c"}, {{Word(msg::kEnvUserName), "alice"}});
  EXPECT_EQ(result.status, 1);
  result = Run("tunlock", {"main.c"});
  EXPECT_EQ(result.status, 0) << result.err;
  testing::RawLogfile log = Parsed();
  EXPECT_EQ(LockedRecords(log), 0);
  EXPECT_EQ(log.lockCount, 0);
  // And the next lock counts right.
  ASSERT_EQ(Run("tlock", {"main.c"}, {{Word(msg::kEnvUserName), "alice"}}).status, 0);
  log = Parsed();
  EXPECT_EQ(log.lockCount, 1);
  EXPECT_EQ(LockedRecords(log), 1);
}

// ---------------------------------------------------------------------------
// Interrupted and killed commands

TEST_F(HardeningTest, InterruptedCheckOutLeavesNothingBehind) {
  Logfile(kAttrCheckLock | kAttrJournalFile).WriteTo(logfile_);
  const std::vector<std::uint8_t> before = ReadBytes(logfile_);
  ASSERT_EQ(Run("tget", {Opt(msg::kOptionLock), "main.c"}).status, 0);
  const std::vector<std::uint8_t> locked = ReadBytes(logfile_);
  // The rebuilt text, the new workfile, the new logfile and the journal entry.
  const std::size_t bytes_written = 2 * kNew.size() + locked.size() + 200;
  const std::vector<std::string> whole = {"logs/main.d", "work/main.c"};

  // Each point once, the three signals taking turns: they share one handler.
  const int signals[] = {SIGINT, SIGTERM, SIGHUP};
  const std::vector<std::size_t> points = StopPoints(bytes_written);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const std::size_t at = points[i];
    const int signal_number = signals[i % 3];
    testing::WriteBytes(logfile_, before);
    fs::remove(workfile_);
    const ProgramResult result =
        Run("tget", {Opt(msg::kOptionLock), "main.c"},
            {{"TARN_FAULT_KILL_AT", std::to_string(at)},
             {"TARN_FAULT_KILL_SIGNAL", std::to_string(signal_number)}});
    if (result.status == 0) break;  // past the last byte
    EXPECT_EQ(result.status, 128 + signal_number) << signal_number << " at " << at;
    std::vector<std::string> expected = {"logs/main.d"};
    if (fs::exists(workfile_)) expected = whole;
    EXPECT_EQ(Entries(), expected) << signal_number << " at " << at;
    // The old logfile, or the new one with the lock (its supplemental info
    // holds the time of the lock, so it is compared by its parts).
    if (ReadBytes(logfile_) != before) {
      const testing::RawLogfile log = Parsed();
      EXPECT_EQ(log.lockCount, 1) << signal_number << " at " << at;
      EXPECT_EQ(LockedRecords(log), 1) << signal_number << " at " << at;
      EXPECT_EQ(ReadBytes(logfile_).size(), locked.size()) << signal_number << " at " << at;
    }
  }
}

TEST_F(HardeningTest, LeftoversOfKilledGetsNeverStopALaterGet) {
  Logfile(0).WriteTo(logfile_);
  // Every numbered name a get once counted through is taken.
  for (int i = 0; i < 10000; ++i) {
    char number[8];
    std::snprintf(number, sizeof number, "%04d", i);
    WriteText(dir_.File(std::string("work/.tarn-new-") + number), "");
    WriteText(dir_.File(std::string("tmp/TARN") + number), "");
  }
  const ProgramResult result = Run("tget", {"main.c"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadText(workfile_), kNew);
}

}  // namespace
}  // namespace tarn
