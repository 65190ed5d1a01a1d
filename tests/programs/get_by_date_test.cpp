// tarn get -date and tarn diff -date on a history made by ci with known
// check-in times: the newest revision of the chosen line at or before the
// moment, named in the output; moments before the line's first revision,
// unreadable dates and a date beside a label refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/rcs_workbench.h"

namespace tarn {
namespace {

using testing::ProgramResult;
using testing::RcsWorkbench;

class GetByDateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RcsWorkbench::Installed("ci")) GTEST_SKIP() << "the rcs package is missing";
    // 1.1 Jan, 1.2 Feb, 1.3 Mar; the branch 1.2.1: 1.2.1.1 mid-Feb, 1.2.1.2 Apr.
    bench_.CheckIn("f.c", "one\n", "ann", "2020-01-01 10:00:00", "first");
    bench_.CheckIn("f.c", "one\ntwo\n", "bob", "2020-02-01 10:00:00", "second");
    bench_.CheckIn("f.c", "one\ntwo\nthree\n", "ann", "2020-03-01 10:00:00", "third");
    bench_.CheckIn("f.c", "one\ntwo\nbranch\n", "carl", "2020-02-15 10:00:00", "b1", "1.2", "1.2.1");
    bench_.CheckIn("f.c", "one\ntwo\nbranch 2\n", "carl", "2020-04-01 10:00:00", "b2", "1.2.1",
                   "1.2.1");
    const ProgramResult imported = bench_.Tarn({"import", "RCS"});
    ASSERT_EQ(imported.status, 0) << imported.err;
  }

  ProgramResult GetByDate(const std::vector<std::string>& options) {
    std::vector<std::string> arguments = {"get", "-stdout"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back("f.c");
    return bench_.Tarn(arguments);
  }

  static bool Says(const ProgramResult& result, const std::string& text) {
    return (result.out + result.err).find(text) != std::string::npos;
  }

  RcsWorkbench bench_;
};

TEST_F(GetByDateTest, TheNewestRevisionOfTheLineAtOrBeforeTheMomentIsFetchedAndNamed) {
  struct Case {
    std::vector<std::string> options;
    const char* text;
    const char* revision;
  };
  const Case cases[] = {
      {{"-date", "2020-02-10"}, "one\ntwo\n", "1.2"},
      {{"-date", "2020-03-01 10:00:00Z"}, "one\ntwo\nthree\n", "1.3"},  // at the moment itself
      {{"-date", "2020-03-01T09:59:59Z"}, "one\ntwo\n", "1.2"},
      {{"-date", "Sun Mar  1 10:00:00 UTC 2020"}, "one\ntwo\nthree\n", "1.3"},
      {{"-DATE", "2030-01-01"}, "one\ntwo\nthree\n", "1.3"},  // option words ignore case
      {{"-rev", "1.2.1", "-date", "2020-03-01"}, "one\ntwo\nbranch\n", "1.2.1.1"},
      {{"-date", "2030-01-01", "-rev", "1.2.1"}, "one\ntwo\nbranch 2\n", "1.2.1.2"},
      {{"-rev", "1.2.1.2", "-date", "2020-02-20"}, "one\ntwo\nbranch\n", "1.2.1.1"},
      {{"-rev", "1.3", "-date", "2020-01-05"}, "one\n", "1.1"},
  };
  for (const Case& c : cases) {
    const ProgramResult got = GetByDate(c.options);
    ASSERT_EQ(got.status, 0) << c.options[1] << ": " << got.err;
    EXPECT_EQ(got.out, c.text) << c.options[1];
    EXPECT_TRUE(Says(got, std::string("revision ") + c.revision + ", checked in"))
        << c.options[1] << ": " << got.err;
  }
}

TEST_F(GetByDateTest, ATimeWithoutZoneIsLocal) {
  bench_.setup().environment["TZ"] = "CET-1CEST,M3.5.0,M10.5.0/3";
  EXPECT_EQ(GetByDate({"-date", "2020-03-01 11:00"}).out, "one\ntwo\nthree\n");
  EXPECT_EQ(GetByDate({"-date", "2020-03-01 10:59"}).out, "one\ntwo\n");
}

