#include "engine/format/supplemental_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/paths.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using namespace std::string_literals;

// The stored form, built by hand: text bytes, then NULs up to `size`.
std::vector<std::uint8_t> Info(const std::string& bytes, std::size_t size = 516) {
  std::vector<std::uint8_t> info(bytes.begin(), bytes.end());
  info.resize(size, 0);
  return info;
}

std::string StatisticsOf(const std::vector<std::uint8_t>& info) {
  const auto nul = std::find(info.begin(), info.end(), 0);
  return std::string(nul + 1, std::find(nul + 1, info.end(), 0));
}

TEST(SupplementalInfoRead, ParsesPathAndNumbers) {
  const auto info = Info(
      "/home/ann/main.c\0"s
      "2~1700000000~1234"s);
  EXPECT_EQ(WorkfileName(info), "/home/ann/main.c");
  EXPECT_EQ(LastModifierIndex(info), 2);
  EXPECT_EQ(LastLogfileUpdate(info), 1700000000);
  EXPECT_EQ(LastWorkfileSize(info), 1234);
  // The largest times and sizes of the unsigned fields still read.
  const auto big = Info(
      "p\0"s
      "-1~4294967295~8589934592"s);
  EXPECT_EQ(LastModifierIndex(big), -1);
  EXPECT_EQ(LastLogfileUpdate(big), 4294967295);
  EXPECT_EQ(LastWorkfileSize(big), 8589934592);
}

TEST(SupplementalInfoRead, TextThatDoesNotParseYieldsTheDefaults) {
  for (const std::string& text : {"p\0"s,
                                  "p\0"s
                                  "3~17"s,
                                  "p\0"s
                                  "3~x~5"s,
                                  "p\0"s
                                  "abc"s,
                                  "p\0"s
                                  "3-17-5"s,
                                  "p\0"s
                                  "~17~5"s,
                                  "p\0"s
                                  "1~99999999999999999999999~5"s}) {
    const auto info = Info(text);
    EXPECT_EQ(LastModifierIndex(info), -1) << text;
    EXPECT_EQ(LastLogfileUpdate(info), 0) << text;
    EXPECT_EQ(LastWorkfileSize(info), 0) << text;
  }
}

TEST(SupplementalInfoRead, NeverReadsPastTheBuffer) {
  const std::vector<std::uint8_t> no_nul(516, 'a');
  EXPECT_EQ(WorkfileName(no_nul), std::string(516, 'a'));
  EXPECT_EQ(LastModifierIndex(no_nul), -1);
  // Numbers running to the very end of a buffer of another size.
  const std::string text =
      "p\0"s
      "1~2~3"s;
  const std::vector<std::uint8_t> tight(text.begin(), text.end());
  EXPECT_EQ(LastWorkfileSize(tight), 3);
  EXPECT_EQ(WorkfileName({}), "");
  EXPECT_EQ(LastModifierIndex({}), -1);
}

class SupplementalInfoUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    SetExplicitUpdateTime(0);
    header_.modifierList = "ann,,bob";
    workfile_ = dir_.File("main.c");
    testing::WriteText(workfile_, "hello");
  }

  LogfileHeader header_;
  testing::TempDir dir_;
  testing::RecordingHost host_;
  std::string workfile_;
};

