#include "engine/commands/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LoadCatalogue;
using testing::RecordingHost;

std::string Word(const MessageId& id) { return MessageText(id.number); }

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadCatalogue(); }
  RecordingHost host_;
};

TEST_F(CommandLineTest, OptionsAreCatalogueWordsComparedWithoutCase) {
  const std::string lock = Word(msg::kOptionLock);
  EXPECT_TRUE(IsOptionWord("-" + lock, msg::kOptionLock));
  EXPECT_TRUE(IsOptionWord("-" + Upper(lock), msg::kOptionLock));
  EXPECT_FALSE(IsOptionWord(lock, msg::kOptionLock));
  EXPECT_FALSE(IsOptionWord("-" + lock + "x", msg::kOptionLock));
  EXPECT_FALSE(IsOptionWord("-", msg::kOptionLock));
  EXPECT_TRUE(IsOption("-"));
  EXPECT_FALSE(IsOption(""));
  EXPECT_FALSE(IsOption("file-name.c"));
}

TEST_F(CommandLineTest, RepeatedOptionAndSecondFileNameAreReported) {
  bool seen = false;
  EXPECT_TRUE(MarkOptionOnce(seen, msg::kOptionRevision));
  EXPECT_TRUE(host_.messages().empty());
  EXPECT_FALSE(MarkOptionOnce(seen, msg::kOptionRevision));
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].kind, kAlert);
  // Message 141 puts the option word before the program label.
  EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kOptionTwice, Word(msg::kOptionRevision)));
  EXPECT_NE(host_.messages()[0].text.find(Word(msg::kOptionRevision)), std::string::npos);

  std::optional<std::string> name;
  EXPECT_TRUE(TakeFileName("first.c", name));
  EXPECT_FALSE(TakeFileName("second.c", name));
  EXPECT_EQ(name, "first.c");
  EXPECT_TRUE(host_.Saw("first.c"));
  EXPECT_FALSE(host_.Saw("second.c"));
}

TEST_F(CommandLineTest, AttributeOverridesSetAndClearPermittedAttributes) {
  const std::uint16_t permitted = kAttrExpandKeywords | kAttrProtectWorkFile;
  AttributeOverride result;
  ParseAttributeOverride(Upper(Word(msg::kWordExpandKeywords)) + "=" + Upper(Word(msg::kWordYes)),
                         permitted, result);
  ParseAttributeOverride(Word(msg::kWordProtectWorkFile) + "=" + Word(msg::kWordNo), permitted,
                         result);
  EXPECT_TRUE(host_.messages().empty()) << host_.All();
  EXPECT_EQ(result.mask, kAttrExpandKeywords | kAttrProtectWorkFile);
  EXPECT_EQ(result.values, kAttrExpandKeywords);
  // Header 0x51 (CheckLock, ProtectWorkFile, JournalFile): ProtectWorkFile
  // cleared, ExpandKeywords set, the rest kept.
  EXPECT_EQ(result.ApplyTo(0x51), 0x45);

  // A later pair for the same attribute wins; several pairs in one value.
  ParseAttributeOverride(Word(msg::kWordExpandKeywords) + "=" + Word(msg::kWordNo) + "," +
                             Word(msg::kWordProtectWorkFile) + "=" + Word(msg::kWordYes),
                         permitted, result);
  EXPECT_EQ(result.values, kAttrProtectWorkFile);
  EXPECT_EQ(result.ApplyTo(0x00), kAttrProtectWorkFile);
}

TEST_F(CommandLineTest, FaultyOverridesAreReportedAndLeftOut) {
  const std::uint16_t permitted = kAttrExpandKeywords | kAttrProtectWorkFile;
  struct Case {
    std::string text;
    int message;
  };
  const std::vector<Case> cases = {
      {Word(msg::kWordExpandKeywords), 120},
      {Word(msg::kWordExpandKeywords) + "=maybe", 121},
      {Word(msg::kWordExpandKeywords) + "=", 121},
      {"NoSuchAttribute=" + Word(msg::kWordYes), 122},
      {Word(msg::kWordCheckLock) + "=" + Word(msg::kWordYes), 123},
  };
  for (const Case& c : cases) {
    host_.Clear();
    AttributeOverride result;
    ParseAttributeOverride(c.text, permitted, result);
    EXPECT_EQ(result, AttributeOverride{}) << c.text;
    ASSERT_EQ(host_.messages().size(), 1u) << c.text;
    EXPECT_EQ(host_.messages()[0].kind, kAlert);
    const MessageId id{c.message, "s"};
    const MessageArg argument(c.text);
    EXPECT_EQ(host_.messages()[0].text, FormatMessageArgs(id, {&argument, 1})) << c.text;
  }
  // A fault in one pair does not stop the others.
  host_.Clear();
  AttributeOverride result;
  ParseAttributeOverride("Bogus=" + Word(msg::kWordYes) + "," + Word(msg::kWordExpandKeywords) +
                             "=" + Word(msg::kWordYes),
                         kAllAttributes, result);
  EXPECT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(result.mask, kAttrExpandKeywords);
  EXPECT_EQ(result.values, kAttrExpandKeywords);
}

