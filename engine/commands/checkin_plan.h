// The check-in's plan: what the new logfile will hold, worked out from what
// the check-in found without touching a file.
//
// The check-in gathers its facts (header, attributes in effect, base, new
// number, whether the workfile is to be stored), asks PlanCheckIn what the
// new logfile holds, and hands the plan to WriteCheckIn (checkin_write.h).
// Every change a check-in makes to the header and to revision records is
// decided here, in one place.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/commands/revision_insert.h"
#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "engine/format/revision_header.h"
#include "engine/revisions/new_revision_number.h"

namespace tarn {

struct CheckInFacts {
  LogfileHeader header;          // as read, or as built for a new logfile
  std::uint16_t attributes = 0;  // the attributes in effect
  int userIndex = -1;            // the user's place in the modifier list
  BaseRevision base;
  NewRevisionNumber number;
  bool keepLock = false;
  bool newBranch = false;
  bool storeRevision = true;  // false: the workfile is unchanged and is not stored
  std::uint32_t putDate = 0;  // the check-in time, as stored
  std::uint32_t editDate = 0; // the workfile's time, as stored
};

enum class CheckInWrite {
  kNothing,        // an unchanged workfile and no lock to give back
  kNewRevision,    // the new logfile holds one more revision
  kChangedRecord,  // an unchanged workfile: only the base's lock goes
};

struct CheckInPlan {
  CheckInWrite write = CheckInWrite::kNothing;
  // The new revision's number; the base's when nothing is stored.
  tarnCommandRevDesc number;
  // The header the new logfile starts with; its supplemental info is
  // refreshed for the workfile while writing when `refreshInfo`.
  LogfileHeader header;
  bool refreshInfo = false;
  std::optional<std::uint32_t> infoTime;  // the update time the info records

  // kNewRevision: the new record (sizes and compression filled in by the
  // writer) and where it goes.
  tRevHdr newRecord;
  InsertionPlan insertion;

  // kChangedRecord: the base's record head as it becomes.
  tRevHdr changedRecord;
  std::int64_t changedRecordOffset = -1;
};

CheckInPlan PlanCheckIn(const CheckInFacts& facts);

}  // namespace tarn
