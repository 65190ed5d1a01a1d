#include "engine/store/journal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/store/disk_names.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "platform/lock_file.h"
#include "tests/support/journal_reader.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LoadCatalogue;
using testing::ReadText;
using testing::RecordingHost;
using testing::TempDir;

platform::LocalTime At(int year, int month, int day, int hour, int minute, int second) {
  return platform::LocalTime{year, month, day, hour, minute, second, 0};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadCatalogue();
    environment_.journalPath = dir_.path().string() + "/";
    environment_.journalName = "local.jnl";
    environment_.userName = "alice";
    environment_.retryCount = 2;
  }

  std::string LocalPath() const { return dir_.File("local.jnl"); }

  TempDir dir_;
  tarnEnvironVars environment_;
  RecordingHost host_;
};

TEST(JournalFields, DateCountsYearsSince1900AndTimeHasTwoDigitFields) {
  EXPECT_EQ(JournalDateField(At(2001, 1, 2, 0, 0, 0)), "01/02/101");
  EXPECT_EQ(JournalDateField(At(1999, 12, 31, 0, 0, 0)), "12/31/99");
  EXPECT_EQ(JournalDateField(At(1905, 7, 4, 0, 0, 0)), "07/04/05");
  EXPECT_EQ(JournalTimeField(At(2001, 1, 2, 3, 4, 5)), "03:04:05");
  EXPECT_EQ(JournalTimeField(At(2001, 1, 2, 23, 59, 58)), "23:59:58");
}

TEST(JournalFields, LocalEntryKeepsLineFeedsAndGlobalEntryIsOneLine) {
  const platform::LocalTime when = At(2001, 3, 9, 14, 5, 7);
  const std::string text = "tput_w -rev 1.3 main.c\n  first line\n  second line\n  third, line";

  const std::string local = LocalJournalEntry("/logs/main.d", "bob", when, text);
  EXPECT_EQ(local,
            "/logs/main.d,bob,03/09/101,14:05:07,tput_w -rev 1.3 main.c\n"
            "  first line\n  second line\n  third, line\n");
  EXPECT_EQ(Lines(local).size(), 4u);

  const std::string global = GlobalJournalEntry("tput_w", "/logs/main.d", "bob", when, text);
  EXPECT_EQ(global,
            "tput_w,/logs/main.d,bob,03/09/101,14:05:07,tput_w -rev 1.3 main.c"
            "   first line   second line   third, line\n");
  EXPECT_EQ(Lines(global).size(), 1u);
  // Carriage returns would end the line for readers that accept CR LF.
  EXPECT_EQ(GlobalJournalEntry("l", "f", "u", when, "a\r\nb"), "l,f,u,03/09/101,14:05:07,a  b\n");
}

// Names that carry the separator, a quote or control characters are
// quoted so that an entry has the fields it claims on one line; plain names
// stay as they are. Every byte survives the round trip through a reader.
TEST(JournalFields, NamesAreQuotedOnlyWhenTheyWouldBreakAnEntry) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/logs/main.d", "/logs/main.d"},
      {"x;touch pwned;.c", "x;touch pwned;.c"},
      {"back\\slash", "back\\slash"},
      {"a,b", "\"a,b\""},
      {"line\nend", "\"line\\nend\""},
      {"cr\rtab\t", "\"cr\\rtab\\t\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {std::string("bell\x07") + "\x7f", "\"bell\\x07\\x7F\""},
      {"c:\\x,y", "\"c:\\\\x,y\""},
  };
  for (const auto& [name, field] : cases) {
    EXPECT_EQ(JournalField(name), field) << name;
    const std::string quoted = QuotedJournalText(name);
    EXPECT_EQ(testing::UnquoteJournalField(quoted), name) << quoted;
  }
  std::string every_byte;
  for (int byte = 1; byte < 256; ++byte) every_byte += static_cast<char>(byte);
  const std::string field = JournalField(every_byte);
  EXPECT_EQ(field.find('\n'), std::string::npos);
  EXPECT_EQ(field.find('\r'), std::string::npos);
  EXPECT_EQ(testing::UnquoteJournalField(field), every_byte);
}