TEST_F(CommandLineTest, AnswerOptionsAreUpperCasedAndGivenOnce) {
  EXPECT_TRUE(IsAnswerOption("-" + Word(msg::kWordYes)));
  EXPECT_TRUE(IsAnswerOption("-" + Upper(Word(msg::kWordNo))));
  EXPECT_TRUE(IsAnswerOption("-" + Word(msg::kWordKeep)));
  EXPECT_FALSE(IsAnswerOption(Word(msg::kWordYes)));
  EXPECT_FALSE(IsAnswerOption("-" + Word(msg::kOptionLock)));

  std::optional<std::string> answer;
  EXPECT_TRUE(TakeAnswer("-" + Word(msg::kWordKeep), answer));
  EXPECT_EQ(answer, Upper(Word(msg::kWordKeep)));
  EXPECT_TRUE(AnswerIsKeep(*answer));
  EXPECT_FALSE(AnswerIsYes(*answer));
  EXPECT_FALSE(TakeAnswer("-" + Word(msg::kWordYes), answer));
  EXPECT_EQ(answer, Upper(Word(msg::kWordKeep)));
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_TRUE(host_.Saw(Upper(Word(msg::kWordKeep))));
  EXPECT_TRUE(host_.Saw(Upper(Word(msg::kWordYes))));

  EXPECT_TRUE(AnswerIsYes(Upper(Word(msg::kWordYes))));
  EXPECT_TRUE(AnswerIsYes(Word(msg::kWordYes).substr(0, 1)));
  EXPECT_FALSE(AnswerIsYes(Word(msg::kWordNo)));
  EXPECT_FALSE(AnswerIsYes(""));
}

TEST_F(CommandLineTest, QuotedLabelRunsOverArgumentsJoinedWithBlanks) {
  const std::vector<std::string> args = {"tget", "'release", "two", "final'", "file.c"};
  ArgumentCursor cursor(args);
  ASSERT_EQ(cursor.Current(), "'release");
  const std::optional<std::string> label = ReadQuotedText(cursor);
  EXPECT_EQ(label, "release two final");
  EXPECT_EQ(cursor.Index(), 3u);
  cursor.Next();
  EXPECT_EQ(cursor.Current(), "file.c");

  const std::vector<std::string> one = {"tget", "'one word'", "plain", "'", "x'", "''"};
  ArgumentCursor c1(one);
  EXPECT_EQ(ReadQuotedText(c1), "one word");
  c1.Next();
  EXPECT_EQ(ReadQuotedText(c1), "plain");
  c1.Next();
  // A lone apostrophe opens the text; the next argument closes it.
  EXPECT_EQ(ReadQuotedText(c1), " x");
  c1.Next();
  EXPECT_EQ(ReadQuotedText(c1), "");
  EXPECT_TRUE(host_.messages().empty()) << host_.All();
}

TEST_F(CommandLineTest, UnterminatedOrLongLabelsAreRefused) {
  const std::vector<std::string> open = {"tget", "'never", "closed"};
  ArgumentCursor cursor(open);
  EXPECT_FALSE(ReadQuotedText(cursor));
  EXPECT_EQ(cursor.Index(), 1u);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kQuoteNotClosed));

  host_.Clear();
  const std::string longest(79, 'L');
  const std::vector<std::string> lengths = {"tget",
                                            longest,
                                            longest + "L",
                                            "'" + longest + "'",
                                            "'" + std::string(40, 'a'),
                                            std::string(39, 'b') + "'"};
  ArgumentCursor c2(lengths);
  EXPECT_EQ(ReadQuotedText(c2), longest);
  c2.Next();
  EXPECT_FALSE(ReadQuotedText(c2));
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kLabelTooLong, 79));
  c2.Next();
  EXPECT_EQ(ReadQuotedText(c2), longest);
  c2.Next();
  // 40 + blank + 39 = 80 characters once joined.
  EXPECT_FALSE(ReadQuotedText(c2));
  EXPECT_EQ(c2.Index(), 4u);
}

