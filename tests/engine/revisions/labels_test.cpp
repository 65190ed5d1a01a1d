#include "engine/revisions/labels.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "engine/format/revision_number.h"

namespace tarn {
namespace {

LabelRecord Label(std::string text, std::initializer_list<std::pair<int, int>> elements,
                  std::int16_t creator = 0) {
  LabelRecord label;
  label.text = std::move(text);
  label.iCreator = creator;
  label.iVersionSize = static_cast<std::int16_t>(label.text.size() + 1);
  for (const auto& [major, minor] : elements) {
    label.elements[static_cast<std::size_t>(label.iRevisionCount++)] = {
        static_cast<std::int16_t>(major), static_cast<std::int16_t>(minor)};
  }
  return label;
}

tarnCommandRevDesc Number(std::initializer_list<std::pair<int, int>> elements) {
  tarnCommandRevDesc number;
  int index = 0;
  for (const auto& [major, minor] : elements) {
    AddRevisionElement(number, static_cast<std::int16_t>(major), static_cast<std::int16_t>(minor),
                       index++);
  }
  return number;
}

tRevHdr Revision(std::int16_t depth, std::int16_t major, std::int16_t minor, bool tip) {
  tRevHdr header;
  header._iDepth = depth;
  header.major = major;
  header.minor = minor;
  header._cTip = tip ? 1 : 0;
  return header;
}

TEST(Labels, FindTakesTheFirstExactMatchInFileOrder) {
  LogfileHeader header;
  EXPECT_EQ(FindLabel(header, "REL1"), nullptr);  // no labels at all
  header.labels = {Label("REL1", {{1, 3}}, 2), Label("rel1", {{1, 2}}), Label("REL1", {{1, 1}})};
  const LabelRecord* found = FindLabel(header, "REL1");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found, &header.labels[0]);  // the newer of the two
  EXPECT_EQ(FindLabel(header, "rel1"), &header.labels[1]);
  EXPECT_EQ(FindLabel(header, "REL"), nullptr);
  EXPECT_EQ(FindLabel(header, "REL1 "), nullptr);
}

TEST(Labels, RequestOfAFixedLabelIsExact) {
  const tarnCommandRevDesc request = LabelToRequest(Label("FIX", {{1, 2}, {1, 3}}));
  EXPECT_EQ(request.iElementCount, 2);
  EXPECT_EQ(request.elements[0], (RevElement{kMatchExact, 1, kMatchExact, 2}));
  EXPECT_EQ(request.elements[1], (RevElement{kMatchExact, 1, kMatchExact, 3}));

  tarnCommandRevDesc effective = Number({{1, 2}, {1, 3}});
  EXPECT_TRUE(RevisionMatches(request, effective, Revision(1, 1, 3, false)));
  effective = Number({{1, 2}, {1, 4}});
  EXPECT_FALSE(RevisionMatches(request, effective, Revision(1, 1, 4, true)));
}

TEST(Labels, RequestOfAFloatingLabelFollowsTheTip) {
  const tarnCommandRevDesc request = LabelToRequest(Label("FLOAT", {{1, 2}, {1, -1}}));
  EXPECT_EQ(request.iElementCount, 2);
  EXPECT_EQ(request.elements[1], (RevElement{kMatchExact, 1, kMatchNewest, -1}));

  const tarnCommandRevDesc branchRevision = Number({{1, 2}, {1, 3}});
  EXPECT_FALSE(RevisionMatches(request, branchRevision, Revision(1, 1, 3, false)));
  // After a check-in on the branch the new tip is the one selected.
  const tarnCommandRevDesc newTip = Number({{1, 2}, {1, 4}});
  EXPECT_TRUE(RevisionMatches(request, newTip, Revision(1, 1, 4, true)));
  // Branch 2 of the same revision is another line.
  const tarnCommandRevDesc otherBranch = Number({{1, 2}, {2, 1}});
  EXPECT_FALSE(RevisionMatches(request, otherBranch, Revision(1, 2, 1, true)));
}

TEST(Labels, LabelOfARevisionHonoursFloatingLabelsOnlyAtTheTip) {
  LogfileHeader header;
  header.labels = {Label("FLOAT", {{1, 2}, {1, -1}}), Label("OLD", {{1, 2}, {1, 1}}),
                   Label("TRUNK", {{1, 2}}), Label("SECOND", {{1, 2}, {1, 1}})};

  const LabelRecord* label =
      LabelOfRevision(header, Number({{1, 2}, {1, 1}}), Revision(1, 1, 1, false));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text, "OLD");  // the first of the two fixed ones

  label = LabelOfRevision(header, Number({{1, 2}, {1, 1}}), Revision(1, 1, 1, true));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text, "FLOAT");  // comes first and the revision is the tip

  label = LabelOfRevision(header, Number({{1, 2}}), Revision(0, 1, 2, false));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text, "TRUNK");

  EXPECT_EQ(LabelOfRevision(header, Number({{1, 3}}), Revision(0, 1, 3, true)), nullptr);
  EXPECT_EQ(LabelOfRevision(header, Number({{1, 2}, {2, 1}}), Revision(1, 2, 1, true)), nullptr);
  EXPECT_EQ(LabelOfRevision(header, Number({{1, 3}, {1, 1}}), Revision(1, 1, 1, true)), nullptr);
}

TEST(Labels, FormattedTextShowsNumberAndText) {
  EXPECT_EQ(FormatLabel(Label("REL1", {{1, 3}})), "1.3 -- REL1");
  EXPECT_EQ(FormatLabel(Label("branch tip", {{1, 2}, {1, -1}})), "1.2.1 -- branch tip");
  EXPECT_EQ(FormatLabel(Label("a -- b", {{2, 0}})), "2.0 -- a -- b");
  EXPECT_EQ(LabelTextOf("2.0 -- a -- b"), "a -- b");
  EXPECT_EQ(LabelTextOf("no separator"), "no separator");

  // A record built with an impossible count never reads past its elements.
  LabelRecord damaged = Label("X", {{1, 1}});
  damaged.iRevisionCount = 400;
  std::string expected = "1.1";
  for (int k = 1; k < kMaxRevisionElements; ++k) expected += ".0.0";
  EXPECT_EQ(FormatLabel(damaged), expected + " -- X");
  const tarnCommandRevDesc request = LabelToRequest(damaged);
  EXPECT_EQ(request.iElementCount, kMaxRevisionElements);
}

}  // namespace
}  // namespace tarn
