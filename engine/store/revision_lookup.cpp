#include "engine/store/revision_lookup.h"

#include "engine/format/revision_number.h"

namespace tarn {

Lookup LookUpRevision(platform::File& stream, std::int64_t first_record_offset,
                      const tarnCommandRevDesc& request, RevisionRecord& found) {
  return FindRecordWhere(
      stream, first_record_offset,
      [&](const RevisionRecord& record) {
        return RevisionMatches(request, record.number, record.header);
      },
      found);
}

}  // namespace tarn
