// One member sits at a question (replace a writable workfile, type a
// check-in description) at a terminal while another member works on the
// same logfile: the other member's get, log, check-out and check-in go
// through, since a question never holds the logfile. When what was asked
// about changed meanwhile, the first member is told, and nothing is done
// behind their back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "tests/support/team_scratch.h"

namespace tarn {
namespace {

using testing::kAnn;
using testing::kDan;
using testing::ProgramResult;
using testing::TerminalProgram;
using testing::LongestFixedWords;

std::string Word(const MessageId& id) { return MessageText(id.number); }
std::string Opt(const MessageId& id) { return "-" + Word(id); }


class OpenQuestionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run commands as two users";
    team_.SetUp();
    // Ann adds m.c (1.0); both members have it.
    team_.WriteWorkfile(kAnn, "m.c", "one\n");
    ASSERT_EQ(Run(kAnn, "tput", {Opt(msg::kOptionText), "first", "m.c"}).status, 0);
    ASSERT_EQ(Run(kDan, "tget", {"m.c"}).status, 0);
  }

  ProgramResult Run(unsigned user, const std::string& program,
                    const std::vector<std::string>& arguments) {
    return team_.Run(user, program, arguments);
  }

  TerminalProgram AtTerminal(unsigned user, const std::string& program,
                             const std::vector<std::string>& arguments) {
    return TerminalProgram(program, arguments, team_.Setup(user));
  }

  // Everything Dan does while Ann's question is open; all of it must go
  // through, none of it waiting for Ann.
  void DanWorksMeanwhile(const std::string& text) {
    ProgramResult got = Run(kDan, "tget", {Opt(msg::kWordYes), "m.c"});
    EXPECT_EQ(got.status, 0) << got.out << got.err;
    got = Run(kDan, "tarn", {"log", "m.c"});
    EXPECT_EQ(got.status, 0) << got.out << got.err;
    got = Run(kDan, "tget", {Opt(msg::kOptionLock), Opt(msg::kWordYes), "m.c"});
    ASSERT_EQ(got.status, 0) << got.out << got.err;
    team_.WriteWorkfile(kDan, "m.c", text);
    got = Run(kDan, "tput", {Opt(msg::kOptionText), "dan's", "m.c"});
    EXPECT_EQ(got.status, 0) << got.out << got.err;
  }

  testing::TeamScratch team_;
};

TEST_F(OpenQuestionTest, OthersWorkWhileAMemberIsAskedToReplaceAWorkfile) {
  team_.WriteWorkfile(kAnn, "m.c", "ann's edit\n");  // writable: Ann is asked
  TerminalProgram ann = AtTerminal(kAnn, "tget", {Opt(msg::kOptionLock), "m.c"});
  ASSERT_TRUE(ann.WaitFor(LongestFixedWords(msg::kAskReplaceWritable))) << ann.Output();

  DanWorksMeanwhile("two\n");

  // Ann says yes: she gets and locks what is the newest revision now.
  ann.Type(Word(msg::kWordYes) + "\n");
  EXPECT_EQ(ann.Wait(), 0) << ann.Output();
  EXPECT_EQ(testing::ReadText(team_.Work(kAnn) + "/m.c"), "two\n");
  // Hers is the lock on 1.1: she can release it.
  const ProgramResult unlocked =
      Run(kAnn, "tunlock", {Opt(msg::kOptionRevision), "1.1", "m.c"});
  EXPECT_EQ(unlocked.status, 0) << unlocked.out << unlocked.err;
  EXPECT_EQ(testing::TeamScratch::Entries(team_.Logs()), std::vector<std::string>{"m.d"});
}

