#include "engine/support/message_format.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace tarn {
namespace {

std::string Format(std::string_view format, std::vector<MessageArg> args) {
  return FormatWithArgs(format, args);
}

TEST(MessageFormat, RendersOrdinaryConversions) {
  EXPECT_EQ(Format("%s: read failed (%s, line %d)", {"tget", "header_io", 42}),
            "tget: read failed (header_io, line 42)");
  EXPECT_EQ(Format("%u~%lu %x %X %o %c %%", {7u, 8ul, 255, 255, 8, 65}), "7~8 ff FF 10 A %");
  EXPECT_EQ(Format("[%5s|%-5s|%.2s|%05d|%+d]", {"ab", "cd", "xyz", -42, 3}),
            "[   ab|cd   |xy|-0042|+3]");
}

TEST(MessageFormat, MismatchedConversionsRenderTheArgumentThatIsThere) {
  // A number where text goes and text where a number goes print as themselves.
  EXPECT_EQ(Format("%s and %d", {12, "word"}), "12 and word");
  // Conversions beyond the arguments print nothing; they never read memory.
  EXPECT_EQ(Format("%s %s %d %s", {"one"}), "one   ");
}

TEST(MessageFormat, DangerousConversionsAreCopiedLiterally) {
  EXPECT_EQ(Format("a%nb", {"x"}), "a%nb");
  EXPECT_EQ(Format("%p %f %e %g %hn", {1, 2}), "%p %f %e %g %hn");
  EXPECT_EQ(Format("%*d|%.*s", {5, "abc"}), "5|abc");
  EXPECT_EQ(Format("trailing %", {}), "trailing %");
}

TEST(MessageFormat, HugeWidthsAndLongResultsAreBounded) {
  const std::string out = Format("%999999999s", {"x"});
  EXPECT_LE(out.size(), 511u);
  EXPECT_EQ(Format("%s", {std::string(2000, 'a')}).size(), 511u);
  EXPECT_EQ(FormatWithArgs("%s%s", std::vector<MessageArg>{"ab", "cd"}, 3), "abc");
}

TEST(MessageFormat, ConversionLettersClassifyEachConversion) {
  EXPECT_EQ(ConversionLetters("%s: %d of '%s' %lu %x %c %% %n %f"), "sdsuuc!!");
  EXPECT_EQ(ConversionLetters("no conversions"), "");
}

TEST(MessageFormat, ExtremeValuesAndSignednessSurviveAnyConversion) {
  EXPECT_EQ(Format("%d", {std::numeric_limits<long long>::min()}), "-9223372036854775808");
  EXPECT_EQ(Format("%u", {std::numeric_limits<unsigned long long>::max()}), "18446744073709551615");
  // A negative number shown with an unsigned conversion keeps its sign
  // instead of wrapping round to a huge value.
  EXPECT_EQ(Format("%u %x", {-1, -255}), "-1 -ff");
  EXPECT_EQ(Format("%#x %#X %#x", {255, 255, 0}), "0xff 0XFF 0");
  EXPECT_EQ(Format("%.0d|%.3d|%-4d|", {0, 7, 5}), "|007|5   |");
  // Text where %c stands prints as text; a number prints as its character.
  EXPECT_EQ(Format("%c%c", {"word", 0x41}), "wordA");
}

TEST(MessageFormat, MalformedConversionsNeverConsumeArguments) {
  // An unfinished conversion at the end, a length modifier without a letter
  // and an unknown letter are copied as they stand.
  EXPECT_EQ(Format("%s %l", {"a", "b"}), "a %l");
  EXPECT_EQ(Format("%k%s", {"a"}), "%ka");
  EXPECT_EQ(Format("%-", {"a"}), "%-");
  EXPECT_EQ(Format("100%% %5%|", {}), "100% %|");
  EXPECT_EQ(Format("%ls|%lld|%hhu", {"t", -3, 4u}), "t|-3|4");
  // Extra arguments are ignored.
  EXPECT_EQ(Format("%s", {"a", "b", 3}), "a");
}

TEST(MessageFormat, TextIsCopiedByteForByte) {
  const std::string with_nul("a\0b", 3);
  EXPECT_EQ(Format("[%s]", {with_nul}), "[" + with_nul + "]");
  const std::string format_with_nul("%s\0%d", 5);
  EXPECT_EQ(FormatWithArgs(format_with_nul, std::vector<MessageArg>{"x", 4}), std::string("x\0"
                                                                                          "4",
                                                                                          3));
  EXPECT_EQ(Format("%s", {"%s %n %d"}), "%s %n %d");  // arguments are never formats
}

TEST(MessageFormat, ManyWideConversionsStayWithinTheLimit) {
  std::string format;
  for (int i = 0; i < 40; ++i) format += "%500d";
  std::vector<MessageArg> args(40, MessageArg(1));
  EXPECT_EQ(FormatWithArgs(format, args).size(), 511u);
  EXPECT_EQ(FormatWithArgs("%.999999999999s", std::vector<MessageArg>{std::string(600, 'z')}),
            std::string(511, 'z'));
  EXPECT_EQ(FormatWithArgs("abc", {}, 0), "");
}

}  // namespace
}  // namespace tarn