TEST(JournalFields, EntryWithAwkwardNamesKeepsItsFieldsOnOneLine) {
  const std::string logfile = "/logs/x;touch pwned;,\n.d";
  const std::string user = "ann,\"b\"";
  const std::string local = LocalJournalEntry(logfile, user, At(2001, 1, 2, 3, 4, 5), "tlock_w x");
  EXPECT_EQ(std::count(local.begin(), local.end(), '\n'), 1) << local;
  const auto fields = testing::SplitJournalLine(local.substr(0, local.size() - 1), 5);
  ASSERT_TRUE(fields) << local;
  EXPECT_EQ(*fields,
            (std::vector<std::string>{logfile, user, "01/02/101", "03:04:05", "tlock_w x"}));
  const std::string global =
      GlobalJournalEntry("tlock_w", logfile, user, At(2001, 1, 2, 3, 4, 5), "a\nb");
  EXPECT_EQ(std::count(global.begin(), global.end(), '\n'), 1) << global;
  const auto global_fields = testing::SplitJournalLine(global.substr(0, global.size() - 1), 6);
  ASSERT_TRUE(global_fields) << global;
  EXPECT_EQ((*global_fields)[1], logfile);
  EXPECT_EQ((*global_fields)[5], "a b");
  // Entries written before names were quoted read as they always did.
  const auto old = testing::ReadJournalEntries(
      "/logs/a.d,ann,01/02/101,03:04:05,tput_w -r 1.1 a.c\n  line one\n  line, two\n", 5);
  ASSERT_TRUE(old);
  ASSERT_EQ(old->size(), 1u);
  EXPECT_EQ((*old)[0].fields[4], "tput_w -r 1.1 a.c");
  EXPECT_EQ((*old)[0].continuation, (std::vector<std::string>{"line one", "line, two"}));
  // A broken quote is no entry.
  EXPECT_FALSE(testing::SplitJournalLine("\"open,ann,d,t,x", 5));
}

TEST_F(JournalTest, WithoutGlobalJournalOnlyTheLocalOneIsWritten) {
  WriteJournalEntry("tget_w", environment_, dir_.File("main.d"), "tget_w -lock main.c");
  const std::vector<std::string> lines = Lines(ReadText(LocalPath()));
  ASSERT_EQ(lines.size(), 1u);
  const std::regex entry(dir_.File("main.d") +
                         ",alice,[01][0-9]/[0-3][0-9]/1[0-9][0-9],[0-2][0-9]:[0-5][0-9]:[0-6][0-9],"
                         "tget_w -lock main.c");
  EXPECT_TRUE(std::regex_match(lines[0], entry)) << lines[0];
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_TRUE(host_.messages().empty()) << host_.All();
}

TEST_F(JournalTest, GlobalLineIsWrittenBeforeTheLocalEntry) {
  // Both journals in one file show the order of the two appends.
  environment_.globalJournalName = LocalPath();
  WriteJournalEntry("tput_w", environment_, dir_.File("main.d"), "echo\n  line one\n  line two");
  const std::vector<std::string> lines = Lines(ReadText(LocalPath()));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].rfind("tput_w," + dir_.File("main.d") + ",alice,", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find(",echo   line one   line two"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1].rfind(dir_.File("main.d") + ",alice,", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find(",echo"), std::string::npos);
  EXPECT_EQ(lines[2], "  line one");
  EXPECT_EQ(lines[3], "  line two");
}

TEST_F(JournalTest, LogfileIsNamedByItsFullPath) {
  std::filesystem::create_directory(dir_.path() / "sub");
  const std::string relative =
      std::filesystem::relative(dir_.path() / "sub" / ".." / "main.d").string();
  WriteJournalEntry("tget_w", environment_, relative, "text");
  EXPECT_EQ(ReadText(LocalPath()).rfind(dir_.File("main.d") + ",", 0), 0u) << ReadText(LocalPath());
}

TEST_F(JournalTest, ZeroRetriesWriteNothingAndReport166) {
  environment_.retryCount = 0;
  environment_.globalJournalName = dir_.File("global.jnl");
  WriteJournalEntry("tget_w", environment_, "main.d", "text");
  EXPECT_FALSE(std::filesystem::exists(LocalPath()));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("global.jnl")));
  ASSERT_EQ(host_.messages().size(), 2u);
  for (const auto& message : host_.messages()) {
    EXPECT_EQ(message.kind, kAlert);
    EXPECT_EQ(message.text.rfind(ProgramLabel(), 0), 0u);
  }
  EXPECT_NE(host_.messages()[0].text.find("global.jnl"), std::string::npos);
  EXPECT_NE(host_.messages()[1].text.find(LocalPath()), std::string::npos);
}

