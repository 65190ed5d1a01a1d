// The check-in command ("tput"): stores the workfile as a new revision of its
// logfile, creating the logfile the first time.
//
// The flow: the workfile is read; the logfile lock is taken; the logfile is
// opened (or a new header built); the base revision is found and the new
// number worked out; the workfile is compared with the base (an unchanged
// workfile is stored only when the user says so); what the new logfile
// holds (header, new record, a released lock) is planned from those facts
// without touching a file (checkin_plan.h); the complete new logfile is
// written beside the old one and renamed over it (checkin_write.h), so that
// a crash at any moment leaves either the old or the new logfile; the lock
// is released; then the workfile is deleted, protected or refreshed and the
// journal written.
#pragma once

#include "engine/commands/checkin_command_line.h"
#include "engine/format/revision_desc.h"
#include "engine/support/environment.h"

namespace tarn {

struct CheckInOutcome {
  bool stored = false;  // a revision was added
  // The new revision's number; when nothing was stored, the base's.
  tarnCommandRevDesc number;
};

// Runs the check-in. 1 success (also when an unchanged workfile was not
// stored); 2 no base revision (the user holds no lock, the default branch
// does not exist); -1 failure, reported, with the old logfile unchanged. The
// environment's attribute word becomes the attributes in effect.
int RunCheckIn(const CheckInRecord& record, tarnEnvironVars& env, CheckInOutcome& outcome);
int RunCheckIn(const CheckInRecord& record, tarnEnvironVars& env);

}  // namespace tarn
