#include "engine/revision_lookup.h"

#include "engine/revision_number.h"

namespace tarn {

Lookup LookUpRevision(platform::File& stream, std::int64_t first_record_offset,
                      const tarnCommandRevDesc& request, RevisionRecord& found) {
  RevisionScanner scanner(stream, first_record_offset);
  RevisionRecord record;
  while (true) {
    switch (scanner.Next(record)) {
      case RevisionScanner::Step::kRecord:
        if (RevisionMatches(request, record.number, record.header)) {
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

}  // namespace tarn
