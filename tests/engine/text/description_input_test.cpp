#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "engine/text/description_reader.h"
#include "engine/text/description_text.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

TEST(NormaliseDescription, WhiteSpaceBecomesBlanks) {
  EXPECT_EQ(NormaliseDescription("a\tb\rc\vd\fe"), "a b c d e");
  EXPECT_EQ(NormaliseDescription("line one\nline two"), "line one\nline two");
  EXPECT_EQ(NormaliseDescription(""), "");
}

TEST(NormaliseDescription, LongLinesBreakAtTheLastBlankBefore70) {
  // Ten words of 9 letters and a blank: the 71st character falls in word 8.
  std::string text;
  for (int i = 0; i < 10; ++i) text += std::string(9, static_cast<char>('a' + i)) + " ";
  text.pop_back();
  const std::string result = NormaliseDescription(text);
  const std::size_t first_break = result.find('\n');
  ASSERT_NE(first_break, std::string::npos);
  EXPECT_EQ(first_break, 69u);  // after seven words of ten characters, its blank replaced
  EXPECT_EQ(result.substr(0, 9), "aaaaaaaaa");
  EXPECT_EQ(result.substr(70, 9), "hhhhhhhhh");
  for (const std::size_t line_length : {first_break, result.size() - first_break - 1}) {
    EXPECT_LE(line_length, 70u);
  }
  // Nothing but the break differs from the input.
  std::string rejoined = result;
  rejoined[first_break] = ' ';
  EXPECT_EQ(rejoined, text);
}

TEST(NormaliseDescription, LineOfExactly70StaysWhole) {
  const std::string line = std::string(30, 'x') + " " + std::string(39, 'y');
  ASSERT_EQ(line.size(), 70u);
  EXPECT_EQ(NormaliseDescription(line), line);
  EXPECT_EQ(NormaliseDescription(line + "z"),
            std::string(30, 'x') + "\n" + std::string(40, 'y').replace(39, 1, "z"));
}

TEST(NormaliseDescription, WordLongerThanALineStaysLong) {
  const std::string word(100, 'w');
  EXPECT_EQ(NormaliseDescription(word), word);
  EXPECT_EQ(NormaliseDescription("ab " + word), "ab\n" + word);
}

// Feeds a fixed sequence of characters and records the echo.
class ScriptedConsole final : public DescriptionConsole {
 public:
  explicit ScriptedConsole(std::string input, bool end_with_eof = true)
      : input_(input.begin(), input.end()), end_with_eof_(end_with_eof) {}
  int ReadCharacter() override {
    if (input_.empty()) {
      EXPECT_TRUE(end_with_eof_) << "the reader asked for more than the script holds";
      return -1;
    }
    const int c = static_cast<unsigned char>(input_.front());
    input_.pop_front();
    return c;
  }
  void Echo(std::string_view text) override { echo_ += text; }
  const std::string& echo() const { return echo_; }
  std::size_t left() const { return input_.size(); }

 private:
  std::deque<char> input_;
  bool end_with_eof_;
  std::string echo_;
};

class DescriptionReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }
  testing::RecordingHost host_;
};

TEST_F(DescriptionReaderTest, LinesEndAtEnterAndTheTextAtEndOfInput) {
  ScriptedConsole console("first line\rsecond\n");
  EXPECT_EQ(ReadDescription(console), "first line\nsecond");
  EXPECT_EQ(host_.messages().size(), 1u);  // the prompt
  EXPECT_EQ(console.echo(), "first line\n:second\n:");
}

TEST_F(DescriptionReaderTest, CrLfCountsAsOneLineEnd) {
  ScriptedConsole console("a\r\nb\r\n");
  EXPECT_EQ(ReadDescription(console), "a\nb");
}

TEST_F(DescriptionReaderTest, CtrlAEndsTheTextAndLeavesTheRestUnread) {
  ScriptedConsole console("done\x01never read", false);
  EXPECT_EQ(ReadDescription(console), "done");
  EXPECT_EQ(console.left(), 10u);
}

TEST_F(DescriptionReaderTest, EscapeAbandons) {
  ScriptedConsole console("typed\x1bmore", false);
  EXPECT_EQ(ReadDescription(console), std::nullopt);
}

TEST_F(DescriptionReaderTest, BackspaceEditsOnlyTheCurrentLine) {
  ScriptedConsole console("ab\bc\n\b\x7fxy\x7f");
  EXPECT_EQ(ReadDescription(console), "ac\nx");
  // Backspace at the start of the second line rings the bell twice.
  EXPECT_NE(console.echo().find("\n:\a\a"), std::string::npos);
}

TEST_F(DescriptionReaderTest, ControlCharactersRingTheBellAndAreDropped) {
  ScriptedConsole console(
      "a\tb\x02"
      "c");
  EXPECT_EQ(ReadDescription(console), "abc");
  EXPECT_EQ(console.echo(), "a\ab\ac");
}

TEST_F(DescriptionReaderTest, SingleLineEndIsKept) {
  ScriptedConsole console("\n");
  EXPECT_EQ(ReadDescription(console), "\n");
  ScriptedConsole empty("");
  EXPECT_EQ(ReadDescription(empty), "");
}

TEST_F(DescriptionReaderTest, FullLineWrapsItsLastWord) {
  const std::string first = std::string(60, 'a') + " " + std::string(9, 'b');  // 70 characters
  ScriptedConsole console(first + "cd");
  EXPECT_EQ(ReadDescription(console), std::string(60, 'a') + "\n" + std::string(9, 'b') + "cd");
  // The word is erased on screen and shown again behind the new prompt.
  const std::string erase = [] {
    std::string e;
    for (int i = 0; i < 9; ++i) e += "\b \b";
    return e;
  }();
  EXPECT_EQ(console.echo(), first + erase + "\n:" + std::string(9, 'b') + "cd");
}

TEST_F(DescriptionReaderTest, BlankAtAFullLineBecomesTheBreak) {
  ScriptedConsole console(std::string(70, 'a') + " b");
  EXPECT_EQ(ReadDescription(console), std::string(70, 'a') + "\nb");
}

TEST_F(DescriptionReaderTest, FullLineWithoutBlankBreaksWhereItIs) {
  ScriptedConsole console(std::string(75, 'z'));
  EXPECT_EQ(ReadDescription(console), std::string(70, 'z') + "\n" + std::string(5, 'z'));
}

// A typed header value ends at the end of input like a description, but an
// end before anything was typed abandons it: reading from /dev/null must not
// turn "show me the value" into "erase it".
TEST_F(DescriptionReaderTest, TypedValueEndingBeforeAnythingWasTypedIsAbandoned) {
  const struct {
    std::string input;
    bool end_with_eof;
    std::optional<std::string> value;
  } cases[] = {
      {"", true, std::nullopt},            // end of input at once
      {"ab\b\b", true, std::nullopt},      // typed, then erased again
      {"\x01", false, ""},                 // Ctrl-A at once: an explicit empty value
      {"new value", true, "new value"},    // typed, then end of input
      {"x\x1bmore", false, std::nullopt},  // Escape, as ever
  };
  for (const auto& c : cases) {
    ScriptedConsole console(c.input, c.end_with_eof);
    EXPECT_EQ(ReadTypedValue(console), c.value) << c.input;
  }
}

}  // namespace
}  // namespace tarn