TEST_F(SupplementalInfoUpdate, RecordsPathUserStoredTimeAndSize) {
  header_.supplementalInfo = Info(
      "old\0"s
      "0~1000~7"s);
  header_.fixed._iSupplementalInfoSize = 516;
  ASSERT_EQ(UpdateSupplementalInfo(header_, workfile_, "bob"), 1);
  const auto& info = header_.supplementalInfo;
  ASSERT_EQ(info.size(), 516u);
  EXPECT_EQ(header_.fixed._iSupplementalInfoSize, 516);
  EXPECT_EQ(WorkfileName(info), platform::FullPathName(workfile_));
  EXPECT_EQ(StatisticsOf(info), "1~1000~5");
  const std::size_t end = WorkfileName(info).size() + 1 + 8;
  EXPECT_TRUE(std::all_of(info.begin() + static_cast<std::ptrdiff_t>(end), info.end(),
                          [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(SupplementalInfoUpdate, ExplicitTimeWinsOnceAndIsConsumed) {
  header_.supplementalInfo = Info(
      "old\0"s
      "0~1000~7"s);
  SetExplicitUpdateTime(5555);
  ASSERT_EQ(UpdateSupplementalInfo(header_, workfile_, "ann"), 1);
  EXPECT_EQ(StatisticsOf(header_.supplementalInfo), "0~5555~5");
  EXPECT_EQ(ExplicitUpdateTime(), 0);
  // The next update keeps the time now stored.
  testing::WriteText(workfile_, "hello, world");
  ASSERT_EQ(UpdateSupplementalInfo(header_, workfile_, "ann"), 1);
  EXPECT_EQ(StatisticsOf(header_.supplementalInfo), "0~5555~12");
}

TEST_F(SupplementalInfoUpdate, InfoOfAnotherSizeIsReplacedAndTakesTheCurrentTime) {
  header_.supplementalInfo = Info(
      "x\0"s
      "1~5~5"s,
      40);
  header_.fixed._iSupplementalInfoSize = 40;
  const std::int64_t before = platform::CurrentTime();
  ASSERT_EQ(UpdateSupplementalInfo(header_, workfile_, "bob"), 1);
  const std::int64_t after = platform::CurrentTime();
  EXPECT_EQ(header_.supplementalInfo.size(), 516u);
  EXPECT_EQ(header_.fixed._iSupplementalInfoSize, 516);
  EXPECT_GE(LastLogfileUpdate(header_.supplementalInfo), before);
  EXPECT_LE(LastLogfileUpdate(header_.supplementalInfo), after);

  // The same for a stored time that does not parse, or is 0.
  header_.supplementalInfo = Info(
      "x\0"s
      "garbage"s);
  ASSERT_EQ(UpdateSupplementalInfo(header_, workfile_, "bob"), 1);
  EXPECT_GE(LastLogfileUpdate(header_.supplementalInfo), before);

  // With an explicit time, that one.
  header_.supplementalInfo = Info("x", 3);
  SetExplicitUpdateTime(42);
  ASSERT_EQ(UpdateSupplementalInfo(header_, workfile_, "bob"), 1);
  EXPECT_EQ(LastLogfileUpdate(header_.supplementalInfo), 42);
}

TEST_F(SupplementalInfoUpdate, UnknownUserAndMissingWorkfile) {
  ASSERT_EQ(UpdateSupplementalInfo(header_, dir_.File("gone.c"), "zed"), 1);
  EXPECT_EQ(LastModifierIndex(header_.supplementalInfo), -1);
  EXPECT_EQ(LastWorkfileSize(header_.supplementalInfo), 0);
  EXPECT_EQ(WorkfileName(header_.supplementalInfo), platform::FullPathName(dir_.File("gone.c")));
}

TEST_F(SupplementalInfoUpdate, RelativeNamesAreStoredAsFullPaths) {
  SetExplicitUpdateTime(1);
  ASSERT_EQ(UpdateSupplementalInfo(header_, "sub/../rel.c", "ann"), 1);
  EXPECT_EQ(WorkfileName(header_.supplementalInfo), platform::CurrentDirectory() + "/rel.c");
}

TEST_F(SupplementalInfoUpdate, SettingsRecordSuppliesTheUser) {
  tarnEnvironVars env;
  env.userName = "bob";
  ASSERT_EQ(UpdateSupplementalInfo(header_, workfile_, env), 1);
  EXPECT_EQ(LastModifierIndex(header_.supplementalInfo), 1);
}

TEST_F(SupplementalInfoUpdate, PathsThatLeaveNoRoomForTheNumbersAreRefused) {
  // Numbers "0~777~0" take 7 bytes; with two NULs 507 bytes remain.
  const std::string fits = "/" + std::string(506, 'p');
  SetExplicitUpdateTime(777);
  ASSERT_EQ(UpdateSupplementalInfo(header_, fits, "ann"), 1);
  EXPECT_EQ(WorkfileName(header_.supplementalInfo), fits);
  EXPECT_EQ(StatisticsOf(header_.supplementalInfo), "0~777~0");
  EXPECT_EQ(header_.supplementalInfo[515], 0);
  EXPECT_TRUE(host_.messages().empty());

  const std::vector<std::uint8_t> before = header_.supplementalInfo;
  const std::string too_long = fits + "p";
  SetExplicitUpdateTime(777);
  EXPECT_EQ(UpdateSupplementalInfo(header_, too_long, "ann"), -1);
  EXPECT_EQ(header_.supplementalInfo, before);
  EXPECT_EQ(ExplicitUpdateTime(), 0);
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kPathTooLong, too_long, 507));
}

}  // namespace
}  // namespace tarn
