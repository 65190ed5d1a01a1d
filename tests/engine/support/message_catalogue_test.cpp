// The catalogue loader and the lookups, on catalogue files written here.
#include "engine/support/message_catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

constexpr std::string_view kUndefined = "Message not defined!!";
constexpr std::string_view kTooLarge = "Message ID too large";

class MessageCatalogue : public ::testing::Test {
 protected:
  ~MessageCatalogue() override { FreeMessages(); }

  // Writes `body` (everything after the banner line) as a catalogue file and
  // loads it; the loader's complaints are kept in warnings_.
  int Load(std::string_view body) {
    return LoadRaw(std::string(kCatalogueBanner) + "\n" + std::string(body));
  }

  int LoadRaw(std::string_view content) {
    testing::WriteText(dir_.File("cat"), content);
    CaptureStderr();
    const int result = LoadMessageFile("loader-test", "cat", dir_.path().string());
    warnings_ = GetCapturedStderr();
    return result;
  }

  static std::string Text(int number) { return MessageText(number); }

  testing::TempDir dir_;
  std::string warnings_;
};

TEST_F(MessageCatalogue, BannerMayEndInCarriageReturnAndLineFeed) {
  ASSERT_EQ(LoadRaw(std::string(kCatalogueBanner) + "\r\n10\r\n3,,<three>\r\n"), 1);
  EXPECT_EQ(Text(3), "three");
  EXPECT_EQ(warnings_, "");
}

TEST_F(MessageCatalogue, BannerMustMatchLetterForLetter) {
  EXPECT_EQ(LoadRaw(std::string(kCatalogueBanner) + " \r\n10\n3,,<three>\n"), -1);
  EXPECT_NE(warnings_.find("loader-test -- missing copyright as first line of message file\n" +
                           std::string(kCatalogueBanner)),
            std::string::npos)
      << warnings_;
  std::string other(kCatalogueBanner);
  other[0] = static_cast<char>(other[0] ^ 0x20);  // the same banner in another letter case
  EXPECT_EQ(LoadRaw(other + "\n10\n"), -1);
}

TEST_F(MessageCatalogue, FatalProblemsOfTheFileItself) {
  CaptureStderr();
  EXPECT_EQ(LoadMessageFile("p", "absent", dir_.path().string()), -1);
  EXPECT_EQ(GetCapturedStderr(),
            "p -- failed to open message file: '" + dir_.File("absent") + "'\n");

  EXPECT_EQ(LoadRaw(""), -1);
  EXPECT_NE(warnings_.find("failed to read 1st line"), std::string::npos) << warnings_;

  EXPECT_EQ(LoadRaw(std::string(kCatalogueBanner) + "\n"), -1);
  EXPECT_EQ(warnings_, "loader-test -- missing 2nd line in message file!\n");

  EXPECT_EQ(Load("many\n5,,<five>\n"), -1);
  EXPECT_EQ(warnings_, "loader-test -- failed to deduce maximum message number!\n");

  EXPECT_EQ(Load("-3\n"), -1);
  EXPECT_EQ(warnings_, "loader-test -- failed to deduce maximum message number!\n");

  // A number that would need an absurd array is refused, not allocated.
  EXPECT_EQ(Load("2000000000\n"), -1);
  EXPECT_EQ(warnings_, "loader-test -- failed to allocate memory for message array!\n");
}

TEST_F(MessageCatalogue, DirectoryWithOrWithoutTrailingSeparator) {
  testing::WriteText(dir_.File("c2"), std::string(kCatalogueBanner) + "\n5\n4,,<four>\n");
  ASSERT_EQ(LoadMessageFile("p", "c2", dir_.path().string() + "/"), 1);
  EXPECT_EQ(Text(4), "four");
  FreeMessages();
  ASSERT_EQ(LoadMessageFile("p", "c2", dir_.path().string()), 1);
  EXPECT_EQ(Text(4), "four");
}