// Anything but a regular file at the journal's own name (a link to another
// user's file, a dangling link, a FIFO, a directory) is refused at once:
// waiting would not change it, and following a link would append to a
// file nobody meant to write. What stands there is left as it is.
TEST_F(JournalTest, AnythingButARegularFileIsRefusedAtOnceAndLeftAlone) {
  const std::string victim = dir_.File("profile");
  testing::WriteText(victim, "export PATH\n");
  struct Case {
    const char* what;
    std::function<void(const std::string&)> plant;
  };
  const std::vector<Case> cases = {
      {"link to a file",
       [&](const std::string& at) { std::filesystem::create_symlink(victim, at); }},
      {"dangling link",
       [&](const std::string& at) { std::filesystem::create_symlink(dir_.File("nothing"), at); }},
      {"FIFO", [](const std::string& at) { ASSERT_EQ(mkfifo(at.c_str(), 0666), 0); }},
      {"directory", [](const std::string& at) { std::filesystem::create_directory(at); }},
  };
  // Retries would take a minute; a refusal takes no time at all.
  environment_.retryCount = 60;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host_.Clear();
    std::filesystem::remove(LocalPath());
    c.plant(LocalPath());
    const auto start = std::chrono::steady_clock::now();
    WriteJournalEntry("tget_w", environment_, "main.d", "text");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    ASSERT_EQ(host_.messages().size(), 1u) << host_.All();
    EXPECT_EQ(host_.messages()[0].text,
              FormatMessage(msg::kJournalNotAFile, std::string_view(LocalPath())));
    EXPECT_EQ(ReadText(victim), "export PATH\n");
    EXPECT_FALSE(std::filesystem::exists(dir_.File("nothing")));
    EXPECT_FALSE(std::filesystem::exists(JournalLockFileName(LocalPath())));
  }
  EXPECT_TRUE(std::filesystem::is_directory(LocalPath()));
}

