// The edit script search: minimal on the compared sequences (checked against
// a plain dynamic-programming longest common subsequence), consistent pairing
// of unchanged lines, the discarding rules and the grouping into changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "engine/diff/confusing_lines.h"
#include "engine/diff/edit_script.h"

namespace tarn {
namespace {

ComparedSequence Sequence(const std::vector<std::int32_t>& classes) {
  ComparedSequence sequence;
  for (std::size_t i = 0; i < classes.size(); ++i) {
    sequence.classes.push_back(classes[i]);
    sequence.lines.push_back(static_cast<std::int32_t>(i));
  }
  return sequence;
}

std::size_t LongestCommonSubsequence(const std::vector<std::int32_t>& a,
                                     const std::vector<std::int32_t>& b) {
  std::vector<std::vector<std::size_t>> table(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      table[i][j] = a[i - 1] == b[j - 1] ? table[i - 1][j - 1] + 1
                                         : std::max(table[i - 1][j], table[i][j - 1]);
    }
  }
  return table[a.size()][b.size()];
}

class CountingProgress : public DiffProgress {
 public:
  void Step() override { ++steps; }
  int steps = 0;
};

// Runs the search and checks that the unchanged elements pair up equal.
std::size_t ChangedCount(const std::vector<std::int32_t>& a, const std::vector<std::int32_t>& b,
                         DiffProgress& progress) {
  const ComparedSequence x = Sequence(a);
  const ComparedSequence y = Sequence(b);
  std::vector<std::uint8_t> changed1(a.size());
  std::vector<std::uint8_t> changed2(b.size());
  MarkEditScript(x, y, changed1, changed2, progress);
  std::vector<std::int32_t> kept1;
  std::vector<std::int32_t> kept2;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!changed1[i]) kept1.push_back(a[i]);
  }
  for (std::size_t j = 0; j < b.size(); ++j) {
    if (!changed2[j]) kept2.push_back(b[j]);
  }
  EXPECT_EQ(kept1, kept2);
  return static_cast<std::size_t>(std::count(changed1.begin(), changed1.end(), 1) +
                                  std::count(changed2.begin(), changed2.end(), 1));
}

TEST(EditScript, MinimalOnRandomSequences) {
  std::mt19937 random(17);
  for (int round = 0; round < 20000; ++round) {
    const std::size_t alphabet = 1 + random() % 6;
    std::vector<std::int32_t> a(random() % 25);
    std::vector<std::int32_t> b(random() % 25);
    for (auto& c : a) c = static_cast<std::int32_t>(1 + random() % alphabet);
    for (auto& c : b) c = static_cast<std::int32_t>(1 + random() % alphabet);
    if (random() % 2 == 0) b = a;
    for (int e = static_cast<int>(random() % 4); e > 0 && !b.empty(); --e) {
      b[random() % b.size()] = static_cast<std::int32_t>(1 + random() % (alphabet + 1));
    }
    CountingProgress progress;
    const std::size_t lcs = LongestCommonSubsequence(a, b);
    ASSERT_EQ(ChangedCount(a, b, progress), a.size() + b.size() - 2 * lcs) << round;
  }
}

TEST(EditScript, ProgressIsSteppedPerRangeAndEveryTenCostSteps) {
  // Two sequences with nothing in common: one range, cost grows to the
  // middle of 60 + 60 edits.
  std::vector<std::int32_t> a(60, 1);
  std::vector<std::int32_t> b(60, 2);
  CountingProgress progress;
  EXPECT_EQ(ChangedCount(a, b, progress), 120u);
  EXPECT_GE(progress.steps, 1 + 6);
}

