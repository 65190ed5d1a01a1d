// The get and lock command lines: what they accept, and every refusal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/commands/get_command.h"
#include "engine/commands/lock_command.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LoadCatalogue;
using testing::RecordingHost;

std::string Word(const MessageId& id) { return MessageText(id.number); }
std::string Opt(const MessageId& id) { return "-" + Word(id); }
std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return text;
}

class GetCommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadCatalogue(); }

  int Parse(std::vector<std::string> words) {
    words.insert(words.begin(), "tget");
    return ParseGetCommandLine(words, args_);
  }

  // The one alert reported, formatted as the message `id` with `arguments`.
  void ExpectRefusal(const MessageId& id, const std::vector<std::string>& texts = {}) {
    const std::vector<MessageArg> arguments(texts.begin(), texts.end());
    ExpectRefusalArgs(id, arguments);
  }
  void ExpectRefusalArgs(const MessageId& id, const std::vector<MessageArg>& arguments) {
    ASSERT_FALSE(host_.messages().empty());
    EXPECT_EQ(host_.messages().front().kind, kAlert);
    EXPECT_EQ(host_.messages().front().text, FormatMessageArgs(id, arguments)) << host_.All();
  }

  RecordingHost host_;
  GetCommandArgs args_;
};

TEST_F(GetCommandLineTest, PlainFileNameFetchesTheDefaultRevision) {
  ASSERT_EQ(Parse({"main.c"}), 1);
  EXPECT_EQ(args_.fileName, "main.c");
  EXPECT_EQ(args_.WorkfilePath(), "main.c");
  EXPECT_FALSE(args_.lock);
  EXPECT_FALSE(args_.newerOnly);
  EXPECT_FALSE(args_.revision);
  EXPECT_FALSE(args_.label);
  EXPECT_EQ(args_.timestamp, WorkfileTimestamp::kNow);
  EXPECT_EQ(args_.attributes, AttributeOverride{});
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(GetCommandLineTest, EveryOptionInAnyOrder) {
  ASSERT_EQ(Parse({Opt(msg::kOptionQuiet),
                   "-" + Word(msg::kOptionTimestamp) + "=" + Word(msg::kWordEditTime),
                   Opt(msg::kOptionOutput), "/tmp/out.c", "main.c", Opt(msg::kOptionLock),
                   Opt(msg::kOptionSet), Word(msg::kWordExpandKeywords) + "=" + Word(msg::kWordNo),
                   Opt(msg::kOptionRevision), "1.2.1.3", Opt(msg::kWordKeep)}),
            1)
      << host_.All();
  EXPECT_TRUE(args_.quiet);
  EXPECT_TRUE(args_.lock);
  EXPECT_EQ(args_.timestamp, WorkfileTimestamp::kEditTime);
  EXPECT_EQ(args_.workfile, "/tmp/out.c");
  EXPECT_EQ(args_.WorkfilePath(), "/tmp/out.c");
  EXPECT_EQ(args_.fileName, "main.c");
  EXPECT_EQ(args_.attributes.mask, kAttrExpandKeywords);
  EXPECT_EQ(args_.attributes.values, 0);
  ASSERT_TRUE(args_.revision);
  EXPECT_EQ(args_.revision->iElementCount, 2);
  EXPECT_EQ(args_.revision->elements[1].iMinor, 3);
  ASSERT_TRUE(args_.writableAnswer);
  EXPECT_TRUE(AnswerIsKeep(*args_.writableAnswer));
}

TEST_F(GetCommandLineTest, TimestampValuesIgnoreLetterCase) {
  const std::string stamp = "-" + Word(msg::kOptionTimestamp);
  ASSERT_EQ(Parse({stamp + "=" + Word(msg::kWordCheckinTime), "f.c"}), 1);
  EXPECT_EQ(args_.timestamp, WorkfileTimestamp::kCheckInTime);
  const std::string upper = Upper(Word(msg::kWordNow));
  ASSERT_EQ(Parse({stamp + "=" + Word(msg::kWordEditTime), stamp + "=" + upper, "f.c"}), 1);
  EXPECT_EQ(args_.timestamp, WorkfileTimestamp::kNow);
  // The word alone is accepted and changes nothing.
  ASSERT_EQ(Parse({stamp + "=" + Word(msg::kWordEditTime), stamp, "f.c"}), 1);
  EXPECT_EQ(args_.timestamp, WorkfileTimestamp::kEditTime);

  ASSERT_EQ(Parse({stamp + "=later", "f.c"}), -1);
  ExpectRefusal(msg::kBadTimestampValue,
                {Word(msg::kWordCheckinTime), Word(msg::kWordNow), Word(msg::kWordEditTime)});
  host_.Clear();
  ASSERT_EQ(Parse({stamp + "ed=now", "f.c"}), -1);
  ExpectRefusal(msg::kUnknownOption, {stamp + "ed=now"});
}

TEST_F(GetCommandLineTest, QuotedLabelOverSeveralArguments) {
  ASSERT_EQ(Parse({Opt(msg::kOptionLabel), "'release", "two", "final'", "main.c"}), 1);
  EXPECT_EQ(args_.label, "release two final");
  EXPECT_EQ(args_.fileName, "main.c");

  host_.Clear();
  ASSERT_EQ(Parse({Opt(msg::kOptionLabel), "'open", "main.c"}), -1);
  ExpectRefusal(msg::kQuoteNotClosed);
  EXPECT_TRUE(host_.Saw(FormatMessage(msg::kBadTextValue)));
  EXPECT_FALSE(args_.label);
  EXPECT_TRUE(args_.fileName.empty());

  host_.Clear();
  ASSERT_EQ(Parse({Opt(msg::kOptionLabel), std::string(80, 'x'), "main.c"}), -1);
  ExpectRefusalArgs(msg::kLabelTooLong, {MessageArg(79)});
}

TEST_F(GetCommandLineTest, ConflictingAndRepeatedOptionsAreRefused) {
  struct Case {
    std::vector<std::string> words;
    MessageId message;
    std::vector<std::string> arguments;
  };
  const std::string lock = Opt(msg::kOptionLock);
  const std::string newer = Opt(msg::kOptionNewerOnly);
  const std::string rev = Opt(msg::kOptionRevision);
  const std::string label = Opt(msg::kOptionLabel);
  const std::string out = Opt(msg::kOptionOutput);
  const std::vector<Case> cases = {
      {{lock, newer, "f.c"}, msg::kNewerOnlyWithLock, {}},
      {{newer, lock, "f.c"}, msg::kLockWithNewerOnly, {}},
      {{lock, lock, "f.c"}, msg::kOptionTwice, {Word(msg::kOptionLock)}},
      {{rev, "1.1", rev, "1.2", "f.c"}, msg::kOptionTwice, {Word(msg::kOptionRevision)}},
      {{label, "A", rev, "1.2", "f.c"}, msg::kRevisionAfterLabel, {}},
      {{rev, "1.2", label, "A", "f.c"}, msg::kLabelAfterRevision, {}},
      {{label, "A", label, "B", "f.c"}, msg::kOptionTwice, {Word(msg::kOptionLabel)}},
      {{"f.c", rev}, msg::kRevisionMissing, {}},
      {{"f.c", label}, msg::kLabelMissing, {}},
      {{"f.c", out}, msg::kOutputMissing, {}},
      {{out, "a.c", out, "b.c", "f.c"}, msg::kSecondOutput, {"a.c"}},
      {{"f.c", out, "a.c", out}, msg::kOutputTwice, {}},
      {{"f.c", Opt(msg::kOptionSet)}, msg::kAttributeValueMissing, {}},
      {{rev, "*", "f.c"}, msg::kWildcardNotAllowed, {"*"}},
      {{rev, "1.x", "f.c"}, msg::kBadRevision, {"1.x"}},
      {{rev, "1.1:1.3", "f.c"}, msg::kRangeNotAllowed, {"1.1:1.3"}},
      {{Opt(msg::kWordYes), Opt(msg::kWordNo), "f.c"},
       msg::kSecondAnswer,
       {Upper(Word(msg::kWordYes)), Upper(Word(msg::kWordNo))}},
      {{"-bogus", "f.c"}, msg::kUnknownOption, {"-bogus"}},
      {{"f.c", "g.c"}, msg::kSecondFileName, {"f.c"}},
  };
  for (const Case& c : cases) {
    host_.Clear();
    EXPECT_EQ(Parse(c.words), -1) << c.words[0];
    ExpectRefusal(c.message, c.arguments);
    EXPECT_TRUE(args_.fileName.empty());
  }
  host_.Clear();
  EXPECT_EQ(Parse({Opt(msg::kOptionQuiet)}), -1);  // no file name
  EXPECT_TRUE(host_.messages().empty());
}

// A get that ran without the attribute the user meant would do something
// else than asked: a faulty override refuses the line.
TEST_F(GetCommandLineTest, FaultyAttributeOverridesRefuseTheLine) {
  ASSERT_EQ(
      Parse({Opt(msg::kOptionSet), Word(msg::kWordProtectWorkFile) + "=" + Word(msg::kWordYes),
             Opt(msg::kOptionSet), Word(msg::kWordCheckLock) + "=" + Word(msg::kWordNo), "f.c"}),
      -1);
  ExpectRefusal(msg::kAttributeNotPermitted,
                {Word(msg::kWordCheckLock) + "=" + Word(msg::kWordNo)});
}

class LockCommandLineTest : public GetCommandLineTest {
 protected:
  int ParseLock(std::vector<std::string> words) {
    words.insert(words.begin(), "tlock");
    return ParseLockCommandLine(words, lock_args_);
  }
  int ParseUnlock(std::vector<std::string> words) {
    words.insert(words.begin(), "tunlock");
    return ParseUnlockCommandLine(words, lock_args_);
  }
  LockCommandArgs lock_args_;
};

TEST_F(LockCommandLineTest, RevisionAndFileName) {
  ASSERT_EQ(ParseLock({"main.c"}), 1);
  EXPECT_EQ(lock_args_.fileName, "main.c");
  EXPECT_FALSE(lock_args_.revision);
  ASSERT_EQ(ParseUnlock({Opt(msg::kOptionRevision), "1.2.1", "main.c"}), 1);
  ASSERT_TRUE(lock_args_.revision);
  // A branch: its newest revision.
  EXPECT_EQ(lock_args_.revision->iElementCount, 2);
  EXPECT_EQ(lock_args_.revision->elements[1].iMinorFlag, kMatchNewest);
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(LockCommandLineTest, RefusalsOfBothParsers) {
  const std::string rev = Opt(msg::kOptionRevision);
  struct Case {
    std::vector<std::string> words;
    MessageId message;
    std::vector<std::string> arguments;
  };
  const std::vector<Case> cases = {
      {{rev, "1.*", "f.c"}, msg::kWildcardNotAllowed, {"1.*"}},
      {{rev, "1.1", rev, "1.2", "f.c"}, msg::kOptionTwice, {Word(msg::kOptionRevision)}},
      {{"f.c", rev}, msg::kRevisionMissing, {}},
      {{Opt(msg::kOptionLock), "f.c"}, msg::kUnknownOption, {Opt(msg::kOptionLock)}},
      {{"f.c", "g.c"}, msg::kSecondFileName, {"f.c"}},
  };
  for (const Case& c : cases) {
    for (int unlock = 0; unlock < 2; ++unlock) {
      host_.Clear();
      EXPECT_EQ(unlock ? ParseUnlock(c.words) : ParseLock(c.words), -1);
      ExpectRefusal(c.message, c.arguments);
      EXPECT_TRUE(lock_args_.fileName.empty());
      EXPECT_FALSE(lock_args_.revision);
    }
  }
  EXPECT_EQ(ParseLock({rev, "1.2"}), -1);
}

}  // namespace
}  // namespace tarn
