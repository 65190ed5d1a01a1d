// Telling UTF-8 text from other bytes, at the edges of every sequence length.
#include "engine/support/utf8_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarn {
namespace {

struct Utf8Case {
  std::string bytes;
  bool text;
  const char* why;
};

TEST(Utf8Text, AcceptsWellFormedTextAndRefusesEverythingElse) {
  const std::vector<Utf8Case> cases = {
      {"", true, "empty"},
      {"plain.c", true, "ASCII"},
      {"gr\xC3\xBC\xC3\x9F.c", true, "two-byte letters"},
      {"\xE2\x82\xAC", true, "three bytes (euro sign)"},
      {"\xF0\x9F\x98\x80", true, "four bytes"},
      {"\xEF\xBF\xBF", true, "U+FFFF"},
      {"\xF4\x8F\xBF\xBF", true, "U+10FFFF, the last code point"},
      {"\x7F", true, "DEL is ASCII"},
      {"\xFF.c", false, "a byte that never occurs"},
      {"\x80", false, "a continuation byte alone"},
      {"a\xC3", false, "cut short at the end"},
      {"\xE2\x82", false, "three-byte sequence cut short"},
      {"\xE2\x28\xA1", false, "a second byte that is no continuation"},
      {"\xC0\xAF", false, "overlong two bytes"},
      {"\xC1\xBF", false, "overlong two bytes, highest"},
      {"\xE0\x80\xAF", false, "overlong three bytes"},
      {"\xF0\x80\x80\xAF", false, "overlong four bytes"},
      {"\xED\xA0\x80", false, "a surrogate"},
      {"\xF4\x90\x80\x80", false, "above U+10FFFF"},
      {"\xF5\x80\x80\x80", false, "a lead byte past the range"},
      {"ok\xE2\x82\xACthen\xFF", false, "bad byte after good text"},
  };
  for (const Utf8Case& c : cases) EXPECT_EQ(IsUtf8Text(c.bytes), c.text) << c.why;
}

}  // namespace
}  // namespace tarn
