// The tarn program as a user runs it: subcommand dispatch, help and version,
// several files per command with one failing, the identity defaults, and
// tarn diff's listing and exit statuses.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/program_runner.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::ProgramSetup;

std::string LoginName() {
  const passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr ? entry->pw_name : "";
}

class TarnProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = root_.File("work");
    fs::create_directories(work_ + "/TARN");
    fs::create_directories(root_.File("temp"));
    setup_.workingDirectory = work_;
    // Only what keeps the test's files in its own directory: user and
    // access list stay at their defaults.
    setup_.environment = {
        {"TARNTEMP", root_.File("temp") + "/"},
        {"TARNJOURNALPATH", root_.path().string() + "/"},
        {"TARNRETRY", "2"},
    };
  }

  ProgramResult Tarn(const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& extra = {}) {
    ProgramSetup setup = setup_;
    for (const auto& [name, value] : extra) setup.environment[name] = value;
    return testing::RunBuiltProgram("tarn", arguments, setup);
  }

  void Write(const std::string& name, const std::string& text) {
    const std::string path = work_ + "/" + name;
    if (fs::exists(path)) fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    testing::WriteText(path, text);
  }

  testing::TempDir root_;
  std::string work_;
  ProgramSetup setup_;
};

struct DispatchCase {
  std::vector<std::string> arguments;
  int status;
  const char* out;  // a fragment of standard output ("" for none expected)
  const char* err;  // a fragment of standard error ("" for none expected)
};

TEST_F(TarnProgramTest, DispatchesSubcommandsHelpAndVersion) {
  const std::vector<DispatchCase> cases = {
      {{}, 2, "", "Usage of tarn:"},
      {{"--version"}, 0, "tarn 0.", ""},
      {{"help"}, 0, "Commands:", ""},
      {{"--help"}, 0, "Commands:", ""},
      {{"help", "get"}, 0, "Usage of tarn get:\ntarn get [options] file", ""},
      {{"get", "--help"}, 0, "-lock", ""},
      {{"label", "--help"}, 0, "Usage of tarn label:", ""},
      {{"diff", "--help"}, 0, "Usage of tarn diff:", ""},
      {{"project", "--help"}, 0, "Usage of tarn project:", ""},
      {{"help", "user"}, 0, "tarn user add NAME", ""},
      {{"unlock", "--version"}, 0, "tarn 0.", ""},
      {{"frob", "a.c"}, 2, "", "'frob' is not a tarn command"},
      {{"help", "frob"}, 2, "", "'frob' is not a tarn command"},
      {{"gte", "a.c"}, 2, "", "did you mean 'tarn get'?"},
      {{"get", "-bogus", "a.c"}, 2, "", "tarn get: see 'tarn help get'"},
      {{"get", "-lokc", "a.c"}, 2, "", "tarn get: did you mean -lock?"},
      {{"get", "-lock", "-lock", "a.c"}, 2, "", "may be given only once"},
      {{"put", "-rev"}, 2, "", "tarn put: see 'tarn help put'"},
      {{"lock"}, 2, "", "see 'tarn help lock'"},
      {{"get", "a\xff.c"}, 2, "", "tarn: argument 2 is not UTF-8 text"},
      {{"diff"}, 2, "", "see 'tarn help diff'"},
      {{"diff", "-rev", "1.1", "-rev", "1.2", "-rev", "1.3", "a.c"}, 2, "", "at most two"},
      {{"diff", "-bogus", "a.c"}, 2, "", "see 'tarn help diff'"},
      {{"log", "-lockd", "a.c"}, 2, "", "tarn log: did you mean -locked?"},
  };
  for (const DispatchCase& c : cases) {
    std::string line;
    for (const std::string& word : c.arguments) line += word + " ";
    const ProgramResult result = Tarn(c.arguments);
    EXPECT_EQ(result.status, c.status) << line << result.err;
    if (*c.out != '\0') {
      EXPECT_NE(result.out.find(c.out), std::string::npos) << line << result.out;
    }
    if (*c.err != '\0') {
      EXPECT_NE(result.err.find(c.err), std::string::npos) << line << result.err;
    }
    // A refused line says why on standard error only, in a few lines, not
    // with the whole usage.
    if (c.status == 2) {
      EXPECT_EQ(result.out, "") << line;
      if (c.arguments.empty()) continue;  // tarn alone lists its subcommands
      EXPECT_LE(std::count(result.err.begin(), result.err.end(), '\n'), 3) << line << result.err;
    }
  }
}