TEST_F(CommandLineTest, RevisionArgumentsMustNameOneExactRevision) {
  const std::optional<tarnCommandRevDesc> trunk = ParseSingleRevisionArgument("1.2");
  ASSERT_TRUE(trunk);
  EXPECT_EQ(trunk->iElementCount, 1);
  EXPECT_EQ(trunk->elements[0].iMajor, 1);
  EXPECT_EQ(trunk->elements[0].iMinor, 2);

  // A branch names its newest revision: accepted, minor asks for the newest.
  const std::optional<tarnCommandRevDesc> branch = ParseSingleRevisionArgument("1.2.1");
  ASSERT_TRUE(branch);
  EXPECT_EQ(branch->iElementCount, 2);
  EXPECT_EQ(branch->elements[1].iMinorFlag, kMatchNewest);
  EXPECT_TRUE(host_.messages().empty()) << host_.All();

  struct Case {
    std::string text;
    int message;
  };
  std::string deep = "1.1";
  for (int i = 1; i < 21; ++i) deep += ".1.1";
  const std::vector<Case> cases = {
      {"*", 132},    {"1.*", 132},     {"1.2.*", 132}, {"1.x", 131},
      {"1*.2", 131}, {"1.2:1.4", 178}, {deep, 148},
  };
  for (const Case& c : cases) {
    host_.Clear();
    EXPECT_FALSE(ParseSingleRevisionArgument(c.text)) << c.text;
    ASSERT_EQ(host_.messages().size(), 1u) << c.text << host_.All();
    EXPECT_EQ(host_.messages()[0].kind, kAlert);
    // Every one of these names the argument, except 148 (the limit).
    const MessageArg argument = c.message == 148 ? MessageArg(20) : MessageArg(c.text);
    const MessageId id{c.message, c.message == 148 ? "d" : "s"};
    EXPECT_EQ(host_.messages()[0].text, FormatMessageArgs(id, {&argument, 1})) << c.text;
  }
}

TEST_F(CommandLineTest, OptionEchoWritesTheSixFormats) {
  ScopedProgramLabel label("tget");
  OptionEcho echo;
  echo.Flag(msg::kOptionLock)
      .Revision(msg::kOptionRevision, "1.2.1.3")
      .Value(msg::kOptionOutput, "/w/out.c")
      .QuotedLabel(msg::kOptionLabel, "REL 1")
      .Attribute(kAttrExpandKeywords, true)
      .Attribute(kAttrProtectWorkFile, false)
      .FileName("main.c");
  const std::string expected =
      "tget -" + Word(msg::kOptionLock) + " -" + Word(msg::kOptionRevision) + " 1.2.1.3 -" +
      Word(msg::kOptionOutput) + " /w/out.c -" + Word(msg::kOptionLabel) + " \"REL 1\" -" +
      Word(msg::kOptionSet) + " " + Word(msg::kWordExpandKeywords) + "=" + Word(msg::kWordYes) +
      " -" + Word(msg::kOptionSet) + " " + Word(msg::kWordProtectWorkFile) + "=" +
      Word(msg::kWordNo) + " main.c";
  EXPECT_EQ(echo.Text(), expected);
}

TEST_F(CommandLineTest, EchoListsAttributesInTheFixedOrder) {
  ScopedProgramLabel label("tput");
  OptionEcho echo;
  // Compression (0x80) comes before JournalFile (0x40); bits not named stay out.
  echo.Attributes(0xC1, 0x80);
  const std::string set = " -" + Word(msg::kOptionSet) + " ";
  EXPECT_EQ(echo.Text(), "tput" + set + Word(msg::kWordCheckLock) + "=" + Word(msg::kWordNo) + set +
                             Word(msg::kWordCompression) + "=" + Word(msg::kWordYes) + set +
                             Word(msg::kWordJournalFile) + "=" + Word(msg::kWordNo));
}

TEST_F(CommandLineTest, CursorHandsOutOptionValues) {
  const std::vector<std::string> args = {"tlock", "-rev", "1.2", "-rev"};
  ArgumentCursor cursor(args);
  EXPECT_EQ(cursor.Current(), "-rev");
  const std::string* value = cursor.TakeValue();
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(*value, "1.2");
  cursor.Next();
  EXPECT_FALSE(cursor.HasValue());
  EXPECT_EQ(cursor.TakeValue(), nullptr);
  EXPECT_EQ(cursor.Index(), 3u);
  cursor.Next();
  EXPECT_TRUE(cursor.AtEnd());
}

}  // namespace
}  // namespace tarn
