// tarn annotate on a history made by ci, against origins worked out by
// hand: lines changed, removed and added on the trunk, a branch whose
// lines stem partly from the trunk before its branch point, the oldest
// revision, a revision chosen by date, the JSON form and refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/store/disk_names.h"
#include "tests/support/rcs_workbench.h"

namespace tarn {
namespace {

using testing::ProgramResult;
using testing::RcsWorkbench;

class AnnotateProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RcsWorkbench::Installed("ci")) GTEST_SKIP() << "the rcs package is missing";
    bench_.CheckIn("f.c", "a\nb\nc\n", "ann", "2020-01-01 10:00:00", "1.1");
    bench_.CheckIn("f.c", "a\nB\nc\nd\n", "bob", "2020-02-01 10:00:00", "1.2");
    bench_.CheckIn("f.c", "a\nB\nd\n", "ann", "2020-03-01 10:00:00", "1.3");
    bench_.CheckIn("f.c", "z\na\nB\nd", "carl", "2020-04-01 10:00:00", "1.4");
    bench_.CheckIn("f.c", "a\nB\nc\nd\ne\n", "dan", "2020-05-01 10:00:00", "b1", "1.2", "1.2.1");
    bench_.CheckIn("f.c", "a\nB\nC2\nd\ne\n", "dan", "2020-06-01 10:00:00", "b2", "1.2.1", "1.2.1");
    bench_.CheckIn("f.c", "a\nB\nC2\nd\ne\nf\n", "eve", "2020-07-01 10:00:00", "b3", "1.2.1.1",
                   "1.2.1.1.1");
    const ProgramResult imported = bench_.Tarn({"import", "RCS"});
    ASSERT_EQ(imported.status, 0) << imported.err;
  }

  // "1.2 bob 2020-02-01 | B" for each line.
  static std::string Listing(const std::vector<std::vector<std::string>>& lines) {
    std::size_t number_width = 0;
    std::size_t creator_width = 0;
    for (const std::vector<std::string>& line : lines) {
      number_width = std::max(number_width, line[0].size());
      creator_width = std::max(creator_width, line[1].size());
    }
    std::string out;
    for (const std::vector<std::string>& line : lines) {
      out += line[0] + std::string(number_width - line[0].size() + 1, ' ') + line[1] +
             std::string(creator_width - line[1].size() + 1, ' ') + line[2] + " | " + line[3] +
             "\n";
    }
    return out;
  }

  std::string Annotate(const std::vector<std::string>& options) {
    std::vector<std::string> arguments = {"annotate"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back("f.c");
    const ProgramResult result = bench_.Tarn(arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
  }

  RcsWorkbench bench_;
};

TEST_F(AnnotateProgramsTest, TrunkLinesNameTheRevisionThatBroughtThemIn) {
  EXPECT_EQ(Annotate({}), Listing({{"1.4", "carl", "2020-04-01", "z"},
                                   {"1.1", "ann", "2020-01-01", "a"},
                                   {"1.2", "bob", "2020-02-01", "B"},
                                   {"1.2", "bob", "2020-02-01", "d"}}));
  EXPECT_EQ(Annotate({"-rev", "1.2"}), Listing({{"1.1", "ann", "2020-01-01", "a"},
                                                {"1.2", "bob", "2020-02-01", "B"},
                                                {"1.1", "ann", "2020-01-01", "c"},
                                                {"1.2", "bob", "2020-02-01", "d"}}));
  EXPECT_EQ(Annotate({"-rev", "1.1"}), Listing({{"1.1", "ann", "2020-01-01", "a"},
                                                {"1.1", "ann", "2020-01-01", "b"},
                                                {"1.1", "ann", "2020-01-01", "c"}}));
}

TEST_F(AnnotateProgramsTest, BranchLinesMayStemFromTheTrunkBeforeTheBranchPoint) {
  EXPECT_EQ(Annotate({"-rev", "1.2.1"}), Listing({{"1.1", "ann", "2020-01-01", "a"},
                                                  {"1.2", "bob", "2020-02-01", "B"},
                                                  {"1.2.1.2", "dan", "2020-06-01", "C2"},
                                                  {"1.2", "bob", "2020-02-01", "d"},
                                                  {"1.2.1.1", "dan", "2020-05-01", "e"}}));
  EXPECT_EQ(Annotate({"-rev", "1.2.1.1.1.1"}),
            Listing({{"1.1", "ann", "2020-01-01", "a"},
                     {"1.2", "bob", "2020-02-01", "B"},
                     {"1.2.1.1.1.1", "eve", "2020-07-01", "C2"},
                     {"1.2", "bob", "2020-02-01", "d"},
                     {"1.2.1.1", "dan", "2020-05-01", "e"},
                     {"1.2.1.1.1.1", "eve", "2020-07-01", "f"}}));
}

TEST_F(AnnotateProgramsTest, ADateChoosesTheRevisionAndNamesItOnStandardError) {
  const ProgramResult result = bench_.Tarn({"annotate", "-date", "2020-02-20", "f.c"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Annotate({"-rev", "1.2"}));
  EXPECT_NE(result.err.find("revision 1.2, checked in"), std::string::npos) << result.err;
  const ProgramResult branch =
      bench_.Tarn({"annotate", "-rev", "1.2.1", "-date", "2020-05-20", "f.c"});
  EXPECT_EQ(branch.out, Annotate({"-rev", "1.2.1.1"}));
  const ProgramResult early = bench_.Tarn({"annotate", "-date", "2019-01-01", "f.c"});
  EXPECT_EQ(early.status, 1);
  EXPECT_EQ(early.out, "");
}

TEST_F(AnnotateProgramsTest, JsonNamesEveryLinesOrigin) {
  const std::string json = Annotate({"-json", "-rev", "1.2.1.2"});
  EXPECT_EQ(json.rfind("{\"file\":\"f.c\",\"revision\":\"1.2.1.2\",\"lines\":[", 0), 0U) << json;
  EXPECT_NE(json.find("{\"line\":3,\"revision\":\"1.2.1.2\",\"creator\":\"dan\",\"checked_in\":"
                      "1591005600,\"text\":\"C2\"}"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("{\"line\":1,\"revision\":\"1.1\",\"creator\":\"ann\",\"checked_in\":"
                      "1577872800,\"text\":\"a\"}"),
            std::string::npos)
      << json;
}

TEST_F(AnnotateProgramsTest, MissingRevisionsFilesAndBadOptionsAreRefused) {
  const ProgramResult missing = bench_.Tarn({"annotate", "-rev", "1.9", "f.c"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("revision 1.9 does not exist"), std::string::npos) << missing.err;
  const ProgramResult no_logfile = bench_.Tarn({"annotate", "g.c", "f.c"});
  EXPECT_EQ(no_logfile.status, 1);
  EXPECT_NE(no_logfile.err.find("g.c has no logfile"), std::string::npos) << no_logfile.err;
  EXPECT_NE(no_logfile.out.find("==> f.c 1.4 <=="), std::string::npos) << no_logfile.out;
  EXPECT_EQ(bench_.Tarn({"annotate", "-rev", "1.2", "-rev", "1.3", "f.c"}).status, 2);
  EXPECT_EQ(bench_.Tarn({"annotate", "-bogus", "f.c"}).status, 2);
  EXPECT_EQ(bench_.Tarn({"annotate"}).status, 2);
}

TEST_F(AnnotateProgramsTest, ADamagedLogfileIsReportedAndNotAnnotated) {
  const std::string logfile = bench_.Path("TARN/" + LogfileNameOf("f.c"));
  std::string bytes = testing::ReadText(logfile);
  ASSERT_GT(bytes.size(), 200U);
  bytes.resize(bytes.size() - 40);
  std::filesystem::permissions(logfile, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  testing::WriteText(logfile, bytes);
  const ProgramResult damaged = bench_.Tarn({"annotate", "-rev", "1.1", "f.c"});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_EQ(damaged.out, "");
  EXPECT_FALSE(damaged.err.empty());
}

}  // namespace
}  // namespace tarn