TEST(EditScript, ChangesAreRunsBetweenUnchangedLines) {
  // Lines:    0 1 2 3 4 5
  // first:    . x x . . x
  // second:   x . . x . x
  const std::vector<std::uint8_t> first = {0, 1, 1, 0, 0, 1};
  const std::vector<std::uint8_t> second = {1, 0, 0, 1, 0, 1};
  const GuardedVector<LineChange> changes = CollectChanges(first, second);
  const std::vector<LineChange> expected = {{0, 0, 0, 1}, {1, 2, 2, 0}, {4, 3, 0, 1}, {5, 5, 1, 1}};
  ASSERT_EQ(changes.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(changes[i], expected[i]) << i;
}

TEST(EditScript, UnpairedUnchangedLinesAreAnInternalFault) {
  const std::vector<std::uint8_t> first = {0, 0};
  const std::vector<std::uint8_t> second = {0};
  EXPECT_THROW(CollectChanges(first, second), std::logic_error);
}

// Discarding, with marks 0 keep, 1 discard, 2 provisional.
TEST(ConfusingLines, MarksByOccurrencesInTheOtherText) {
  // Class counts in the other text: class 1 none, 2 once, 3 six times.
  const std::vector<std::int32_t> counts = {0, 0, 1, 6};
  const std::vector<std::int32_t> classes = {1, 2, 3, 0};
  const GuardedVector<std::uint8_t> marks = MarkConfusingLines(classes, counts);
  EXPECT_EQ(std::vector<std::uint8_t>(marks.begin(), marks.end()),
            (std::vector<std::uint8_t>{1, 0, 2, 0}));
}

std::vector<std::uint8_t> Settled(std::vector<std::uint8_t> marks) {
  SettleProvisionalLines(marks);
  return marks;
}

TEST(ConfusingLines, ProvisionalLinesOutsideRunsAreKept) {
  EXPECT_EQ(Settled({2, 0, 2, 2}), (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

TEST(ConfusingLines, ARunEndingInAProvisionalLineKeepsThatLine) {
  EXPECT_EQ(Settled({1, 1, 2, 0}), (std::vector<std::uint8_t>{1, 1, 0, 0}));
}

TEST(ConfusingLines, MostlyProvisionalRunsKeepTheirProvisionalLines) {
  // Run of 5: one discard, then provisional 2 2 2 and a final discard:
  // 3 * 2 > 5, so all provisional lines are kept.
  EXPECT_EQ(Settled({1, 2, 2, 2, 1}), (std::vector<std::uint8_t>{1, 0, 0, 0, 1}));
}

TEST(ConfusingLines, LongRunsKeepProvisionalLinesOnlyNearTheirEnds) {
  // A run of 14: provisional lines at 2, 7 and 12. Kept: within the first 5
  // (index 2) and within the last 5 (index 12); index 7 stays marked.
  std::vector<std::uint8_t> marks(14, 1);
  marks[2] = marks[7] = marks[12] = 2;
  std::vector<std::uint8_t> expected = marks;
  expected[2] = expected[12] = 0;
  EXPECT_EQ(Settled(marks), expected);
}

TEST(ConfusingLines, ShortRunsLookOnlyAtTheFirstFive) {
  // Length 7: first 5 lines and the last min(5, 2) = 2.
  EXPECT_EQ(Settled({1, 1, 1, 1, 1, 2, 1}), (std::vector<std::uint8_t>{1, 1, 1, 1, 1, 0, 1}));
  EXPECT_EQ(Settled({1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1}),
            (std::vector<std::uint8_t>{1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1}));
}

TEST(ConfusingLines, DiscardedLinesAreChangedAndLeftOutOfTheSequences) {
  std::array<GuardedVector<std::int32_t>, 2> classes;
  for (const std::int32_t c : {1, 2, 3, 2}) classes[0].push_back(c);
  for (const std::int32_t c : {2, 4, 2}) classes[1].push_back(c);
  const DiscardResult result = DiscardConfusingLines(classes, 4);
  EXPECT_EQ(std::vector<std::uint8_t>(result.changed[0].begin(), result.changed[0].end()),
            (std::vector<std::uint8_t>{1, 0, 1, 0}));
  EXPECT_EQ(
      std::vector<std::int32_t>(result.sequences[0].lines.begin(), result.sequences[0].lines.end()),
      (std::vector<std::int32_t>{1, 3}));
  EXPECT_EQ(std::vector<std::int32_t>(result.sequences[1].classes.begin(),
                                      result.sequences[1].classes.end()),
            (std::vector<std::int32_t>{2, 2}));
}

}  // namespace
}  // namespace tarn
