// Breaking a logfile's lock by hand ("tunlock -break").
//
// A lock of another machine is never cleared by guessing (its command may
// sit at a question; its clock may be off), nor is a lock file this version
// cannot read. When a person knows that no command holds it any more, a
// member of the logfile's access list removes it with this command. It
// removes exactly the lock file it was shown: if the file changed
// meanwhile (its holder let go, another took it), nothing is removed. A
// holder that is still at work afterwards finds its token gone before it
// renames anything and changes nothing. The break goes into the journal.
#pragma once

#include "engine/commands/lock_command.h"
#include "engine/support/environment.h"

namespace tarn {

// 1 when the lock file was removed (reported with whose it was), 2 when
// there was none; -1 when the user is not on the logfile's access list, the
// lock file changed while it was being removed, or it could not be removed.
// Where there is no logfile yet (a first check-in that was killed), anyone
// who may write the directory may break the lock.
int BreakLogfileLock(const LockCommandArgs& args, const tarnEnvironVars& env);

}  // namespace tarn