TEST_F(MessageCatalogue, MaximumOfOneReadsNoMessageLine) {
  ASSERT_EQ(Load("1\n1,,<one>\n"), 1);
  EXPECT_EQ(MaxMessageNumber(), 1);
  EXPECT_EQ(Text(1), kUndefined);
  EXPECT_EQ(Text(2), kTooLarge);
}

TEST_F(MessageCatalogue, MaximumOfZeroMakesEveryMessageTooLarge) {
  ASSERT_EQ(Load("0\n1,,<one>\n"), 1);
  EXPECT_EQ(Text(0), kUndefined);
  EXPECT_EQ(Text(1), kTooLarge);
  EXPECT_EQ(Text(-1), kTooLarge);
}

TEST_F(MessageCatalogue, UnnumberedLinesFollowThePreviousNumber) {
  ASSERT_EQ(Load("20\n,,<first>\n5,,<five>\n,,<six>\n ,x,<seven>\n"), 1);
  EXPECT_EQ(Text(1), kUndefined);
  EXPECT_EQ(Text(2), "first");  // counting starts at 1
  EXPECT_EQ(Text(5), "five");
  EXPECT_EQ(Text(6), "six");
  EXPECT_EQ(Text(7), "seven");  // the field between the commas is not read
  EXPECT_EQ(warnings_, "");
}

TEST_F(MessageCatalogue, UnnumberedLinesStopAtTheMaximum) {
  ASSERT_EQ(Load("4\n3,,<three>\n,,<four>\n"), 1);
  EXPECT_EQ(Text(4), "four");
  EXPECT_EQ(Text(5), kTooLarge);
}

TEST_F(MessageCatalogue, ReadingStopsAtTheLineThatDefinesTheMaximum) {
  ASSERT_EQ(Load("10\n4,,<four>\n10,,<ten>\n3,,<three>\n"), 1);
  EXPECT_EQ(Text(4), "four");
  EXPECT_EQ(Text(10), "ten");
  EXPECT_EQ(Text(3), kUndefined);
}

TEST_F(MessageCatalogue, LaterLineForTheSameNumberReplacesTheText) {
  ASSERT_EQ(Load("10\n4,,<old>\n4,,<new>\n"), 1);
  EXPECT_EQ(Text(4), "new");
}

TEST_F(MessageCatalogue, CommentsAndLinesWithoutCommaAreSkippedSilently) {
  ASSERT_EQ(Load("10\n; 4,,<comment>\nno comma here\n\n4,,<four>\n"), 1);
  EXPECT_EQ(Text(4), "four");
  EXPECT_EQ(warnings_, "");
}

TEST_F(MessageCatalogue, TextRunsFromTheFirstOpeningToTheLastClosingBracket) {
  ASSERT_EQ(Load("10\n7,,<a <b> c> tail\n8,x<y>,<z>\n"), 1);
  EXPECT_EQ(Text(7), "a <b> c");
  EXPECT_EQ(Text(8), "z");  // the text starts after the second comma
}

TEST_F(MessageCatalogue, MalformedLinesAreReportedWithTheirLineNumbers) {
  // Line 3 is the first message line; comments count as lines.
  ASSERT_EQ(Load("10\n; comment\n4,<four>\n5,,no bracket\n6,,<open\n99,,<big>\n7,,<seven>\n"), 1);
  EXPECT_EQ(warnings_,
            "loader-test -- invalid line format at line 4\n"
            "loader-test -- invalid message format for message 5 at line 5\n"
            "loader-test -- no message string for message 6 at line 6\n"
            "loader-test -- Message number too large at line 7\n");
  EXPECT_EQ(Text(4), kUndefined);
  EXPECT_EQ(Text(5), kUndefined);
  EXPECT_EQ(Text(6), kUndefined);
  EXPECT_EQ(Text(7), "seven");
}

TEST_F(MessageCatalogue, NumberTooLargeLeavesTheCurrentNumber) {
  ASSERT_EQ(Load("10\n4,,<four>\n11,,<eleven>\n,,<five>\n"), 1);
  EXPECT_EQ(Text(5), "five");
}