TEST_F(TarnProgramTest, SeveralFilesGoOnAfterOneFailsAndSayWhichFailed) {
  Write("a.c", "alpha\n");
  Write("b.c", "beta\n");
  Write("c.c", "gamma\n");
  ProgramResult added = Tarn({"put", "-text", "first", "a.c", "b.c", "c.c"});
  ASSERT_EQ(added.status, 0) << added.err;
  EXPECT_NE(added.out.find("3 of 3 files done"), std::string::npos) << added.out;
  for (const char* logfile : {"a.d", "b.d", "c.d"}) {
    EXPECT_TRUE(fs::exists(work_ + "/TARN/" + logfile)) << logfile;
  }

  // The files are done in the order given: the missing one in the middle
  // stops nothing.
  ProgramResult got = Tarn({"get", "-yes", "a.c", "missing.c", "c.c"});
  EXPECT_EQ(got.status, 1);
  EXPECT_NE(got.err.find("2 of 3 files done"), std::string::npos) << got.err;
  EXPECT_NE(got.err.find("not done: missing.c"), std::string::npos) << got.err;
  EXPECT_EQ(testing::ReadText(work_ + "/c.c"), "gamma\n");

  // One file: no summary.
  ProgramResult one = Tarn({"get", "-yes", "b.c"});
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(one.out.find("files done"), std::string::npos) << one.out;
}

