#include "engine/revisions/new_revision_number.h"

#include <gtest/gtest.h>

#include "engine/format/revision_number.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

tarnCommandRevDesc Number(std::string_view text) {
  tarnCommandRevDesc descriptor;
  EXPECT_EQ(ParseRevisionRequest(text, 0, descriptor), RevisionParse::kParsed) << text;
  return descriptor;
}

BaseRevision Base(std::string_view number, bool tip, std::int16_t branches = 0) {
  BaseRevision base;
  base.number = Number(number);
  base.offset = 100;
  base.header._cTip = tip ? 1 : 0;
  base.header._iBranchCount = branches;
  base.header._iDepth = static_cast<std::int16_t>(base.number.iElementCount - 1);
  return base;
}

class NewRevisionNumberTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }

  // The new number as text, or "refused".
  std::string New(const BaseRevision& base, std::optional<std::string_view> requested = {},
                  bool branch = false) {
    std::optional<tarnCommandRevDesc> wanted;
    if (requested) wanted = Number(*requested);
    NewRevisionNumber result;
    if (WorkOutNewRevisionNumber(base, wanted, branch, header_, result) != 1) return "refused";
    starts_branch_ = result.startsBranch;
    return FormatRevision(result.number);
  }

  testing::RecordingHost host_;
  tLogFileHdr header_;
  bool starts_branch_ = false;
};

TEST_F(NewRevisionNumberTest, FirstRevision) {
  BaseRevision empty;  // a logfile without revisions
  empty.number = Number("1");
  EXPECT_EQ(New(empty), "1.0");
  EXPECT_EQ(New(empty, "2.3"), "2.3");
  EXPECT_EQ(New(empty, "4.1.2.5"), "4.1");  // only the first element counts
  header_._iMajorNumber = 3;
  header_._iMinorNumber = 6;
  EXPECT_EQ(New(empty), "3.7");
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(NewRevisionNumberTest, ContinuingALine) {
  EXPECT_EQ(New(Base("1.3", true)), "1.4");
  EXPECT_FALSE(starts_branch_);
  EXPECT_EQ(New(Base("1.2.1.1", true)), "1.2.1.2");
  EXPECT_EQ(New(Base("1.2.3.4.2.9", true)), "1.2.3.4.2.10");
}

TEST_F(NewRevisionNumberTest, StartingABranch) {
  EXPECT_EQ(New(Base("1.2", false)), "1.2.1.1");
  EXPECT_TRUE(starts_branch_);
  EXPECT_EQ(New(Base("1.2", false, 1)), "1.2.2.1");
  EXPECT_EQ(New(Base("1.4", true), std::nullopt, true), "1.4.1.1");
  EXPECT_EQ(New(Base("1.2.1.1", true, 2), std::nullopt, true), "1.2.1.1.3.1");
}

TEST_F(NewRevisionNumberTest, BranchDepthLimit) {
  // 18 levels of branches: 19 elements, the deepest allowed.
  std::string deep = "1.0";
  for (int i = 0; i < 17; ++i) deep += ".1.1";
  EXPECT_EQ(New(Base(deep, false)), deep + ".1.1");
  EXPECT_TRUE(host_.messages().empty());
  EXPECT_EQ(New(Base(deep + ".1.1", false)), "refused");
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].text, FormatMessage(msg::kTooManyElements, 20));
  // Continuing the deepest line is fine.
  EXPECT_EQ(New(Base(deep + ".1.1", true)), deep + ".1.2");
}

TEST_F(NewRevisionNumberTest, ExplicitTrunkNumbers) {
  EXPECT_EQ(New(Base("1.3", true), "2.0"), "2.0");
  EXPECT_EQ(New(Base("1.3", true), "1.9"), "1.9");
  EXPECT_EQ(New(Base("1.3", true), "1.3"), "refused");
  EXPECT_EQ(host_.messages().back().text, FormatMessage(msg::kRevisionNotGreater, "1.3", "1.3"));
  EXPECT_EQ(New(Base("1.3", true), "0.9"), "refused");
  EXPECT_EQ(host_.messages().back().text, FormatMessage(msg::kRevisionNotGreater, "0.9", "1.3"));
}

// Trunk numbers are ordered by major, then minor: a minor of 10000 or more
// must not make an older major look newer.
TEST_F(NewRevisionNumberTest, TrunkNumbersCompareAsPairs) {
  const struct {
    const char* base;
    const char* requested;
    const char* expected;
  } cases[] = {
      {"1.10000", "2.0", "2.0"},         {"1.32000", "2.0", "2.0"},
      {"1.20000", "1.20001", "1.20001"}, {"2.0", "1.10001", "refused"},
      {"1.10000", "1.9999", "refused"},  {"3.5", "3.5", "refused"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(New(Base(c.base, true), c.requested), c.expected) << c.base << " -> " << c.requested;
  }
}

TEST_F(NewRevisionNumberTest, ExplicitBranchNumbers) {
  EXPECT_EQ(New(Base("1.2.1.3", true), "1.2.1.7"), "1.2.1.7");
  EXPECT_EQ(New(Base("1.2.1.3", true), "1.2.2.7"), "refused");
  EXPECT_EQ(host_.messages().back().text,
            FormatMessage(msg::kBranchMismatch, "1.2.2.7", "1.2.1.3"));
  EXPECT_EQ(New(Base("1.2.1.3", true), "1.2.1.3"), "refused");
  EXPECT_EQ(host_.messages().back().text,
            FormatMessage(msg::kBranchRevisionTooLow, "1.2.1.3", "1.2.1.3"));
}

TEST_F(NewRevisionNumberTest, ExplicitNumberMustContinueTheBasesLine) {
  EXPECT_EQ(New(Base("1.3", true), "1.2.1.1"), "refused");
  EXPECT_EQ(host_.messages().back().text,
            FormatMessage(msg::kRevisionShapeMismatch, "1.2.1.1", "1.3"));
  EXPECT_EQ(New(Base("1.2.1.3", true), "1.3.1.4"), "refused");
  EXPECT_EQ(host_.messages().back().text,
            FormatMessage(msg::kRevisionShapeMismatch, "1.3.1.4", "1.2.1.3"));
  // From a revision that is not the newest of its line the new revision
  // would have to go between two others.
  EXPECT_EQ(New(Base("1.2", false), "1.5"), "refused");
  EXPECT_EQ(host_.messages().back().text, FormatMessage(msg::kRevisionShapeMismatch, "1.5", "1.2"));
}

TEST_F(NewRevisionNumberTest, UsedUpNumbersAreRefusedNotWrapped) {
  EXPECT_EQ(New(Base("1.32767", true)), "refused");
  EXPECT_EQ(host_.messages().back().text, FormatMessage(msg::kRevisionNumbersExhausted, "1.32767"));
  EXPECT_EQ(New(Base("1.2", false, 32767)), "refused");
  BaseRevision empty;
  empty.number = Number("1");
  header_._iMinorNumber = 32767;
  EXPECT_EQ(New(empty), "refused");
}

}  // namespace
}  // namespace tarn
