// The rules for locking a revision, and recording a lock in place.
//
// A user may lock a revision when it is not locked already, the user is in
// the logfile's access list, and the user holds no other lock in the
// logfile: one lock per user and logfile, so that a check-in knows which
// revision it continues. Both the lock command and the get command's
// check-out go through here.
//
// A user in the access list who is not in the modifier list (the list the
// stored user indexes point into) is refused: a lock must store the user's
// index, and adding the name would change the header's size, which an
// in-place lock cannot do. Such a user could not check in either; the
// logfile's owner adds the name with the modify-header command.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_header.h"
#include "engine/support/environment.h"
#include "platform/file.h"

namespace tarn {

// Checks whether env.userName may lock `revision`, a record of the logfile
// open as `stream` whose revision records start at `first_record_offset`.
// `revision_number` is its number as shown in messages. On success (1) the
// record's lock flag and locker index are set in `revision` (not yet in the
// file). On refusal (-1) the reason has been reported: 153 locked already
// (naming the holder), 137 not in the access list, 230 not in the modifier
// list, 177 another lock held (naming that revision), or a read fault. The
// stream's position is restored in every case.
int CheckLockRules(platform::File& stream, std::int64_t first_record_offset,
                   std::string_view file_name, const LogfileHeader& header,
                   const tarnEnvironVars& env, tRevHdr& revision);

// Reads the 32-byte revision header at `offset` exactly as stored. Reports
// 106 and returns -1 when that fails.
int ReadRevisionHeaderAt(platform::File& stream, std::int64_t offset, tRevHdr& revision);

void ReportAccessListCure(const LogfileHeader& header, std::string_view file_name);
void ReportLockHolderCure(std::string_view holder, std::string_view file_name);

}  // namespace tarn