TEST_F(TarnProgramTest, AnOptionNamingOneFileTakesOneFileOnly) {
  Write("a.c", "alpha\n");
  Write("b.c", "beta\n");
  ProgramResult result = Tarn({"get", "-out", "x.c", "a.c", "b.c"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("-out names one file"), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(work_ + "/x.c"));
}

TEST_F(TarnProgramTest, WithoutVariablesTheLoginNameOwnsANewLogfile) {
  const std::string login = LoginName();
  ASSERT_FALSE(login.empty());
  Write("a.c", "alpha\n");
  ProgramResult added = Tarn({"put", "-text", "first", "a.c"});
  ASSERT_EQ(added.status, 0) << added.err;
  // The access list is the creating user alone; the owner is the user.
  const std::string logfile = testing::ReadText(work_ + "/TARN/a.d");
  EXPECT_NE(logfile.find(login), std::string::npos);
  EXPECT_EQ(logfile.find("none"), std::string::npos);

  // Someone else is refused, and told under which name and why.
  ProgramResult refused =
      Tarn({"header", "-desc", "-text", "new", "a.c"}, {{"TARNUSER", "mallory"}});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("'mallory'"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("TARNUSER"), std::string::npos) << refused.err;
  // ... and who can add them, with which command.
  EXPECT_NE(refused.err.find("its owner " + login +
                             " can add you with 'tarn header -access -text LIST a.c'"),
            std::string::npos)
      << refused.err;

  // The creator may change the header.
  ProgramResult changed = Tarn({"header", "-desc", "-text", "new", "a.c"});
  EXPECT_EQ(changed.status, 0) << changed.err;
}

// Refusals whose cure is known say it on one more line.
TEST_F(TarnProgramTest, RefusalsSayTheNextStep) {
  const std::map<std::string, std::string> ann = {{"TARNUSER", "ann"}, {"TARNACCESS", "ann,bob"}};
  const std::map<std::string, std::string> bob = {{"TARNUSER", "bob"}};

  // No logfile directory: make one, or name the team's.
  fs::create_directories(root_.File("bare"));
  setup_.workingDirectory = root_.File("bare");
  testing::WriteText(root_.File("bare/a.c"), "alpha\n");
  const ProgramResult bare = Tarn({"put", "-text", "first", "a.c"}, ann);
  EXPECT_EQ(bare.status, 1);
  EXPECT_NE(bare.err.find("tarn put: make it with 'mkdir "), std::string::npos) << bare.err;
  EXPECT_NE(bare.err.find("or set TARNPATH"), std::string::npos) << bare.err;
  EXPECT_FALSE(fs::exists(root_.File("bare/TARN")));

  // A lock someone else holds: who holds it, and how they release it.
  setup_.workingDirectory = work_;
  Write("a.c", "alpha\n");
  ASSERT_EQ(Tarn({"put", "-text", "first", "a.c"}, ann).status, 0);
  ASSERT_EQ(Tarn({"lock", "a.c"}, ann).status, 0);
  const std::string cure =
      "ann releases the lock with 'tarn unlock a.c' or by checking the file in with 'tarn put a.c'";
  for (const std::vector<std::string>& line : std::vector<std::vector<std::string>>{
           {"lock", "a.c"}, {"unlock", "-rev", "1.0", "a.c"}, {"get", "-lock", "-yes", "a.c"}}) {
    const ProgramResult refused = Tarn(line, bob);
    EXPECT_EQ(refused.status, 1) << line[0] << refused.err;
    EXPECT_NE(refused.err.find(cure), std::string::npos) << line[0] << "\n" << refused.err;
  }
}

TEST_F(TarnProgramTest, DiffListsChangesAndExitsAsDiffDoes) {
  Write("a.c", "one\ntwo\nthree\n");
  ASSERT_EQ(Tarn({"put", "-text", "first", "a.c"}).status, 0);
  ASSERT_EQ(Tarn({"get", "-lock", "a.c"}).status, 0);

  ProgramResult same = Tarn({"diff", "a.c"});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "");

  Write("a.c", "one\n2\nthree\n");
  ProgramResult changed = Tarn({"diff", "a.c"});
  EXPECT_EQ(changed.status, 1) << changed.err;
  EXPECT_EQ(changed.out,
            "--- a.c\trevision 1.0\n+++ a.c\tworkfile\n@@ -1,3 +1,3 @@\n one\n-two\n+2\n three\n");

  ASSERT_EQ(Tarn({"put", "-text", "second", "-yes", "a.c"}).status, 0);
  ProgramResult revisions = Tarn({"diff", "-rev", "1.0", "-rev", "1.1", "a.c"});
  EXPECT_EQ(revisions.status, 1) << revisions.err << revisions.out;
  EXPECT_EQ(revisions.out,
            "--- a.c\trevision 1.0\n+++ a.c\trevision 1.1\n@@ -1,3 +1,3 @@\n one\n-two\n+2\n"
            " three\n");

  // Trouble outweighs a difference; the other file is still compared.
  ProgramResult trouble = Tarn({"diff", "-rev", "1.0", "a.c", "missing.c"});
  EXPECT_EQ(trouble.status, 2);
  EXPECT_NE(trouble.out.find("-two"), std::string::npos) << trouble.out;
}

// Keywords are expanded for the workfile's name on both sides, so that an
// unchanged workfile with keywords compares equal, and a listing of two
// revisions names the workfile, never a temporary file.
TEST_F(TarnProgramTest, DiffExpandsKeywordsForTheWorkfilesName) {
  const std::map<std::string, std::string> expand = {{"TARNEXPAND", "yes"}};
  Write("a.c", "$Header$\n$Workfile$\n$Revision$\n$Log$\none\n");
  ASSERT_EQ(Tarn({"put", "-text", "first", "a.c"}, expand).status, 0);
  const std::string expanded = testing::ReadText(work_ + "/a.c");
  ASSERT_NE(expanded.find("$Header: a.c"), std::string::npos) << expanded;

  ProgramResult same = Tarn({"diff", "a.c"});
  EXPECT_EQ(same.status, 0) << same.err << same.out;
  EXPECT_EQ(same.out, "");

  ASSERT_EQ(Tarn({"get", "-lock", "-yes", "a.c"}).status, 0);
  same = Tarn({"diff", "-rev", "1.0", "a.c"});
  EXPECT_EQ(same.status, 0) << same.err << same.out;
  Write("a.c", testing::ReadText(work_ + "/a.c") + "two\n");
  ASSERT_EQ(Tarn({"put", "-text", "second", "a.c"}).status, 0);
  same = Tarn({"diff", "a.c"});
  EXPECT_EQ(same.status, 0) << same.err << same.out;

  const ProgramResult revisions = Tarn({"diff", "-rev", "1.0", "-rev", "1.1", "a.c"});
  EXPECT_EQ(revisions.status, 1) << revisions.err;
  EXPECT_NE(revisions.out.find("-$Header: a.c  Revision:1.0"), std::string::npos) << revisions.out;
  EXPECT_NE(revisions.out.find("+$Header: a.c  Revision:1.1"), std::string::npos) << revisions.out;
  EXPECT_NE(revisions.out.find(" $Workfile: a.c $"), std::string::npos) << revisions.out;
  EXPECT_NE(revisions.out.find("+two"), std::string::npos) << revisions.out;
  EXPECT_EQ(revisions.out.find(root_.File("temp")), std::string::npos) << revisions.out;
}

