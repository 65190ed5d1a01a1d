// Finding the record that a revision request selects, with its full number.
//
// The label and modify-header commands need the whole number of the record
// a request names (a label stores it; a branch request resolves to the
// branch's newest revision), not only its 32-byte header.
#pragma once

#include <cstdint>

#include "engine/format/revision_desc.h"
#include "engine/store/revision_scan.h"
#include "platform/file.h"

namespace tarn {

enum class Lookup {
  kFound,
  kNotFound,  // no record matches; nothing reported
  kFailed,    // a damaged or unreadable record, already reported (106, 145)
};

// Scans the records from `start_offset` for the first one that `wanted`
// accepts (called with each RevisionRecord in file order).
template <class Predicate>
Lookup FindRecordWhere(platform::File& stream, std::int64_t start_offset, Predicate wanted,
                       RevisionRecord& found) {
  RevisionScanner scanner(stream, start_offset);
  RevisionRecord record;
  while (true) {
    switch (scanner.Next(record)) {
      case RevisionScanner::Step::kRecord:
        if (wanted(record)) {
          found = record;
          return Lookup::kFound;
        }
        break;
      case RevisionScanner::Step::kEnd:
        return Lookup::kNotFound;
      case RevisionScanner::Step::kFailed:
        return Lookup::kFailed;
    }
  }
}

// Scans the records from `first_record_offset` for the first one that
// `request` selects (revision_number.h, RevisionMatches).
Lookup LookUpRevision(platform::File& stream, std::int64_t first_record_offset,
                      const tarnCommandRevDesc& request, RevisionRecord& found);

}  // namespace tarn
