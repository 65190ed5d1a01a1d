// The revision history that the Log keyword inserts into a text workfile:
// the module description, then the fetched revision and its ancestors,
// newest first, each with its author, check-in time and description, every
// line starting with the logfile's comment prefix, and an end marker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "engine/format/revision_header.h"
#include "engine/store/revision_scan.h"
#include "platform/file.h"

namespace tarn {

// True when `candidate` is `fetched` or one of its ancestors: no more
// elements, the same numbers below its last element, and in the last the
// same major and a minor not above the fetched number's at that depth.
bool IsAncestorOrSelf(const tarnCommandRevDesc& candidate, const tarnCommandRevDesc& fetched);

// Collects the fetched revision and its ancestors in one pass over the
// revision records from `first_record_offset` to the end of the logfile.
// Trunk records come newest first in the file and are appended; a branch
// record comes after its branch point and the older revisions of its branch,
// so it goes in front. The result runs from the fetched revision back through
// its branch points to the oldest trunk revision. 1, or -1 (reported) when a
// record cannot be read or positioned to.
int CollectAncestors(platform::File& logfile, std::int64_t first_record_offset,
                     const tarnCommandRevDesc& fetched, std::deque<RevisionRecord>& ancestors);

// Appends the history text that follows "$Log: path $": a line holding the
// comment prefix alone, the module description, at most `limit` entries of
// `ancestors` with their descriptions (read from the logfile), and the end
// marker (the prefix, then "$", the end keyword and "$"). Lines end in LF.
// 1, or -1 (reported) when a description cannot be read.
int AppendRevisionHistory(const LogfileHeader& header, platform::File& logfile,
                          const std::deque<RevisionRecord>& ancestors, std::size_t limit,
                          std::string& out);

}  // namespace tarn