TEST_F(MessageCatalogue, NegativeNumberNamesNoEntry) {
  ASSERT_EQ(Load("10\n4,,<four>\n-2,,<minus>\n,,<five>\n"), 1);
  EXPECT_NE(warnings_.find("invalid line format at line 4"), std::string::npos) << warnings_;
  EXPECT_EQ(Text(5), "five");
  EXPECT_EQ(Text(4), "four");
}

TEST_F(MessageCatalogue, LongTextIsStoredWholeWithAWarning) {
  const std::string long_text(300, 'x');
  ASSERT_EQ(Load("10\n4,,<" + long_text + ">\n5,,<" + std::string(255, 'y') + ">\n"), 1);
  EXPECT_EQ(Text(4), long_text);
  EXPECT_EQ(Text(5), std::string(255, 'y'));
  EXPECT_EQ(warnings_, "loader-test -- message may be too long for message 4 at line 3\n");
}

TEST_F(MessageCatalogue, EscapesBecomeABlankAndTheirControlCharacter) {
  ASSERT_EQ(Load("10\n"
                 "1,,<line\\nnext>\n"
                 "2,,<\\a\\b\\f\\r\\t\\v\\q\\\\>\n"
                 "3,,<ends in\\>\n"
                 "4,,<\\>\n"),
            1);
  EXPECT_EQ(Text(1), "line \nnext");
  EXPECT_EQ(Text(1), "line \nnext");  // converted once only
  EXPECT_EQ(Text(2), std::string(" \a \b \f \r \t \v q \\"));
  EXPECT_EQ(Text(3), "ends in ");
  EXPECT_EQ(Text(4), " ");
}

TEST_F(MessageCatalogue, ReloadingReplacesTheWholeCatalogue) {
  ASSERT_EQ(Load("10\n4,,<four>\n"), 1);
  ASSERT_EQ(Load("5\n3,,<three>\n"), 1);
  EXPECT_EQ(Text(4), kUndefined);
  EXPECT_EQ(Text(3), "three");
  EXPECT_EQ(MaxMessageNumber(), 5);
  FreeMessages();
  EXPECT_EQ(MaxMessageNumber(), -1);
  EXPECT_EQ(Text(3), kTooLarge);
}

TEST_F(MessageCatalogue, ListFieldCountsOnlyNamesThatAreThere) {
  ASSERT_EQ(Load("30\n26,,<somebody>\n"), 1);
  EXPECT_EQ(ListField("anna,bert", 0), "anna");
  EXPECT_EQ(ListField("anna,bert", 1), "bert");
  EXPECT_EQ(ListField("anna,bert", 5), "somebody");
  EXPECT_EQ(ListField("anna,bert", 2), "somebody");
  EXPECT_EQ(ListField("anna,bert", -1), "somebody");
  EXPECT_EQ(ListField("", 0), "somebody");
  // Empty fields are not counted, as user indexes in logfiles do not count them.
  EXPECT_EQ(ListField(",anna,,bert,", 0), "anna");
  EXPECT_EQ(ListField(",anna,,bert,", 1), "bert");
  EXPECT_EQ(ListField(",anna,,bert,", 2), "somebody");
  // Blanks belong to the name.
  EXPECT_EQ(ListField("anna, bert", 1), " bert");
}

TEST_F(MessageCatalogue, EqualsWordIgnoresLetterCaseOnly) {
  ASSERT_EQ(Load("30\n29,,<Yes>\n"), 1);
  EXPECT_TRUE(EqualsWord("yes", 29));
  EXPECT_TRUE(EqualsWord("YES", 29));
  EXPECT_FALSE(EqualsWord("ye", 29));
  EXPECT_FALSE(EqualsWord("yes ", 29));
  EXPECT_FALSE(EqualsWord("", 29));
}

}  // namespace
}  // namespace tarn
