// Reconstructing a revision: the newest trunk revision is stored whole; every
// other revision is reached by applying, in file order, the deltas of the
// records on its path (reverse deltas down the trunk, then forward deltas out
// along its branches), skipping every record off the path.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/format/revision_desc.h"
#include "engine/format/revision_header.h"
#include "engine/support/guarded_memory.h"
#include "platform/file.h"

namespace tarn {

// The record a rebuild stopped at.
struct RebuiltRevision {
  // Its header; for a compressed record RevSize holds the expanded length, so
  // a caller writing the header back must restore the stored length first.
  tRevHdr header;
  tarnCommandRevDesc number;  // its full revision number
  std::int64_t offset = 0;    // of its 32-byte header
};

// True when the record numbered `record` (depth = its element count - 1)
// lies on the path to `wanted`: every trunk record does; a branch record
// when it is no deeper than `wanted`, agrees with it in every element below
// its depth and in the major number (the branch) at its depth.
bool OnRevisionPath(const tarnCommandRevDesc& record, const tarnCommandRevDesc& wanted);

// Rebuilds into `text` the revision that request `wanted` selects, walking
// the records from `firstRecordOffset` (the trunk tip). 1 when found (and
// `found` describes it); -1 when no record on the path matches (nothing
// reported: the caller names what it looked for) or on failure: a damaged
// or unreadable record or stored data that does not expand or apply (106,
// 145), memory (138). The stream position afterwards is unspecified.
int RebuildRevisionText(platform::File& logfile, std::int64_t firstRecordOffset,
                        const tarnCommandRevDesc& wanted, ByteBuffer& text,
                        RebuiltRevision* found = nullptr);

// The same, writing the text into the temporary file `tempPath` (created or
// truncated; 146 when it cannot be, 107 on a short write). On failure the
// temporary file is deleted and `found` is left alone.
int RebuildRevision(platform::File& logfile, std::int64_t firstRecordOffset,
                    const tarnCommandRevDesc& wanted, const std::string& tempPath,
                    RebuiltRevision& found);

// Applies one record's stored data (a delta, compressed or not) to `text`;
// an empty record leaves it as it is. 1, or -1 with the reason reported
// (106 for data that does not expand or does not fit the text, 138).
int ApplyRecordData(std::span<const std::uint8_t> stored, bool compressed, ByteBuffer& text);

}  // namespace tarn
