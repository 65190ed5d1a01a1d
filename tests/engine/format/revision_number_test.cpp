#include "engine/format/revision_number.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/support/message_catalogue.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LoadCatalogue;
using testing::RecordingHost;

class RevisionNumber : public ::testing::Test {
 protected:
  void SetUp() override { LoadCatalogue(); }

  RevisionParse Parse(std::string_view text, std::int16_t wildcard = 0) {
    return ParseRevisionRequest(text, wildcard, parsed_);
  }
  const RevElement& Element(int k) const { return parsed_.elements[static_cast<std::size_t>(k)]; }

  tarnCommandRevDesc parsed_;
};

std::string Repeat(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

TEST_F(RevisionNumber, DottedNumbersParseIntoElements) {
  ASSERT_EQ(Parse("1.2"), RevisionParse::kParsed);
  EXPECT_EQ(parsed_.iElementCount, 1);
  EXPECT_EQ(Element(0), (RevElement{kMatchExact, 1, kMatchExact, 2}));
  EXPECT_EQ(parsed_.iRangeEnd, 0);

  tarnCommandRevDesc withoutDot = parsed_;
  ASSERT_EQ(Parse("1.2."), RevisionParse::kParsed);
  EXPECT_EQ(parsed_, withoutDot);

  ASSERT_EQ(Parse("1.2.1"), RevisionParse::kParsed);
  EXPECT_EQ(parsed_.iElementCount, 2);
  EXPECT_EQ(Element(0), (RevElement{kMatchExact, 1, kMatchExact, 2}));
  EXPECT_EQ(Element(1), (RevElement{kMatchExact, 1, kMatchNewest, -1}));

  ASSERT_EQ(Parse("3"), RevisionParse::kParsed);
  EXPECT_EQ(parsed_.iElementCount, 1);
  EXPECT_EQ(Element(0), (RevElement{kMatchExact, 3, kMatchNewest, -1}));

  // What follows the digits of a token is ignored.
  ASSERT_EQ(Parse("1a.2b"), RevisionParse::kParsed);
  EXPECT_EQ(Element(0), (RevElement{kMatchExact, 1, kMatchExact, 2}));
}

TEST_F(RevisionNumber, TrunkTipKeywordIgnoresLetterCase) {
  std::string keyword = MessageText(msg::kWordTrunkTip.number);
  ASSERT_FALSE(keyword.empty());
  for (char& c : keyword) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ASSERT_EQ(Parse(keyword), RevisionParse::kParsed);
  EXPECT_EQ(parsed_.iElementCount, 1);
  EXPECT_EQ(Element(0), (RevElement{kMatchNewest, -1, kMatchNewest, -1}));
}

TEST_F(RevisionNumber, WildcardsTakeTheGivenValue) {
  ASSERT_EQ(Parse("*", -1), RevisionParse::kParsed);
  EXPECT_EQ(parsed_.iElementCount, 1);
  EXPECT_EQ(Element(0), (RevElement{kMatchWildcard, -1, kMatchWildcard, -1}));

  ASSERT_EQ(Parse("1.*", 0), RevisionParse::kParsed);
  EXPECT_EQ(parsed_.iElementCount, 1);
  EXPECT_EQ(Element(0), (RevElement{kMatchExact, 1, kMatchWildcard, 0}));

  ASSERT_EQ(Parse("1.2.*", -1), RevisionParse::kParsed);
  EXPECT_EQ(parsed_.iElementCount, 2);
  EXPECT_EQ(Element(1), (RevElement{kMatchWildcard, -1, kMatchWildcard, -1}));
}

TEST_F(RevisionNumber, MalformedRequestsAreRefusedWithoutAMessage) {
  RecordingHost host;
  parsed_.iElementCount = 7;  // must survive a refused parse
  for (std::string_view text :
       {"1*.2", "1.x", "*.1", "1.*.2", "**", "", ".", "1..2", ".1", "x", "-1.2", "1.99999"}) {
    EXPECT_EQ(Parse(text), RevisionParse::kMalformed) << text;
  }
  EXPECT_EQ(parsed_.iElementCount, 7);
  EXPECT_TRUE(host.messages().empty()) << host.All();
}

TEST_F(RevisionNumber, TwentyElementsAreTheLimit) {
  RecordingHost host;
  const std::string twenty = Repeat("1.2.", 19) + "1.2";
  ASSERT_EQ(Parse(twenty), RevisionParse::kParsed);
  EXPECT_EQ(parsed_.iElementCount, 20);
  EXPECT_EQ(FormatRevision(parsed_), twenty);
  // A twentieth element given by its major alone is still inside the limit.
  ASSERT_EQ(Parse(Repeat("1.2.", 19) + "4"), RevisionParse::kParsed);
  EXPECT_EQ(Element(19), (RevElement{kMatchExact, 4, kMatchNewest, -1}));
  EXPECT_TRUE(host.messages().empty());

  EXPECT_EQ(Parse(Repeat("1.2.", 20) + "1"), RevisionParse::kTooManyElements);
  ASSERT_EQ(host.messages().size(), 1u);
  EXPECT_EQ(host.messages()[0].kind, kAlert);
  EXPECT_NE(host.messages()[0].text.find("20"), std::string::npos) << host.All();
  EXPECT_EQ(parsed_.iElementCount, 20);  // the earlier result is left alone
}

TEST_F(RevisionNumber, FormatDropsTheFinalDotAndMissingMinors) {
  tarnCommandRevDesc number;
  EXPECT_EQ(FormatRevision(number), "");
  number.iElementCount = 1;
  number.elements[0] = {kMatchExact, 1, kMatchNewest, -1};
  EXPECT_EQ(FormatRevision(number), "1");
  number.iElementCount = 2;
  number.elements[0] = {kMatchExact, 1, kMatchExact, 2};
  number.elements[1] = {kMatchExact, 1, kMatchExact, 3};
  EXPECT_EQ(FormatRevision(number), "1.2.1.3");
  number.elements[1].iMinor = -1;
  EXPECT_EQ(FormatRevision(number), "1.2.1");
  // A count beyond the array never reads past it.
  number.iElementCount = 300;
  EXPECT_EQ(FormatRevision(number), "1.2.1" + Repeat(".0", 18));
}

tRevHdr Record(std::int16_t depth, std::int16_t major, std::int16_t minor, bool tip) {
  tRevHdr header;
  header._iDepth = depth;
  header.major = major;
  header.minor = minor;
  header._cTip = tip ? 1 : 0;
  return header;
}

TEST_F(RevisionNumber, EffectiveDescriptorKeepsTheElementsBelowTheDepth) {
  tarnCommandRevDesc effective;
  ASSERT_EQ(UpdateEffectiveDescriptor(effective, Record(0, 1, 3, true)), 1);
  EXPECT_EQ(FormatRevision(effective), "1.3");
  ASSERT_EQ(UpdateEffectiveDescriptor(effective, Record(0, 1, 2, false)), 1);
  ASSERT_EQ(UpdateEffectiveDescriptor(effective, Record(1, 1, 1, false)), 1);
  EXPECT_EQ(FormatRevision(effective), "1.2.1.1");
  ASSERT_EQ(UpdateEffectiveDescriptor(effective, Record(2, 1, 1, true)), 1);
  EXPECT_EQ(FormatRevision(effective), "1.2.1.1.1.1");
  ASSERT_EQ(UpdateEffectiveDescriptor(effective, Record(1, 1, 2, true)), 1);
  EXPECT_EQ(FormatRevision(effective), "1.2.1.2");
  ASSERT_EQ(UpdateEffectiveDescriptor(effective, Record(19, 1, 1, true)), 1);
  EXPECT_EQ(effective.iElementCount, 20);

  const tarnCommandRevDesc before = effective;
  EXPECT_EQ(UpdateEffectiveDescriptor(effective, Record(20, 1, 1, true)), -1);
  EXPECT_EQ(UpdateEffectiveDescriptor(effective, Record(-1, 1, 1, true)), -1);
  EXPECT_EQ(effective, before);
}

TEST_F(RevisionNumber, MatchFollowsFlagsAndTip) {
  tarnCommandRevDesc effective;
  UpdateEffectiveDescriptor(effective, Record(0, 1, 2, false));
  const tRevHdr branchTip = Record(1, 1, 3, true);
  UpdateEffectiveDescriptor(effective, branchTip);  // 1.2.1.3, tip of its branch

  ASSERT_EQ(Parse("1.2.1.3"), RevisionParse::kParsed);
  EXPECT_TRUE(RevisionMatches(parsed_, effective, branchTip));
  ASSERT_EQ(Parse("1.2.1"), RevisionParse::kParsed);
  EXPECT_TRUE(RevisionMatches(parsed_, effective, branchTip));
  tRevHdr notTip = branchTip;
  notTip._cTip = 0;
  EXPECT_FALSE(RevisionMatches(parsed_, effective, notTip));
  ASSERT_EQ(Parse("1.2.2"), RevisionParse::kParsed);
  EXPECT_FALSE(RevisionMatches(parsed_, effective, branchTip));
  ASSERT_EQ(Parse("1.3.1.3"), RevisionParse::kParsed);  // other branch point
  EXPECT_FALSE(RevisionMatches(parsed_, effective, branchTip));
  ASSERT_EQ(Parse("1.2"), RevisionParse::kParsed);  // other depth
  EXPECT_FALSE(RevisionMatches(parsed_, effective, branchTip));
  // The trunk-tip keyword asks for a tip at depth 0 only.
  ASSERT_EQ(Parse(MessageText(msg::kWordTrunkTip.number)), RevisionParse::kParsed);
  EXPECT_FALSE(RevisionMatches(parsed_, effective, branchTip));
  tarnCommandRevDesc trunk;
  const tRevHdr trunkTip = Record(0, 1, 7, true);
  UpdateEffectiveDescriptor(trunk, trunkTip);
  EXPECT_TRUE(RevisionMatches(parsed_, trunk, trunkTip));
}

TEST_F(RevisionNumber, AddElementRefusesIndicesBeyondTheLimit) {
  tarnCommandRevDesc number;
  ASSERT_EQ(AddRevisionElement(number, 1, 2, 0), 1);
  ASSERT_EQ(AddRevisionElement(number, 1, 5, 1), 1);
  EXPECT_EQ(FormatRevision(number), "1.2.1.5");
  EXPECT_EQ(AddRevisionElement(number, 9, 9, 19), 1);
  EXPECT_EQ(number.iElementCount, 20);
  const tarnCommandRevDesc before = number;
  EXPECT_EQ(AddRevisionElement(number, 9, 9, 20), -1);
  EXPECT_EQ(AddRevisionElement(number, 9, 9, -1), -1);
  EXPECT_EQ(number, before);
}

}  // namespace
}  // namespace tarn
