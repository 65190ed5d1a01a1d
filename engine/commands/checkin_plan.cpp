#include "engine/commands/checkin_plan.h"

#include "engine/format/supplemental_info.h"

namespace tarn {

namespace {

bool InEffect(const CheckInFacts& facts, std::uint16_t attribute) {
  return (facts.attributes & attribute) != 0;
}

// The lock the check-in gives back, unless it keeps it. The logfile's own
// CheckLock decides, not a command-line override: the count is the
// logfile's.
bool LowerLockCount(const CheckInFacts& facts, LogfileHeader& header) {
  if ((header.fixed._iAttributes & kAttrCheckLock) == 0 || header.fixed._iLockCount <= 0 ||
      facts.keepLock) {
    return false;
  }
  --header.fixed._iLockCount;
  return true;
}

tRevHdr NewRecord(const CheckInFacts& facts) {
  const NewRevisionNumber& number = facts.number;
  const RevElement& last = number.number.elements[static_cast<std::size_t>(number.Depth())];
  tRevHdr record;
  record.major = last.iMajor;
  record.minor = last.iMinor;
  record._iDepth = static_cast<std::int16_t>(number.Depth());
  record._iLocked = facts.keepLock ? 1 : 0;
  record._iBranchCount = 0;
  record._cTip = 1;
  record.FilePutDate = facts.putDate;
  record.FileEditDate = facts.editDate;
  record.LockerIndex = facts.keepLock ? static_cast<std::int16_t>(facts.userIndex) : 0;
  record.CreatorIndex = static_cast<std::int16_t>(facts.userIndex);
  return record;
}

CheckInPlan PlanNewRevision(const CheckInFacts& facts) {
  CheckInPlan plan;
  plan.write = CheckInWrite::kNewRevision;
  plan.number = facts.number.number;
  plan.header = facts.header;
  tLogFileHdr& fixed = plan.header.fixed;
  fixed._iRevisionCount = static_cast<std::int16_t>(fixed._iRevisionCount + 1);
  if (facts.number.IsTrunk()) {
    fixed._iMajorNumber = facts.number.number.elements[0].iMajor;
    fixed._iMinorNumber = facts.number.number.elements[0].iMinor;
  }
  LowerLockCount(facts, plan.header);
  if (plan.header.supplementalInfo.size() != kSupplementalInfoSize) {
    plan.header.supplementalInfo.assign(kSupplementalInfoSize, 0);
  }
  plan.refreshInfo = true;
  plan.infoTime = facts.putDate;
  plan.newRecord = NewRecord(facts);
  plan.insertion.base = facts.base;
  plan.insertion.number = facts.number;
  plan.insertion.keepBaseTip = facts.newBranch;
  plan.insertion.compress = InEffect(facts, kAttrCompression);
  return plan;
}

// Nothing is stored; with CheckLock the user's lock on the base goes.
CheckInPlan PlanUnchanged(const CheckInFacts& facts) {
  CheckInPlan plan;
  plan.number = facts.base.number;
  plan.header = facts.header;
  tRevHdr released = facts.base.header;
  bool changed = false;
  if (InEffect(facts, kAttrCheckLock) && !facts.keepLock) {
    released._iLocked = 0;
    released.LockerIndex = 0;
    changed = true;
  }
  changed = LowerLockCount(facts, plan.header) || changed;
  if (!changed) return plan;
  plan.write = CheckInWrite::kChangedRecord;
  // An info of another size is a foreign one: it stays as it is.
  plan.refreshInfo = plan.header.supplementalInfo.size() == kSupplementalInfoSize;
  plan.changedRecord = released;
  plan.changedRecordOffset = facts.base.offset;
  return plan;
}

}  // namespace

CheckInPlan PlanCheckIn(const CheckInFacts& facts) {
  return facts.storeRevision ? PlanNewRevision(facts) : PlanUnchanged(facts);
}

}  // namespace tarn
