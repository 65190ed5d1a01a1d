// Choosing the separator of a binary file, on data built so that each rule
// of the choice decides in turn.
#include "engine/diff/separator_choice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "tests/support/test_support.h"

namespace tarn {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Filler of letters 'a'..'z' in random order.
Bytes Letters(std::mt19937& random, std::size_t n) {
  Bytes out(n);
  for (auto& byte : out) byte = static_cast<std::uint8_t>('a' + random() % 26);
  return out;
}

TEST(SeparatorChoice, SpacingStatisticsFollowTheGaps) {
  // 0x07 at 4, 9, 14, 19: gaps 5 (from -1), 5, 5, 5.
  Bytes data(20, 'x');
  for (const std::size_t i : {4u, 9u, 14u, 19u}) data[i] = 7;
  const auto spacing = MeasureByteSpacing(data);
  EXPECT_EQ(spacing[7].count, 4);
  EXPECT_EQ(spacing[7].max_gap, 5);
  EXPECT_EQ(spacing[7].mean_gap, 5);
  EXPECT_FLOAT_EQ(spacing[7].deviation, 0.0f);
  // 'x' at 0..3, 5..8, ...: gaps 1 (x16, from -1 too) and 2 (x3).
  EXPECT_EQ(spacing['x'].count, 16);
  EXPECT_EQ(spacing['x'].max_gap, 2);
  EXPECT_EQ(spacing['x'].mean_gap, 19 / 16);
  EXPECT_GT(spacing['x'].deviation, 0.0f);
  EXPECT_EQ(spacing[0].count, 0);
  EXPECT_EQ(spacing[0].mean_gap, 0);
}

TEST(SeparatorChoice, EvenlySpacedByteWins) {
  std::mt19937 random(1);
  Bytes data = Letters(random, 10000);
  for (std::size_t i = 39; i < data.size(); i += 40) data[i] = 0x00;
  EXPECT_EQ(ChooseSeparatorFor(data), 0x00);
}

TEST(SeparatorChoice, ASteadyByteWithTooFewOccurrencesIsPassedOver) {
  std::mt19937 random(2);
  // F = 20480: counts must lie in 20..2048.
  Bytes data = Letters(random, 20480);
  // 0x02: five times, perfectly even (deviation 0), but too few.
  for (std::size_t i = 19; i < 100; i += 20) data[i] = 0x02;
  // 0x05: every 50 bytes, give or take one: the next smallest deviation.
  for (std::size_t i = 200; i + 1 < data.size(); i += 50) data[i + random() % 2] = 0x05;
  EXPECT_EQ(ChooseSeparatorFor(data), 0x05);
}

TEST(SeparatorChoice, WithoutACandidateTheLowestByteOfFittingCountIsTaken) {
  // F = 2048: counts must lie in 2..204. Eight filler values of about 256
  // each (mean gap 8: no candidates, counts too high); 0x50 five times and
  // 0x20 three times, packed together at the start (mean gaps 1 and 2).
  std::mt19937 random(3);
  Bytes data(2048);
  for (auto& byte : data) byte = static_cast<std::uint8_t>(0x30 + random() % 8);
  for (std::size_t i = 0; i < 5; ++i) data[i] = 0x50;
  for (std::size_t i = 5; i < 8; ++i) data[i] = 0x20;
  const auto spacing = MeasureByteSpacing(data);
  for (std::size_t v = 0x30; v < 0x38; ++v) ASSERT_GT(spacing[v].count, 204) << v;
  EXPECT_EQ(ChooseSeparatorFor(data), 0x20);
}

TEST(SeparatorChoice, OtherwiseTheMostFrequentByte) {
  // F = 2048, every byte value either absent or too frequent, none with a
  // mean gap of 10 or more: the most frequent value, 0x35, though not the lowest.
  Bytes data;
  for (std::uint8_t v = 0x30; v < 0x38; ++v) {
    data.insert(data.end(), v == 0x35 ? 333 : 245, v);
  }
  ASSERT_EQ(data.size(), 2048u);
  std::mt19937 random(4);
  std::shuffle(data.begin(), data.end(), random);
  EXPECT_EQ(ChooseSeparatorFor(data), 0x35);
}

TEST(SeparatorChoice, AMostFrequentByteWithAWideGapGivesWayToAnEvenOne) {
  // F = 4096: 'M' fills the first and last 600 bytes (count 1200, a gap of
  // almost 2900 between); four values share the middle.
  Bytes data(4096, 'M');
  std::mt19937 random(5);
  for (std::size_t i = 600; i < 3496; ++i) data[i] = static_cast<std::uint8_t>(0x30 + random() % 4);
  const auto spacing = MeasureByteSpacing(data);
  ASSERT_GE(spacing['M'].max_gap, 1024);
  EXPECT_EQ(ChooseSeparatorFor(data), 0x30);
}

class SeparatorChoiceFile : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }
  testing::RecordingHost host_;
  testing::TempDir dir_;
};

TEST_F(SeparatorChoiceFile, ReportsAndChooses) {
  std::mt19937 random(6);
  Bytes data = Letters(random, 5000);
  for (std::size_t i = 29; i < data.size(); i += 30) data[i] = 0xFE;
  testing::WriteBytes(dir_.File("binary"), data);
  struct Counting : DiffProgress {
    void Step() override { ++steps; }
    void Finished() override { ++finished; }
    int steps = 0;
    int finished = 0;
  } progress;
  std::uint8_t separator = 0;
  ASSERT_EQ(ChooseSeparator(dir_.File("binary"), separator, progress), 1);
  EXPECT_EQ(separator, 0xFE);
  EXPECT_EQ(progress.steps, 10);  // every 500 bytes
  EXPECT_EQ(progress.finished, 1);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].kind, kStatus);
  EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kChoosingSeparator));
}

TEST_F(SeparatorChoiceFile, AMissingFileIsMessage102) {
  std::uint8_t separator = 0x42;
  EXPECT_EQ(ChooseSeparator(dir_.File("absent"), separator), -1);
  EXPECT_EQ(separator, 0x42);
  ASSERT_EQ(host_.messages().size(), 2u);
  EXPECT_EQ(host_.messages()[1].kind, kAlert);
  EXPECT_TRUE(host_.Saw(dir_.File("absent")));
}

}  // namespace
}  // namespace tarn