// A new journal is shared as its directory shares files: group-writable in
// a group-writable directory, so that the next member can append to it;
// elsewhere as the user's umask makes it (here: the owner's only).
TEST_F(JournalTest, NewJournalTakesTheSharingOfItsDirectory) {
  struct Case {
    std::filesystem::perms directory;
    unsigned groupBits;
  };
  using std::filesystem::perms;
  const std::vector<Case> cases = {
      {perms::owner_all | perms::group_all | perms::others_read | perms::others_exec, 060u},
      {perms::owner_all | perms::group_read | perms::group_exec, 0u},
      {perms::owner_all, 0u},
  };
  const ::mode_t old_mask = ::umask(077);  // sharing comes from the directory, not the umask
  for (const Case& c : cases) {
    std::filesystem::remove(LocalPath());
    std::filesystem::permissions(dir_.path(), c.directory);
    WriteJournalEntry("tget_w", environment_, "main.d", "text");
    struct stat info {};
    ASSERT_EQ(::stat(LocalPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 070u, c.groupBits) << std::oct << info.st_mode;
    EXPECT_EQ(info.st_mode & 0600u, 0600u);
    EXPECT_EQ(Lines(ReadText(LocalPath())).size(), 1u);
  }
  ::umask(old_mask);
  std::filesystem::permissions(dir_.path(), perms::owner_all);
  EXPECT_TRUE(host_.messages().empty()) << host_.All();
}

TEST_F(JournalTest, MissingJournalDirectoryIsReportedAndTheCommandGoesOn) {
  environment_.journalPath = dir_.File("no-such-dir") + "/";
  environment_.retryCount = 1;
  WriteJournalEntry("tget_w", environment_, "main.d", "text");
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_NE(host_.messages()[0].text.find("no-such-dir"), std::string::npos);
}

// A disk that fills during the append. The file layer's test hook reads its
// limit once per process, so the entry is written by a fresh process of this
// test program.
TEST_F(JournalTest, FailedAppendIsReportedAndTheCommandGoesOn) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ::setenv("TARN_FAULT_WRITE_LIMIT", "10", 1);
        WriteJournalEntry("tget_w", environment_, "main.d", "a text longer than ten bytes");
        const bool reported = host_.messages().size() == 1 && host_.messages()[0].kind == kAlert &&
                              host_.messages()[0].text.find(LocalPath()) != std::string::npos;
        std::error_code ignored;
        std::filesystem::remove_all(dir_.path(), ignored);  // the child's own scratch directory
        std::exit(reported ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// Several users appending to one journal at once: every entry arrives whole,
// its lines together, and none is lost.
TEST_F(JournalTest, ConcurrentProcessesNeverInterleaveOrLoseEntries) {
  constexpr int kWriters = 6;
  constexpr int kEntries = 250;
  environment_.globalJournalName = dir_.File("global.jnl");
  const std::string payload(1500, 'x');
  std::vector<pid_t> children;
  for (int writer = 0; writer < kWriters; ++writer) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int entry = 0; entry < kEntries; ++entry) {
        const std::string id = std::to_string(writer) + ":" + std::to_string(entry);
        WriteJournalEntry("tput_w", environment_, "main.d",
                          "begin " + id + "\n  " + payload + "\n  end " + id);
      }
      _exit(0);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::map<std::string, int> seen;
  const std::vector<std::string> local = Lines(ReadText(LocalPath()));
  ASSERT_EQ(local.size(), static_cast<std::size_t>(3 * kWriters * kEntries));
  const std::regex first_line(".*,alice,[^,]*,[^,]*,begin ([0-9]+:[0-9]+)");
  for (std::size_t i = 0; i < local.size(); i += 3) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(local[i], match, first_line)) << local[i].substr(0, 200);
    const std::string id = match[1];
    EXPECT_EQ(local[i + 1], "  " + payload);
    EXPECT_EQ(local[i + 2], "  end " + id);
    ++seen[id];
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kWriters * kEntries));

  const std::vector<std::string> global = Lines(ReadText(dir_.File("global.jnl")));
  ASSERT_EQ(global.size(), static_cast<std::size_t>(kWriters * kEntries));
  std::map<std::string, int> seen_global;
  for (const std::string& line : global) {
    ASSERT_EQ(line.rfind("tput_w,", 0), 0u) << line.substr(0, 100);
    const std::size_t begin = line.find(",begin ");
    ASSERT_NE(begin, std::string::npos) << line.substr(0, 100);
    const std::size_t id_start = begin + 7;
    const std::string id = line.substr(id_start, line.find(' ', id_start) - id_start);
    EXPECT_EQ(line.substr(id_start + id.size()), "   " + payload + "   end " + id);
    ++seen_global[id];
  }
  EXPECT_EQ(seen_global, seen);
}

// A journal directory given without its final separator still names a
// directory; an empty global journal name names none, and costs no waiting.
TEST_F(JournalTest, DirectoryWithoutSeparatorAndEmptyGlobalName) {
  environment_.journalPath = dir_.path().string();
  environment_.globalJournalName = "";
  environment_.retryCount = 3;
  const auto start = std::chrono::steady_clock::now();
  WriteJournalEntry("tget_w", environment_, "main.d", "text");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_EQ(Lines(ReadText(LocalPath())).size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir_.path().string() + "local.jnl"));
  EXPECT_TRUE(host_.messages().empty()) << host_.All();
  EXPECT_EQ(LocalJournalPath("", "j.jnl"), "j.jnl");
  EXPECT_EQ(LocalJournalPath("/", "j.jnl"), "/j.jnl");
  EXPECT_EQ(LocalJournalPath("a/b", "j.jnl"), "a/b/j.jnl");
  EXPECT_EQ(LocalJournalPath("a/b/", "j.jnl"), "a/b/j.jnl");
}