TEST_F(GetByDateTest, ADefaultBranchIsTheLineWhenNoneIsNamed) {
  ASSERT_EQ(bench_.Tarn({"header", "-branch", "1.2.1", "f.c"}).status, 0);
  EXPECT_EQ(GetByDate({"-date", "2030-01-01"}).out, "one\ntwo\nbranch 2\n");
  EXPECT_EQ(GetByDate({"-date", "2020-03-01"}).out, "one\ntwo\nbranch\n");
}

TEST_F(GetByDateTest, AMomentBeforeTheLinesFirstRevisionSaysSoAndWritesNothing) {
  const ProgramResult trunk = bench_.Tarn({"get", "-date", "2019-12-31", "f.c"});
  EXPECT_EQ(trunk.status, 1);
  EXPECT_TRUE(Says(trunk, "no revision on line 1 was checked in at or before 2019-12-31"))
      << trunk.err;
  EXPECT_TRUE(Says(trunk, "its first was checked in Wed Jan  1 10:00:00 2020")) << trunk.err;
  EXPECT_FALSE(std::filesystem::exists(bench_.Path("f.c")));

  const ProgramResult branch = GetByDate({"-rev", "1.2.1", "-date", "2020-02-10"});
  EXPECT_EQ(branch.status, 1);
  EXPECT_EQ(branch.out, "");
  EXPECT_TRUE(Says(branch, "no revision on line 1.2.1 was checked in")) << branch.err;

  const ProgramResult missing = GetByDate({"-rev", "1.3.1", "-date", "2030-01-01"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(Says(missing, "no revision lies on line 1.3.1")) << missing.err;
}

TEST_F(GetByDateTest, UnreadableDatesAndADateBesideALabelAreRefused) {
  for (const char* date : {"yesterday", "2020-02-30", "2020-01-01 25:00", ""}) {
    const ProgramResult refused = GetByDate({"-date", date});
    EXPECT_EQ(refused.status, 2) << date;
    EXPECT_TRUE(Says(refused, "is not a date; accepted: 2026-11-01")) << date << refused.err;
    EXPECT_EQ(refused.out, "") << date;
  }
  const ProgramResult without = bench_.Tarn({"get", "-stdout", "f.c", "-date"});
  EXPECT_EQ(without.status, 2);
  EXPECT_TRUE(Says(without, "-date needs a value")) << without.err;
  for (const std::vector<std::string>& both :
       {std::vector<std::string>{"-v", "L", "-date", "2030-01-01"},
        std::vector<std::string>{"-date", "2030-01-01", "-v", "L"}}) {
    const ProgramResult refused = GetByDate(both);
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(Says(refused, "a date and a label exclude each other")) << refused.err;
  }
  EXPECT_EQ(GetByDate({"-date", "2020-01-02", "-date", "2020-01-03"}).status, 2);
}

TEST_F(GetByDateTest, DiffComparesRevisionsChosenByDateAndNamesThem) {
  const ProgramResult diff =
      bench_.Tarn({"diff", "-date", "2020-01-15", "-date", "2020-03-15", "f.c"});
  EXPECT_EQ(diff.status, 1) << diff.err;
  EXPECT_NE(diff.out.find("revision 1.1 (2020-01-15)"), std::string::npos) << diff.out;
  EXPECT_NE(diff.out.find("revision 1.3 (2020-03-15)"), std::string::npos) << diff.out;
  EXPECT_NE(diff.out.find("+two\n+three\n"), std::string::npos) << diff.out;

  const ProgramResult same = bench_.Tarn({"diff", "-rev", "1.2", "-date", "2020-02-20", "f.c"});
  EXPECT_EQ(same.status, 0) << same.out << same.err;
  const ProgramResult bad = bench_.Tarn({"diff", "-date", "soon", "f.c"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_TRUE(Says(bad, "'soon' is not a date")) << bad.err;
}

}  // namespace
}  // namespace tarn
