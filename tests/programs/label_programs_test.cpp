// tstamp, tunstamp and tmh run as a user runs them, together with tput and
// tget: labels and header changes round-trip through the built programs, a
// killed command leaves a whole logfile, and all seven programs working on
// one logfile at once lose no revision, label or header change.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "tests/support/program_runner.h"
#include "tests/support/raw_logfile.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LabelList;
using testing::LoadCatalogue;
using testing::ProgramResult;
using testing::ProgramSetup;
using testing::RawLogfile;
using testing::ReadBytes;
using testing::ReadRawLogfile;
using testing::ReadText;
using testing::RunBuiltProgram;
using testing::TempDir;
using testing::WriteText;

namespace fs = std::filesystem;

std::string Word(const MessageId& id) { return MessageText(id.number); }
std::string Opt(const MessageId& id) { return "-" + Word(id); }

// A logfile directory shared by users who each have a work directory.
class Team {
 public:
  Team() {
    LoadCatalogue();
    fs::create_directory(root_.path() / "logs");
    fs::create_directory(root_.path() / "tmp");
  }

  // The settings of `user`, working in work/<user>.
  ProgramSetup As(const std::string& user, const std::string& access = "alice,bob") {
    const std::string work = root_.File("work/" + user);
    fs::create_directories(work);
    ProgramSetup setup;
    setup.workingDirectory = work;
    setup.environment = {
        {Word(msg::kEnvLogfileDirectory), root_.File("logs")},
        {Word(msg::kEnvUserName), user},
        {Word(msg::kEnvAccessList), access},
        {Word(msg::kEnvTempDirectory), root_.File("tmp") + "/"},
        {Word(msg::kEnvJournalPath), root_.File("")},
        {Word(msg::kEnvJournalName), "journal.txt"},
        {Word(msg::kEnvRetryCount), "120"},
    };
    return setup;
  }

  std::string Work(const std::string& user, const std::string& name) const {
    return root_.File("work/" + user + "/" + name);
  }
  // Writes a workfile (made writable first: a fetched one may be read-only).
  void Edit(const std::string& user, const std::string& text) const {
    const std::string path = Work(user, "main.c");
    fs::create_directories(fs::path(path).parent_path());
    if (fs::exists(path)) fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    WriteText(path, text);
  }
  std::string Logfile() const { return root_.File("logs/main.d"); }
  std::string Labels() const {
    const std::optional<testing::RawLogfile> header = ReadRawLogfile(Logfile());
    return header ? LabelList(*header) : "(damaged)";
  }
  std::string Journal() const { return ReadText(root_.File("journal.txt")); }
  std::vector<std::string> LogDirectory() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_.File("logs"))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  TempDir root_;
};

class LabelProgramsTest : public ::testing::Test {
 protected:
  ProgramResult Run(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& user = "alice") {
    return RunBuiltProgram(program, arguments, team_.As(user));
  }
  // Runs a command that must succeed.
  void Do(const std::string& program, const std::vector<std::string>& arguments,
          const std::string& user = "alice") {
    const ProgramResult result = Run(program, arguments, user);
    ASSERT_EQ(result.status, 0) << program << "\n" << result.out << result.err;
  }
  void CheckIn(const std::string& text, const std::string& description) {
    team_.Edit("alice", text);
    Do("tput", {Opt(msg::kOptionText), description, "main.c"});
  }
  void CheckOut(const std::string& revision) {
    Do("tget", {Opt(msg::kOptionLock), Opt(msg::kOptionRevision), revision, "main.c"});
  }
  // The text a get by label writes (none when nothing was written).
  std::string GetByLabel(const std::string& label) {
    const std::string out = team_.Work("alice", "fetched.c");
    fs::remove(out);
    const ProgramResult result =
        Run("tget", {Opt(msg::kOptionLabel), label, Opt(msg::kOptionOutput), out, "main.c"});
    // A label that names nothing fails the get, and nothing is written.
    EXPECT_EQ(result.status, fs::exists(out) ? 0 : 1) << result.err;
    return fs::exists(out) ? ReadText(out) : "(nothing written)";
  }

  // 1.0 "one", 1.1 "one two".
  void TwoRevisions() {
    CheckIn("one\n", "first");
    CheckOut("1.0");
    CheckIn("one\ntwo\n", "second");
  }

  Team team_;
};

