// Whether a logfile's header agrees with its revision records.
//
// A reader can get along with a header whose counts are off: the records
// run to the end of the file and carry their own numbers. A writer cannot:
// it takes the count, the tip's number and the sizes from the header to
// build the next logfile, and a wrong count of 0 would make a check-in treat
// the logfile as new and write one revision in place of fifty. So before a
// command changes a logfile it reads every record (checking the order and
// sizes as any scan does) and compares: the header's revision count with
// the records found, the trunk tip's number with the first record's, and the
// records with the file's length (they must end exactly where it does).
#pragma once

#include <cstdint>

#include "engine/format/logfile_header.h"
#include "platform/file.h"

namespace tarn {

// 1 when the records from `firstRecordOffset` to the end of `logfile` agree
// with `header`; -1 after reporting the logfile as damaged (or a read
// failure). The stream's position afterwards is unspecified.
int CheckHeaderAgreesWithRecords(platform::File& logfile, std::int64_t firstRecordOffset,
                                 const LogfileHeader& header);

}  // namespace tarn
