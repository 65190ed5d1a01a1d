// Writing what a check-in planned (checkin_plan.h): the complete new logfile
// is written beside the old one and renamed over it (logfile_replace.h), so
// that a crash at any moment leaves either the old or the new logfile.
#pragma once

#include <cstdint>
#include <string>

#include "engine/commands/checkin_plan.h"
#include "engine/support/environment.h"
#include "engine/support/guarded_memory.h"
#include "platform/file.h"

namespace tarn {

// The logfile the plan is written to.
struct CheckInTarget {
  platform::File* old = nullptr;  // the old logfile; null for a new one
  std::int64_t firstRecordOffset = 0;
  std::string logfilePath;
  bool isNew = false;
  std::string workfile;  // the supplemental info describes it
};

// The texts of a new revision (see NewRevision in revision_insert.h).
struct CheckInTexts {
  std::string description;
  ByteBuffer data;
  ByteBuffer oldTipDelta;
};

// Writes the new logfile of `plan` (nothing for CheckInWrite::kNothing).
// Failures are reported (a replacement that cannot be made: 224 for a new
// logfile, else 146); the old logfile then stays as it was. 1 or -1.
int WriteCheckIn(const CheckInPlan& plan, const CheckInTarget& target, CheckInTexts texts,
                 const tarnEnvironVars& env);

}  // namespace tarn