TEST_F(LabelProgramsTest, GetByLabelAfterMovingTheLabel) {
  TwoRevisions();
  Do("tstamp",
     {Opt(msg::kOptionRevision), "1.0", Opt(msg::kOptionLabel), "'release", "one'", "main.c"});
  EXPECT_EQ(GetByLabel("'release one'"), "one\n");

  // Moving needs a yes; a no leaves it where it was.
  const ProgramResult refused = Run("tstamp", {Opt(msg::kWordNo), Opt(msg::kOptionRevision), "1.1",
                                               Opt(msg::kOptionLabel), "'release one'", "main.c"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(GetByLabel("'release one'"), "one\n");
  Do("tstamp", {Opt(msg::kWordYes), Opt(msg::kOptionRevision), "1.1", Opt(msg::kOptionLabel),
                "'release one'", "main.c"});
  EXPECT_EQ(GetByLabel("'release one'"), "one\ntwo\n");
  EXPECT_EQ(team_.Labels(), "1.1 release one/0");

  Do("tunstamp", {Opt(msg::kOptionLabel), "'release one'", "main.c"});
  EXPECT_EQ(GetByLabel("'release one'"), "(nothing written)");
  EXPECT_EQ(team_.Labels(), "");
  EXPECT_NE(team_.Journal().find("tstamp -rev 1.1 -v 'release one' main.c"), std::string::npos)
      << team_.Journal();
  EXPECT_NE(team_.Journal().find("tunstamp -v 'release one' main.c"), std::string::npos);
  EXPECT_EQ(team_.LogDirectory(), std::vector<std::string>{"main.d"});
}

TEST_F(LabelProgramsTest, FloatingLabelFollowsACheckInOnItsBranch) {
  TwoRevisions();
  CheckOut("1.0");
  CheckIn("branch one\n", "on a branch");  // 1.0.1.1
  Do("tstamp", {Opt(msg::kOptionRevision), "1.0.1", Opt(msg::kOptionLabel), "BR", "main.c"});
  Do("tstamp", {Opt(msg::kOptionCopyLabel), "BR", "FIXED", "main.c"});
  EXPECT_EQ(team_.Labels(), "1.0.1.1 FIXED/0, 1.0.1 BR/0");
  EXPECT_EQ(GetByLabel("BR"), "branch one\n");

  CheckOut("1.0.1");
  CheckIn("branch two\n", "more");  // 1.0.1.2
  EXPECT_EQ(GetByLabel("BR"), "branch two\n");
  EXPECT_EQ(GetByLabel("FIXED"), "branch one\n");
}

TEST_F(LabelProgramsTest, HeaderChangesFromTheShell) {
  TwoRevisions();
  CheckOut("1.0");
  CheckIn("branch one\n", "on a branch");  // 1.0.1.1

  // The default branch decides what a get and a label without a revision
  // take.
  Do("tmh", {Opt(msg::kOptionDefaultBranch), "1.0.1.1", "main.c"});
  Do("tstamp", {Opt(msg::kOptionLabel), "DEFAULT", "main.c"});
  EXPECT_EQ(team_.Labels(), "1.0.1.1 DEFAULT/0");
  EXPECT_EQ(GetByLabel("DEFAULT"), "branch one\n");

  // A value typed at the console.
  ProgramSetup setup = team_.As("alice");
  setup.input = "typed by hand";
  const ProgramResult typed =
      RunBuiltProgram("tmh", {Opt(msg::kOptionDescription), "main.c"}, setup);
  ASSERT_EQ(typed.status, 0) << typed.out << typed.err;
  EXPECT_NE(typed.out.find(std::string(MessageText(msg::kPromptDescription.number))),
            std::string::npos)
      << typed.out;
  std::optional<RawLogfile> raw = ReadRawLogfile(team_.Logfile());
  ASSERT_TRUE(raw.has_value());
  EXPECT_EQ(raw->description, "typed by hand");

  // Escape abandons the value, and with it the change.
  const std::vector<std::uint8_t> before = ReadBytes(team_.Logfile());
  setup.input = "half a prefix\x1b";
  const ProgramResult abandoned =
      RunBuiltProgram("tmh", {Opt(msg::kOptionCommentPrefix), "main.c"}, setup);
  EXPECT_EQ(abandoned.status, 1);
  EXPECT_NE(abandoned.err.find("no value was given; the header of main.c is unchanged"),
            std::string::npos)
      << abandoned.err;
  EXPECT_EQ(ReadBytes(team_.Logfile()), before);

  Do("tmh", {Opt(msg::kOptionText), "alice,bob,carol", Opt(msg::kOptionAccessList), "main.c"});
  Do("tmh", {Opt(msg::kOptionText), "carol", Opt(msg::kOptionOwner), "main.c"});
  Do("tmh", {Opt(msg::kOptionRenameLabel), "DEFAULT", Opt(msg::kOptionText), "'renamed'", "main.c"},
     "carol");
  raw = ReadRawLogfile(team_.Logfile());
  ASSERT_TRUE(raw.has_value());
  EXPECT_EQ(raw->accessList, "alice,bob,carol");
  EXPECT_EQ(raw->modifierList, "alice,bob,carol");
  EXPECT_EQ(raw->owner, "carol");
  EXPECT_EQ(team_.Labels(), "1.0.1.1  renamed /2");
  EXPECT_EQ(raw->revisionCount, 3);
}

TEST_F(LabelProgramsTest, BadInputLeavesTheLogfileByteForByte) {
  TwoRevisions();
  Do("tstamp", {Opt(msg::kOptionLabel), "KEEP", "main.c"});
  const std::vector<std::uint8_t> before = ReadBytes(team_.Logfile());
  struct Case {
    std::string program;
    std::vector<std::string> arguments;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"tstamp", {Opt(msg::kOptionLabel), std::string(80, 'L'), "main.c"}, 2, "at most 79"},
      {"tstamp", {Opt(msg::kOptionLabel), "'never", "closed", "main.c"}, 2, "no closing quote"},
      {"tmh",
       {Opt(msg::kOptionOwner), Opt(msg::kOptionAccessList), "main.c"},
       2,
       "only one header change"},
      {"tmh",
       {Opt(msg::kOptionText), "mallory", Opt(msg::kOptionOwner), "main.c"},
       1,
       "'mallory' is not in the access list"},
      {"tmh", {Opt(msg::kOptionText), ",", Opt(msg::kOptionAccessList), "main.c"}, 1, "no names"},
      {"tmh", {Opt(msg::kOptionDefaultBranch), "1.5.1", "main.c"}, 1, "1.5.1 does not exist"},
      {"tstamp",
       {Opt(msg::kOptionRevision), "3.1", Opt(msg::kOptionLabel), "X", "main.c"},
       1,
       "revision 3.1 does not exist"},
      {"tunstamp", {Opt(msg::kOptionLabel), "KEEP", "main.c"}, 1, "not in the access list"},
  };
  for (const Case& c : cases) {
    const ProgramResult result =
        Run(c.program, c.arguments, c.program == "tunstamp" ? "eve" : "alice");
    EXPECT_EQ(result.status, c.status) << c.message << "\n" << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(ReadBytes(team_.Logfile()), before) << c.message;
  }
  EXPECT_EQ(team_.LogDirectory(), std::vector<std::string>{"main.d"});
}

TEST_F(LabelProgramsTest, KilledCommandsLeaveAWholeLogfile) {
  TwoRevisions();
  std::set<std::string> applied;
  for (int run = 0; run < 40; ++run) {
    const std::string label = "L" + std::to_string(run);
    const ProgramResult result = testing::RunBuiltProgramKilledAfter(
        "tstamp", {Opt(msg::kOptionLabel), label, "main.c"}, team_.As("alice"), (run % 10) * 1500);
    if (result.status == 0) applied.insert(label);
    // Whatever moment the kill came at, the logfile is whole, and the label
    // is either there or not.
    std::string error;
    std::optional<RawLogfile> raw = ReadRawLogfile(team_.Logfile(), &error);
    ASSERT_TRUE(raw.has_value()) << "after run " << run << ": " << error;
    EXPECT_EQ(raw->revisionCount, 2);
    const std::optional<testing::RawLogfile> header = ReadRawLogfile(team_.Logfile());
    ASSERT_TRUE(header.has_value());
    std::set<std::string> present;
    for (const testing::RawLabel& l : header->labels) present.insert(l.text);
    for (const std::string& text : applied) EXPECT_TRUE(present.count(text)) << text;
    EXPECT_LE(present.size(), static_cast<std::size_t>(run) + 1);
  }
  // What a killed command left (a lock file, a replacement, a backup) does
  // not stand in the way of the next one, which clears its replacement and
  // backup. (A lock-file attempt cut short may leave its private file, which
  // is the lock file layer's to tidy.)
  Do("tstamp", {Opt(msg::kOptionLabel), "AFTER", "main.c"});
  EXPECT_EQ(GetByLabel("AFTER"), "one\ntwo\n");
  for (const std::string& name : team_.LogDirectory()) {
    EXPECT_TRUE(name == "main.d" || name.rfind("$lock.", 0) == 0) << name;
  }
}

// --- All seven programs at once ------------------------------------------

// One user's loop: check out, change and check in; label and remove the
// previous label; add a known user and change the description; lock and
// unlock. What succeeded is written to the user's own record file as
// "revision <line>", "label <name>", "unlabel <name>" and "user <name>".
void WorkAsUser(Team& team, const std::string& user, int iterations, const std::string& record,
                const std::string& access) {
  std::ostringstream done;
  const ProgramSetup setup = team.As(user, access);
  auto run = [&](const std::string& program, const std::vector<std::string>& arguments) {
    return RunBuiltProgram(program, arguments, setup).status == 0;
  };
  for (int k = 0; k < iterations; ++k) {
    const std::string tag = user + "-" + std::to_string(k);
    if (run("tget", {Opt(msg::kOptionLock), Opt(msg::kWordYes), "main.c"})) {
      const std::string path = team.Work(user, "main.c");
      const std::string fetched = ReadText(path);
      team.Edit(user, fetched + tag + "\n");
      if (run("tput", {Opt(msg::kOptionText), tag, "main.c"})) {
        done << "revision " << tag << "\n";
      } else {
        run("tunlock", {"main.c"});
      }
    }
    if (run("tstamp", {Opt(msg::kOptionLabel), tag, "main.c"})) done << "label " << tag << "\n";
    if (k % 2 == 1) {
      const std::string previous = user + "-" + std::to_string(k - 1);
      if (run("tunstamp", {Opt(msg::kOptionLabel), previous, "main.c"})) {
        done << "unlabel " << previous << "\n";
      }
    }
    if (run("tmh", {Opt(msg::kOptionText), "x" + tag, Opt(msg::kOptionAddUsers), "main.c"})) {
      done << "user x" << tag << "\n";
    }
    run("tmh",
        {Opt(msg::kOptionText), "described by " + tag, Opt(msg::kOptionDescription), "main.c"});
    if (run("tlock", {"main.c"})) {
      for (int attempt = 0; attempt < 5 && !run("tunlock", {"main.c"}); ++attempt) {
      }
    }
  }
  WriteText(record, done.str());
}

TEST(LabelProgramsConcurrency, SevenProgramsOnOneLogfileLoseNothing) {
  Team team;
  const std::vector<std::string> users = {"u0", "u1", "u2", "u3"};
  const std::string access = "u0,u1,u2,u3";
  team.Edit("u0", "base\n");
  ASSERT_EQ(
      RunBuiltProgram("tput", {Opt(msg::kOptionText), "base", "main.c"}, team.As("u0", access))
          .status,
      0);
  constexpr int kIterations = 10;
  std::vector<pid_t> workers;
  for (const std::string& user : users) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      WorkAsUser(team, user, kIterations, team.Work(user, "record.txt"), access);
      ::_exit(0);
    }
    workers.push_back(pid);
  }
  for (const pid_t pid : workers) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::set<std::string> revisions, labels, added_users;
  for (const std::string& user : users) {
    std::istringstream record(ReadText(team.Work(user, "record.txt")));
    std::string kind, name;
    while (record >> kind >> name) {
      if (kind == "revision") revisions.insert(name);
      if (kind == "label") labels.insert(name);
      if (kind == "unlabel") labels.erase(name);
      if (kind == "user") added_users.insert(name);
    }
  }
  // Everybody got some work done.
  EXPECT_GE(revisions.size(), 2U);
  EXPECT_GE(added_users.size(), users.size());

  std::string error;
  const std::optional<RawLogfile> raw = ReadRawLogfile(team.Logfile(), &error);
  ASSERT_TRUE(raw.has_value()) << error;
  // Every check-in is a revision, and the newest holds every line added.
  EXPECT_EQ(raw->revisionCount, static_cast<int>(revisions.size()) + 1);
  EXPECT_EQ(raw->revisions.size(), revisions.size() + 1);
  const std::string newest = team.Work("u0", "newest.c");
  ASSERT_EQ(
      RunBuiltProgram("tget", {Opt(msg::kOptionOutput), newest, "main.c"}, team.As("u0", access))
          .status,
      0);
  const std::string tip = ReadText(newest);
  for (const std::string& line : revisions) {
    EXPECT_NE(tip.find(line + "\n"), std::string::npos) << line;
  }
  // Every label applied and not removed is there, and no other.
  const std::optional<testing::RawLogfile> header = ReadRawLogfile(team.Logfile());
  ASSERT_TRUE(header.has_value());
  std::set<std::string> present;
  for (const testing::RawLabel& label : header->labels) present.insert(label.text);
  EXPECT_EQ(present, labels);
  // Every user added is known.
  for (const std::string& name : added_users) {
    EXPECT_NE(("," + raw->modifierList + ",").find("," + name + ","), std::string::npos) << name;
  }
  // The lock count agrees with the locked records.
  int locked = 0;
  for (const testing::RawRevision& revision : raw->revisions) locked += revision.locked != 0;
  EXPECT_EQ(raw->lockCount, locked);
  EXPECT_EQ(team.LogDirectory(), std::vector<std::string>{"main.d"});
}

}  // namespace
}  // namespace tarn