// Unlock without a revision finds the user's own lock wherever it stands;
// with none held it says so and ends with "nothing done".
TEST_F(TarnProgramTest, UnlockWithoutRevisionReleasesTheLockTheUserHolds) {
  Write("a.c", "one\n");
  ASSERT_EQ(Tarn({"put", "-text", "first", "a.c"}).status, 0);
  for (const char* text : {"one\ntwo\n", "one\ntwo\nthree\n"}) {
    ASSERT_EQ(Tarn({"get", "-lock", "-yes", "a.c"}).status, 0);
    Write("a.c", text);
    ASSERT_EQ(Tarn({"put", "-text", "next", "a.c"}).status, 0);
  }
  // 1.2 is the tip; the lock is on 1.1.
  ASSERT_EQ(Tarn({"lock", "-rev", "1.1", "a.c"}).status, 0);
  ProgramResult unlocked = Tarn({"unlock", "a.c"});
  EXPECT_EQ(unlocked.status, 0) << unlocked.err << unlocked.out;
  ProgramResult listed = Tarn({"log", "-locked", "a.c"});
  EXPECT_EQ(listed.out.find("1.1"), std::string::npos) << listed.out;
  // Released: it can be taken again, and then released again.
  ASSERT_EQ(Tarn({"lock", "-rev", "1.1", "a.c"}).status, 0);
  ASSERT_EQ(Tarn({"unlock", "a.c"}).status, 0);

  ProgramResult none = Tarn({"unlock", "a.c"});
  EXPECT_EQ(none.status, 3) << none.err << none.out;
  EXPECT_NE((none.out + none.err).find("no lock"), std::string::npos) << none.out << none.err;
  // Another user's lock is left alone: theirs, not ours to find.
  ASSERT_EQ(Tarn({"lock", "-rev", "1.1", "a.c"}).status, 0);
  none = Tarn({"unlock", "a.c"}, {{"TARNUSER", "someone"}});
  EXPECT_NE(none.status, 0);
  listed = Tarn({"log", "-locked", "a.c"});
  EXPECT_NE(listed.out.find("1.1"), std::string::npos) << listed.out;
}

// What cannot be got is refused before anyone is asked whether to replace
// a writable workfile: the question would be about nothing.
TEST_F(TarnProgramTest, AMissingRevisionIsRefusedBeforeTheReplaceQuestion) {
  Write("a.c", "one\n");
  ASSERT_EQ(Tarn({"put", "-text", "first", "a.c"}).status, 0);
  ASSERT_EQ(Tarn({"label", "-v", "REL", "a.c"}).status, 0);
  for (const std::vector<std::string>& request :
       {std::vector<std::string>{"-v", "NOSUCH"}, std::vector<std::string>{"-rev", "7.7"}}) {
    Write("a.c", "my edit\n");  // writable
    std::vector<std::string> arguments = {"get"};
    arguments.insert(arguments.end(), request.begin(), request.end());
    arguments.push_back("a.c");
    const ProgramResult got = Tarn(arguments);
    EXPECT_EQ(got.status, 1) << got.out << got.err;
    EXPECT_EQ((got.out + got.err).find("Replace it?"), std::string::npos) << got.out << got.err;
    EXPECT_EQ(testing::ReadText(work_ + "/a.c"), "my edit\n");
  }
}

}  // namespace
}  // namespace tarn
