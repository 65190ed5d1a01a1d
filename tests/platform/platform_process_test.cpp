#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/process.h"
#include "tests/support/test_support.h"

namespace tarn::platform {
namespace {

using Words = std::vector<std::string>;

TEST(PlatformProcess, SplitsAtBlanks) {
  EXPECT_EQ(SplitCommandLine("  diff\t-u  old.c\nnew.c  "),
            (Words{"diff", "-u", "old.c", "new.c"}));
  EXPECT_EQ(SplitCommandLine(""), Words{});
  EXPECT_EQ(SplitCommandLine(" \t\n "), Words{});
}

TEST(PlatformProcess, QuotesKeepBlanksTogether) {
  EXPECT_EQ(SplitCommandLine("view 'my file.c' \"other file.c\""),
            (Words{"view", "my file.c", "other file.c"}));
  // Quoted and plain parts join into one word.
  EXPECT_EQ(SplitCommandLine("x'a b'y\"c d\"z"), Words{"xa byc dz"});
  EXPECT_EQ(SplitCommandLine("'' \"\" a"), (Words{"", "", "a"}));
  EXPECT_EQ(SplitCommandLine("\"it's\" 'say \"hi\"'"), (Words{"it's", "say \"hi\""}));
}

TEST(PlatformProcess, BackslashesEscapeAsInAShell) {
  EXPECT_EQ(SplitCommandLine("a\\ b \\'c \\\\d"), (Words{"a b", "'c", "\\d"}));
  // In double quotes only \ " $ ` and line feed are escaped.
  EXPECT_EQ(SplitCommandLine("\"a\\\"b\" \"c\\\\d\" \"e\\nf\" \"\\$g\""),
            (Words{"a\"b", "c\\d", "e\\nf", "$g"}));
  // In single quotes nothing is.
  EXPECT_EQ(SplitCommandLine("'a\\b' 'c\\'"), (Words{"a\\b", "c\\"}));
  // A backslash before a line feed joins the lines.
  EXPECT_EQ(SplitCommandLine("ab\\\ncd"), Words{"abcd"});
  EXPECT_EQ(SplitCommandLine("ab \\\n cd"), (Words{"ab", "cd"}));
}

TEST(PlatformProcess, UnfinishedQuotesAndEscapesRunToTheEnd) {
  EXPECT_EQ(SplitCommandLine("view 'open file"), (Words{"view", "open file"}));
  EXPECT_EQ(SplitCommandLine("view \"open file"), (Words{"view", "open file"}));
  EXPECT_EQ(SplitCommandLine("view \"a\\"), (Words{"view", "a\\"}));
  EXPECT_EQ(SplitCommandLine("view end\\"), (Words{"view", "end\\"}));
}

TEST(PlatformProcess, RunsProgramsAndReturnsTheirExitStatus) {
  EXPECT_EQ(RunProgram("true"), 0);
  EXPECT_EQ(RunProgram("false"), 1);
  EXPECT_EQ(RunProgram("/bin/sh -c 'exit 7'"), 7);
  EXPECT_EQ(RunProgram("sh -c 'kill -KILL $$'"), 128 + 9);
}

TEST(PlatformProcess, ArgumentsArriveAsSplitWithoutAShell) {
  const testing::TempDir dir;
  const std::string out = dir.File("out");
  EXPECT_EQ(RunProgram("sh -c 'printf \"%s|\" \"$@\" > \"$0\"' " + out + " 'a b' 'c\"d' \\$HOME"),
            0);
  EXPECT_EQ(testing::ReadText(out), "a b|c\"d|$HOME|");

  // A ';' is no command separator here: touch gets it as part of a name.
  EXPECT_EQ(RunProgram("touch " + dir.File("x;touch") + " " + dir.File("y")), 0);
  EXPECT_TRUE(FileExists(dir.File("x;touch")));
  EXPECT_FALSE(FileExists(dir.File("x")));
}

TEST(PlatformProcess, ProgramsThatCannotStart) {
  const testing::TempDir dir;
  EXPECT_EQ(RunProgram(""), -1);
  EXPECT_EQ(RunProgram("   "), -1);
  EXPECT_EQ(RunProgram("''"), -1);
  EXPECT_EQ(RunProgram("tarn-no-such-program-anywhere"), -1);
  EXPECT_EQ(RunProgram(dir.File("missing")), -1);
  const std::string not_a_program = dir.File("text");
  testing::WriteText(not_a_program, "just text\n");
  ASSERT_EQ(::chmod(not_a_program.c_str(), 0644), 0);
  EXPECT_EQ(RunProgram(not_a_program), -1);
}

TEST(PlatformProcess, CollectsWhatAProgramWritesAndItsStatus) {
  std::string output = "stale";
  // Bytes of every value, more than one pipe's worth.
  EXPECT_EQ(RunProgramForOutput(Words{"head", "-c", "200000", "/dev/urandom"}, output), 0);
  EXPECT_EQ(output.size(), 200000U);
  EXPECT_EQ(RunProgramForOutput(Words{"printf", "a\\000b@"}, output), 0);
  EXPECT_EQ(output, std::string("a\0b@", 4));
  // Standard input is empty, so a reader ends at once.
  EXPECT_EQ(RunProgramForOutput(Words{"cat"}, output), 0);
  EXPECT_EQ(output, "");
  EXPECT_EQ(RunProgramForOutput(Words{"sh", "-c", "echo out; exit 3"}, output), 3);
  EXPECT_EQ(output, "out\n");
  EXPECT_EQ(RunProgramForOutput(Words{"no-such-program-anywhere"}, output), -1);
  EXPECT_EQ(RunProgramForOutput(Words{}, output), -1);
}

}  // namespace
}  // namespace tarn::platform
