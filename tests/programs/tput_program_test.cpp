// The tput program as a user runs it: settings from the environment,
// descriptions typed on standard input, exit statuses, the workfile after
// the check-in.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/checkin_sandbox.h"
#include "tests/support/program_runner.h"
#include "tests/support/raw_logfile.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::CheckInSandbox;
using testing::ProgramResult;
using testing::ProgramSetup;

class TputProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setup_ = box_.ProgramsRunHere({{"TARNCHECKLOCK", "no"},
                                   {"TARNPROTECTLOG", "no"},
                                   {"TARNPROTECTWORK", "no"},
                                   {"TARNJOURNAL", "no"}});
  }

  ProgramResult Run(const std::string& program, const std::vector<std::string>& arguments,
                    std::optional<std::string> input = std::nullopt) {
    ProgramSetup setup = setup_;
    setup.input = std::move(input);
    return testing::RunBuiltProgram(program, arguments, setup);
  }

  testing::RawLogfile Parsed(const std::string& name) {
    std::string error;
    std::optional<testing::RawLogfile> log = testing::ReadRawLogfile(box_.Logfile(name), &error);
    EXPECT_TRUE(log) << error;
    return log.value_or(testing::RawLogfile{});
  }

  CheckInSandbox box_;
  ProgramSetup setup_;
};

TEST_F(TputProgramTest, DescriptionsAreReadFromStandardInput) {
  box_.Write("a.c", "one\n");
  ProgramResult result = Run("tput", {"a.c"}, "the module\r\nsecond line\n");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Parsed("a.c").description, "the module\nsecond line");

  box_.Write("a.c", "two\n");
  result = Run("tput", {"a.c"}, "what changed\n");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Parsed("a.c").revisions[0].description, "what changed");
  EXPECT_EQ(Parsed("a.c").revisions[1].description, "Initial revision");
}

TEST_F(TputProgramTest, EscapeAbandonsTheDescriptionAndNothingIsCreatedOrStored) {
  box_.Write("a.c", "one\n");
  ProgramResult result = Run("tput", {"a.c"}, "typed, then given up\x1b");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("a.c"), std::string::npos) << result.err;
  EXPECT_TRUE(fs::is_empty(box_.Logs()));

  ASSERT_EQ(Run("tput", {"-text", "m", "a.c"}).status, 0);
  const std::vector<std::uint8_t> before = testing::ReadBytes(box_.Logfile("a.c"));
  box_.Write("a.c", "two\n");
  result = Run("tput", {"a.c"}, "\x1b");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(testing::ReadBytes(box_.Logfile("a.c")), before);
  EXPECT_EQ(fs::directory_iterator(box_.Logs())->path().filename(), "a.d");
}

// Quiet means nothing on standard output: not the creation of the logfile,
// not the note about an extension without a comment prefix, not the
// comparison. Errors still go to standard error.
TEST_F(TputProgramTest, QuietPrintsNothing) {
  box_.Write("notes.zzq", "one\n");
  ProgramResult result = Run("tput", {"-quiet", "-text", "first", "notes.zzq"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  box_.Write("notes.zzq", "two\n");
  result = Run("tput", {"-quiet", "-text", "second", "notes.zzq"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Parsed("notes.zzq").revisions.size(), 2u);

  // Without it the same steps are reported.
  box_.Write("other.zzq", "one\n");
  result = Run("tput", {"-text", "first", "other.zzq"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out, "");
}

TEST_F(TputProgramTest, RefusedCommandLinesExitWithTwo) {
  box_.Write("a.c", "one\n");
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{},
                                             {"-bogus", "a.c"},
                                             {"a.c", "b.c"},
                                             {"-rev", "1.*", "a.c"},
                                             {"-newbranch", "-rev", "1.2", "a.c"}}) {
    const ProgramResult result = Run("tput", arguments);
    EXPECT_EQ(result.status, 2) << result.err;
  }
  EXPECT_TRUE(fs::is_empty(box_.Logs()));
}

TEST_F(TputProgramTest, WorkfileIsDeletedOrProtectedAfterTheCheckIn) {
  box_.Write("gone.c", "one\n");
  ASSERT_EQ(Run("tput", {"-text", "m", "-set", "DeleteWork=yes", "gone.c"}).status, 0);
  EXPECT_FALSE(fs::exists(box_.Work("gone.c")));

  setup_.environment["TARNPROTECTWORK"] = "yes";
  box_.Write("kept.c", "one\n");
  ASSERT_EQ(Run("tput", {"-text", "m", "kept.c"}).status, 0);
  EXPECT_EQ(fs::status(box_.Work("kept.c")).permissions() & fs::perms::owner_write,
            fs::perms::none);
  box_.Write("kept.c", "two\n");
  ASSERT_EQ(Run("tput", {"-text", "m", "-lock", "kept.c"}).status, 0);
  EXPECT_NE(fs::status(box_.Work("kept.c")).permissions() & fs::perms::owner_write,
            fs::perms::none);
}

TEST_F(TputProgramTest, KeptWorkfileGetsItsKeywordsExpandedAgain) {
  setup_.environment["TARNEXPAND"] = "yes";
  box_.Write("k.c", "/* $Revision$ $Workfile$ */\n");
  ProgramResult result = Run("tput", {"-text", "m", "k.c"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(box_.Read("k.c"), "/* $Revision: 1.0 $ $Workfile: k.c $ */\n");
  box_.Write("k.c", box_.Read("k.c") + "more\n");
  result = Run("tput", {"-text", "m", "k.c"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(box_.Read("k.c"), "/* $Revision: 1.1 $ $Workfile: k.c $ */\nmore\n");
  const testing::RawLogfile log = Parsed("k.c");
  const std::vector<std::uint8_t>& stored = log.revisions[0].data;
  EXPECT_EQ(std::string(stored.begin(), stored.end()), "/* $Revision$ $Workfile$ */\nmore\n");
  // The refreshed workfile carries the check-in time.
  struct stat info {};
  ASSERT_EQ(::stat(box_.Work("k.c").c_str(), &info), 0);
  EXPECT_EQ(static_cast<std::uint32_t>(info.st_mtime), log.revisions[0].putDate);
  EXPECT_TRUE(fs::is_empty(box_.Temp()));
}

// Nothing was stored: a script must not take the check-in as done (and
// delete the edit), yet it is no failure either: its own status.
TEST_F(TputProgramTest, NoLockHeldWithCheckLockExitsWithNothingDone) {
  setup_.environment["TARNCHECKLOCK"] = "yes";
  box_.Write("l.c", "one\n");
  ASSERT_EQ(Run("tput", {"-text", "m", "l.c"}).status, 0);
  box_.Write("l.c", "two\n");
  const ProgramResult result = Run("tput", {"-text", "m", "l.c"});
  EXPECT_EQ(result.status, 3);
  EXPECT_FALSE(result.err.empty());
  EXPECT_EQ(Parsed("l.c").revisionCount, 1);
}

}  // namespace
}  // namespace tarn