TEST_F(OpenQuestionTest, OthersWorkWhileAMemberTypesADescription) {
  ASSERT_EQ(Run(kAnn, "tget", {Opt(msg::kOptionLock), Opt(msg::kWordYes), "m.c"}).status, 0);
  team_.WriteWorkfile(kAnn, "m.c", "one\nann's line\n");
  TerminalProgram ann = AtTerminal(kAnn, "tput", {"m.c"});
  ASSERT_TRUE(ann.WaitFor(LongestFixedWords(msg::kTextPrompt))) << ann.Output();
  ann.Type("fixed the ");

  // Dan reads and compares at once; his lock is refused at once by the
  // lock rules (Ann holds the revision), not after waiting for a busy
  // logfile.
  ProgramResult got = Run(kDan, "tget", {Opt(msg::kWordYes), "m.c"});
  EXPECT_EQ(got.status, 0) << got.out << got.err;
  got = Run(kDan, "tarn", {"log", "m.c"});
  EXPECT_EQ(got.status, 0) << got.out << got.err;
  got = Run(kDan, "tarn", {"diff", "m.c"});
  EXPECT_EQ(got.status, 0) << got.out << got.err;
  // A lock Ann holds is refused by the rules at once, not by a busy logfile.
  got = Run(kDan, "tlock", {"m.c"});
  EXPECT_EQ(got.status, 1);
  EXPECT_NE(got.err.find("ann"), std::string::npos) << got.err;

  ann.Type("parser\x01");
  EXPECT_EQ(ann.Wait(), 0) << ann.Output();
  const ProgramResult log = Run(kDan, "tarn", {"log", "m.c"});
  EXPECT_NE(log.out.find("fixed the parser"), std::string::npos) << log.out;
  EXPECT_NE(log.out.find("1.1"), std::string::npos) << log.out;
}

// A check-in whose description is being typed holds no lock: another
// member's check-in goes through; and when the typing member's own check-in
// would now be a different one, it is refused and says so.
TEST_F(OpenQuestionTest, ACheckInThatChangedMeanwhileIsRefused) {
  ASSERT_EQ(Run(kAnn, "tget", {Opt(msg::kOptionLock), Opt(msg::kWordYes), "m.c"}).status, 0);
  team_.WriteWorkfile(kAnn, "m.c", "one\nann's line\n");
  const std::vector<std::uint8_t> before = testing::ReadBytes(team_.Logfile("m.c"));
  TerminalProgram ann = AtTerminal(kAnn, "tput", {"m.c"});
  ASSERT_TRUE(ann.WaitFor(LongestFixedWords(msg::kTextPrompt))) << ann.Output();
  // Ann edits her workfile again while she types.
  team_.WriteWorkfile(kAnn, "m.c", "one\nann's line, changed\n");
  ann.Type("a description\x01");
  EXPECT_EQ(ann.Wait(), 1) << ann.Output();
  EXPECT_NE(ann.Output().find(LongestFixedWords(msg::kCheckInChangedWhileAsked)),
            std::string::npos)
      << ann.Output();
  EXPECT_EQ(testing::ReadBytes(team_.Logfile("m.c")), before);
  EXPECT_EQ(testing::ReadText(team_.Work(kAnn) + "/m.c"), "one\nann's line, changed\n");
  // Her lock stays, and the check-in goes through when asked again.
  const ProgramResult put = Run(kAnn, "tput", {Opt(msg::kOptionText), "again", "m.c"});
  EXPECT_EQ(put.status, 0) << put.out << put.err;
}

TEST_F(OpenQuestionTest, AWorkfileChangedWhileAskedIsAskedAbout) {
  team_.WriteWorkfile(kAnn, "m.c", "ann's edit\n");
  TerminalProgram ann = AtTerminal(kAnn, "tget", {Opt(msg::kOptionLock), "m.c"});
  const std::string question = LongestFixedWords(msg::kAskReplaceWritable);
  ASSERT_TRUE(ann.WaitFor(question)) << ann.Output();
  team_.WriteWorkfile(kAnn, "m.c", "ann's edit, saved again\n");
  ann.Type(Word(msg::kWordYes) + "\n");
  const std::string changed = LongestFixedWords(msg::kChangedWhileAsked);
  ASSERT_TRUE(ann.WaitFor(changed)) << ann.Output();
  // Asked again, she keeps it: nothing is done.
  ASSERT_TRUE(ann.WaitFor(question, ann.Output().find(changed))) << ann.Output();
  ann.Type(Word(msg::kWordNo) + "\n");
  EXPECT_EQ(ann.Wait(), 3) << ann.Output();
  EXPECT_EQ(testing::ReadText(team_.Work(kAnn) + "/m.c"), "ann's edit, saved again\n");
  // No lock was taken: she has none to release.
  EXPECT_EQ(Run(kAnn, "tunlock", {"m.c"}).status, 3);
}

}  // namespace
}  // namespace tarn
