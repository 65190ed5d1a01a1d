// The check-in's plan, worked out without files: the header the new logfile
// starts with, the new revision's record, and the lock an unchanged
// workfile gives back.
#include "engine/commands/checkin_plan.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/format/revision_number.h"
#include "engine/format/supplemental_info.h"

namespace tarn {
namespace {

using Pairs = std::vector<std::pair<std::int16_t, std::int16_t>>;

tarnCommandRevDesc Number(const Pairs& elements) {
  tarnCommandRevDesc number;
  for (std::size_t i = 0; i < elements.size(); ++i) {
    AddRevisionElement(number, elements[i].first, elements[i].second, static_cast<int>(i));
  }
  return number;
}

// A logfile whose trunk tip is 1.2 (two revisions), with user 2 as the one
// checking in; 1.2 is locked by that user.
CheckInFacts Facts() {
  CheckInFacts facts;
  facts.header.fixed._iRevisionCount = 2;
  facts.header.fixed._iMajorNumber = 1;
  facts.header.fixed._iMinorNumber = 2;
  facts.header.fixed._iAttributes = kAttrCheckLock;
  facts.header.fixed._iLockCount = 1;
  facts.header.supplementalInfo.assign(kSupplementalInfoSize, 7);
  facts.attributes = kAttrCheckLock;
  facts.userIndex = 2;
  facts.base.number = Number({{1, 2}});
  facts.base.offset = 400;
  facts.base.header.major = 1;
  facts.base.header.minor = 2;
  facts.base.header._cTip = 1;
  facts.base.header._iLocked = 1;
  facts.base.header.LockerIndex = 2;
  facts.number.number = Number({{1, 3}});
  facts.putDate = 5000;
  facts.editDate = 4998;
  return facts;
}

struct NewRevisionCase {
  const char* name;
  void (*adjust)(CheckInFacts&);
  std::int16_t revisionCount, trunkMajor, trunkMinor, lockCount;
  tRevHdr record;  // the planned record; sizes are the writer's
};

TEST(CheckInPlanTest, NewRevisionChangesHeaderAndRecord) {
  const NewRevisionCase cases[] = {
      {"trunk revision gives the lock back", [](CheckInFacts&) {}, 3, 1, 3, 0,
       {.major = 1, .minor = 3, ._cTip = 1, .FilePutDate = 5000, .FileEditDate = 4998,
        .CreatorIndex = 2}},
      {"kept lock stays counted and on the record",
       [](CheckInFacts& f) { f.keepLock = true; }, 3, 1, 3, 1,
       {.major = 1, .minor = 3, ._iLocked = 1, ._cTip = 1, .FilePutDate = 5000,
        .FileEditDate = 4998, .LockerIndex = 2, .CreatorIndex = 2}},
      {"branch revision leaves the trunk numbers",
       [](CheckInFacts& f) {
         f.number.number = Number({{1, 2}, {1, 1}});
         f.number.startsBranch = true;
       },
       3, 1, 2, 0,
       {.major = 1, .minor = 1, ._iDepth = 1, ._cTip = 1, .FilePutDate = 5000,
        .FileEditDate = 4998, .CreatorIndex = 2}},
      {"a CheckLock override does not lower the logfile's count",
       [](CheckInFacts& f) { f.header.fixed._iAttributes = 0; }, 3, 1, 3, 1,
       {.major = 1, .minor = 3, ._cTip = 1, .FilePutDate = 5000, .FileEditDate = 4998,
        .CreatorIndex = 2}},
      {"first revision of a new logfile",
       [](CheckInFacts& f) {
         f.header.fixed._iRevisionCount = 0;
         f.header.fixed._iMinorNumber = -1;
         f.base = BaseRevision{};
         f.base.number = Number({{1, -1}});
         f.number.number = Number({{1, 1}});
       },
       1, 1, 1, 0,
       {.major = 1, .minor = 1, ._cTip = 1, .FilePutDate = 5000, .FileEditDate = 4998,
        .CreatorIndex = 2}},
  };
  for (const NewRevisionCase& c : cases) {
    SCOPED_TRACE(c.name);
    CheckInFacts facts = Facts();
    c.adjust(facts);
    const CheckInPlan plan = PlanCheckIn(facts);
    EXPECT_EQ(plan.write, CheckInWrite::kNewRevision);
    EXPECT_TRUE(SameRevisionNumber(plan.number, facts.number.number));
    EXPECT_EQ(plan.header.fixed._iRevisionCount, c.revisionCount);
    EXPECT_EQ(plan.header.fixed._iMajorNumber, c.trunkMajor);
    EXPECT_EQ(plan.header.fixed._iMinorNumber, c.trunkMinor);
    EXPECT_EQ(plan.header.fixed._iLockCount, c.lockCount);
    EXPECT_EQ(plan.newRecord, c.record);
    EXPECT_EQ(plan.insertion.base.offset, facts.base.offset);
    EXPECT_TRUE(plan.refreshInfo);
    EXPECT_EQ(plan.infoTime, std::optional<std::uint32_t>(5000));
    // Everything else in the header is carried over as it was.
    LogfileHeader rest = plan.header;
    rest.fixed = facts.header.fixed;
    EXPECT_EQ(rest, facts.header);
  }
}

TEST(CheckInPlanTest, NewRevisionOptionsReachTheInsertion) {
  CheckInFacts facts = Facts();
  facts.newBranch = true;
  facts.attributes |= kAttrCompression;
  facts.header.supplementalInfo.assign(12, 1);  // a foreign size: replaced
  const CheckInPlan plan = PlanCheckIn(facts);
  EXPECT_TRUE(plan.insertion.keepBaseTip);
  EXPECT_TRUE(plan.insertion.compress);
  EXPECT_EQ(plan.header.supplementalInfo, std::vector<std::uint8_t>(kSupplementalInfoSize, 0));

  const CheckInPlan plain = PlanCheckIn(Facts());
  EXPECT_FALSE(plain.insertion.keepBaseTip);
  EXPECT_FALSE(plain.insertion.compress);
}

struct UnchangedCase {
  const char* name;
  void (*adjust)(CheckInFacts&);
  CheckInWrite write;
  std::int16_t lockCount;
  bool baseReleased;
  bool refreshInfo;
};

TEST(CheckInPlanTest, UnchangedWorkfileOnlyGivesTheLockBack) {
  const UnchangedCase cases[] = {
      {"CheckLock: the base's lock goes", [](CheckInFacts&) {}, CheckInWrite::kChangedRecord, 0,
       true, true},
      {"kept lock: nothing to write", [](CheckInFacts& f) { f.keepLock = true; },
       CheckInWrite::kNothing, 1, false, false},
      {"no CheckLock: nothing to write",
       [](CheckInFacts& f) {
         f.attributes = 0;
         f.header.fixed._iAttributes = 0;
         f.header.fixed._iLockCount = 0;
       },
       CheckInWrite::kNothing, 0, false, false},
      {"CheckLock by override: record released, count kept",
       [](CheckInFacts& f) { f.header.fixed._iAttributes = 0; }, CheckInWrite::kChangedRecord, 1,
       true, true},
      {"a foreign supplemental info is not refreshed",
       [](CheckInFacts& f) { f.header.supplementalInfo.assign(12, 1); },
       CheckInWrite::kChangedRecord, 0, true, false},
  };
  for (const UnchangedCase& c : cases) {
    SCOPED_TRACE(c.name);
    CheckInFacts facts = Facts();
    facts.storeRevision = false;
    c.adjust(facts);
    const CheckInPlan plan = PlanCheckIn(facts);
    EXPECT_EQ(plan.write, c.write);
    EXPECT_TRUE(SameRevisionNumber(plan.number, facts.base.number));
    EXPECT_EQ(plan.header.fixed._iRevisionCount, facts.header.fixed._iRevisionCount);
    EXPECT_EQ(plan.header.fixed._iLockCount, c.lockCount);
    EXPECT_EQ(plan.refreshInfo, c.refreshInfo);
    EXPECT_FALSE(plan.infoTime.has_value());
    EXPECT_EQ(plan.header.supplementalInfo, facts.header.supplementalInfo);
    if (c.write != CheckInWrite::kChangedRecord) continue;
    tRevHdr released = facts.base.header;
    if (c.baseReleased) {
      released._iLocked = 0;
      released.LockerIndex = 0;
    }
    EXPECT_EQ(plan.changedRecord, released);
    EXPECT_EQ(plan.changedRecordOffset, facts.base.offset);
  }
}

}  // namespace
}  // namespace tarn