// The append holds the journal's lock file, as every writer on every
// machine does: while another process holds it, the entry waits, and it
// lands after whatever that process wrote under the lock.
TEST_F(JournalTest, AnEntryWaitsForTheJournalsLockFile) {
  environment_.retryCount = 3;
  const std::string lock_path = JournalLockFileName(LocalPath());
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::optional<platform::LockFile> lock = platform::LockFile::TryAcquire(lock_path);
    const char flag = lock ? 'y' : 'n';
    if (write(ready[1], &flag, 1) != 1 || !lock) _exit(1);
    usleep(400 * 1000);
    testing::WriteText(LocalPath(), "written under the lock\n");
    lock->Release();
    _exit(0);
  }
  char flag = 0;
  ASSERT_EQ(read(ready[0], &flag, 1), 1);
  ASSERT_EQ(flag, 'y');
  WriteJournalEntry("tget_w", environment_, "main.d", "the entry");
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::vector<std::string> lines = Lines(ReadText(LocalPath()));
  ASSERT_EQ(lines.size(), 2u) << ReadText(LocalPath());
  EXPECT_EQ(lines[0], "written under the lock");
  EXPECT_NE(lines[1].find(",the entry"), std::string::npos) << lines[1];
  EXPECT_FALSE(std::filesystem::exists(lock_path));
  EXPECT_TRUE(host_.messages().empty()) << host_.All();
  close(ready[0]);
  close(ready[1]);
}

class CheckInTextTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadCatalogue(); }

  static std::string Word(const MessageId& word) { return MessageText(word.number); }
};

TEST_F(CheckInTextTest, EchoesOptionsInOrderThenIndentedDescription) {
  CheckInJournalFacts facts;
  facts.keepLock = true;
  facts.workfile = "/work/src/main.c";
  facts.revisionNumber = "1.2.1.3";
  // Named on the command line in another order; JournalFile is never echoed.
  facts.overriddenAttributes =
      kAttrCompression | kAttrCheckLock | kAttrJournalFile | kAttrBinaryFile | kAttrExpandKeywords;
  facts.effectiveAttributes = kAttrCheckLock | kAttrBinaryFile | kAttrJournalFile;
  facts.name = "main.c";
  facts.description = "fixed the parser\nadded tests\nupdated notes";

  const std::string set = " -" + Word(msg::kOptionSet) + " ";
  const std::string yes = Word(msg::kWordYes);
  const std::string no = Word(msg::kWordNo);
  const std::string expected =
      "tput_w -" + Word(msg::kOptionLock) + " -" + Word(msg::kOptionWorkfile) +
      " /work/src/main.c -" + Word(msg::kOptionRevision) + " 1.2.1.3" + set +
      Word(msg::kWordCheckLock) + "=" + yes + set + Word(msg::kWordExpandKeywords) + "=" + no +
      set + Word(msg::kWordBinaryFile) + "=" + yes + set + Word(msg::kWordCompression) + "=" + no +
      " main.c\n  fixed the parser\n  added tests\n  updated notes";
  EXPECT_EQ(CheckInJournalText("tput_w", facts), expected);
}

TEST_F(CheckInTextTest, PlainCheckInAndUnchangedCheckInThatReleasedTheLock) {
  CheckInJournalFacts facts;
  facts.revisionNumber = "1.4";
  facts.name = "notes";
  facts.description = "one line";
  EXPECT_EQ(CheckInJournalText("tput_w", facts),
            "tput_w -" + Word(msg::kOptionRevision) + " 1.4 notes\n  one line");

  facts.onlyReleasedLock = true;
  EXPECT_EQ(CheckInJournalText("tput_w", facts), "tput_w -" + Word(msg::kOptionRevision) +
                                                     " 1.4 notes\n  " +
                                                     Word(msg::kUnchangedDescription));
}

TEST_F(CheckInTextTest, CheckInEntryInTheLocalJournalIndentsEachDescriptionLine) {
  CheckInJournalFacts facts;
  facts.revisionNumber = "1.1";
  facts.name = "a.c";
  facts.description = "l1\nl2\nl3";
  const std::optional<std::string> text = CheckInJournalText("tput_w", facts);
  ASSERT_TRUE(text);
  const std::vector<std::string> lines =
      Lines(LocalJournalEntry("/l/a.d", "u", At(2024, 5, 6, 7, 8, 9), *text));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0],
            "/l/a.d,u,05/06/124,07:08:09,tput_w -" + Word(msg::kOptionRevision) + " 1.1 a.c");
  EXPECT_EQ(lines[1], "  l1");
  EXPECT_EQ(lines[3], "  l3");
}

}  // namespace
}  // namespace tarn
