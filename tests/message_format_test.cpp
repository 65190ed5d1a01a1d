#include "engine/message_format.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarn
