// Property tests of the comparison: over many generated pairs of texts,
// applying the delta to the source gives the target byte for byte, and an
// empty result means the texts differ at most in a final separator.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/diff/line_diff.h"
#include "engine/format/delta_format.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using Lines = std::vector<std::string>;

std::span<const std::uint8_t> View(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string Completed(std::string text, char separator) {
  if (!text.empty() && text.back() != separator) text.push_back(separator);
  return text;
}

class RoundTrip : public ::testing::Test {
 protected:
  void Check(const std::string& source, const std::string& target, char separator = '\n') {
    ByteBuffer delta;
    const int result =
        CompareBuffers(View(source), View(target), static_cast<std::uint8_t>(separator), delta);
    host_.Clear();
    ASSERT_GE(result, 0);
    if (result == 0) {
      EXPECT_TRUE(delta.empty());
      EXPECT_EQ(Completed(source, separator), Completed(target, separator))
          << "equal result for texts that differ\nsource:\n"
          << source << "\ntarget:\n"
          << target;
      ++equal_;
      return;
    }
    EXPECT_NE(Completed(source, separator), Completed(target, separator));
    ByteBuffer rebuilt;
    ASSERT_EQ(ApplyDelta(View(source), delta, rebuilt), 1) << "source:\n"
                                                           << source << "\ntarget:\n"
                                                           << target;
    EXPECT_EQ(std::string(rebuilt.begin(), rebuilt.end()), target) << "source:\n"
                                                                   << source << "\ntarget:\n"
                                                                   << target;
    ++differ_;
  }

  testing::RecordingHost host_;
  int equal_ = 0;
  int differ_ = 0;
};

std::string Join(const Lines& lines, const std::string& end, bool final_end) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out += lines[i];
    if (i + 1 < lines.size() || final_end) out += end;
  }
  return out;
}

Lines RandomLines(std::mt19937& random, std::size_t count, std::size_t vocabulary) {
  Lines lines;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t word = random() % vocabulary;
    std::string line = "line " + std::to_string(word);
    if (word % 7 == 0) line.clear();                  // empty lines
    if (word % 5 == 0) line += std::string(30, 'x');  // long lines
    lines.push_back(line);
  }
  return lines;
}

// Edits: change, insert, delete, move a block, repeat a line.
Lines Edit(std::mt19937& random, Lines lines, std::size_t vocabulary) {
  const int edits = static_cast<int>(random() % 8);
  for (int e = 0; e < edits; ++e) {
    const std::size_t at = lines.empty() ? 0 : random() % (lines.size() + 1);
    switch (random() % 6) {
      case 0:
        if (at < lines.size()) {
          std::string& line = lines[at];
          if (!line.empty()) line[random() % line.size()] = static_cast<char>('A' + random() % 26);
        }
        break;
      case 1:
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at),
                     "new " + std::to_string(random() % vocabulary));
        break;
      case 2:
        if (at < lines.size()) {
          const std::size_t count = std::min<std::size_t>(lines.size() - at, 1 + random() % 4);
          lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at),
                      lines.begin() + static_cast<std::ptrdiff_t>(at + count));
        }
        break;
      case 3:
        if (lines.size() > 4) {
          const std::size_t from = random() % (lines.size() - 3);
          const Lines block(lines.begin() + static_cast<std::ptrdiff_t>(from),
                            lines.begin() + static_cast<std::ptrdiff_t>(from + 3));
          lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(from),
                      lines.begin() + static_cast<std::ptrdiff_t>(from + 3));
          const std::size_t to = random() % (lines.size() + 1);
          lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(to), block.begin(), block.end());
        }
        break;
      case 4:
        if (at < lines.size()) {
          lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), 1 + random() % 8,
                       lines[at]);
        }
        break;
      default:
        if (!lines.empty()) lines.pop_back();
        break;
    }
  }
  return lines;
}

TEST_F(RoundTrip, EditedTexts) {
  std::mt19937 random(1);
  for (int round = 0; round < 4000; ++round) {
    const std::size_t vocabulary = 2 + random() % 40;
    const Lines before = RandomLines(random, random() % 60, vocabulary);
    const Lines after = Edit(random, before, vocabulary);
    const std::string end = random() % 4 == 0 ? "\r\n" : "\n";
    const bool source_end = random() % 3 != 0;
    const bool target_end = random() % 3 != 0;
    Check(Join(before, end, source_end), Join(after, end, target_end));
    if (HasFatalFailure() || HasFailure()) return;
  }
  EXPECT_GT(differ_, 3000);
  EXPECT_GT(equal_, 20);
}

TEST_F(RoundTrip, UnrelatedTexts) {
  std::mt19937 random(2);
  for (int round = 0; round < 1500; ++round) {
    const std::size_t vocabulary = 1 + random() % 6;
    const Lines a = RandomLines(random, random() % 40, vocabulary);
    const Lines b = RandomLines(random, random() % 40, vocabulary);
    Check(Join(a, "\n", random() % 2 == 0), Join(b, "\n", random() % 2 == 0));
    if (HasFailure()) return;
  }
}

TEST_F(RoundTrip, MissingFinalSeparatorEverywhere) {
  // Every pair of short texts over a tiny alphabet of lines, each with and
  // without its final separator: covers every way the last lines can pair.
  const Lines pool[] = {{},         {"a"},      {"b"},           {"a", "b"},
                        {"b", "a"}, {"a", "a"}, {"a", "b", "c"}, {"c", "a"},
                        {""},       {"", ""},   {"a", ""},       {"", "a"}};
  for (const Lines& s : pool) {
    for (const Lines& t : pool) {
      for (int ends = 0; ends < 4; ++ends) {
        Check(Join(s, "\n", (ends & 1) != 0), Join(t, "\n", (ends & 2) != 0));
        if (HasFailure()) return;
      }
    }
  }
}

TEST_F(RoundTrip, BinaryDataWithAChosenSeparator) {
  std::mt19937 random(3);
  for (int round = 0; round < 1500; ++round) {
    const char separator = static_cast<char>(random() % 256);
    std::string source(random() % 400, '\0');
    for (char& c : source) c = static_cast<char>(random() % (random() % 2 == 0 ? 4 : 256));
    std::string target = source;
    const int edits = static_cast<int>(random() % 6);
    for (int e = 0; e < edits && !target.empty(); ++e) {
      const std::size_t at = random() % target.size();
      switch (random() % 3) {
        case 0:
          target[at] = static_cast<char>(random());
          break;
        case 1:
          target.insert(at, std::string(random() % 30, separator));
          break;
        default:
          target.erase(at, random() % 40);
          break;
      }
    }
    Check(source, target, separator);
    if (HasFailure()) return;
  }
}

TEST_F(RoundTrip, EmptyTexts) {
  Check("", "");
  Check("", "x");
  Check("x", "");
  Check("", "\n");
  Check("\n", "");
  Check("\n", "\n\n");
  Check("\n\n", "\n");
  Check("a\n", "a");
  EXPECT_EQ(equal_, 2);  // "" and "", "a\n" and "a"
}

TEST_F(RoundTrip, LongLinesWithScatteredByteChanges) {
  std::mt19937 random(4);
  for (int round = 0; round < 500; ++round) {
    std::string line(20 + random() % 200, 'a');
    for (char& c : line) c = static_cast<char>('a' + random() % 3);
    std::string changed = line;
    const int edits = 1 + static_cast<int>(random() % 5);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = random() % changed.size();
      if (random() % 4 == 0) {
        changed.insert(at, "INS");
      } else {
        changed[at] = 'Z';
      }
    }
    Check("head\n" + line + "\ntail\n", "head\n" + changed + "\ntail\n");
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace tarn
