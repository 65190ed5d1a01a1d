// Revision numbers: parsing and formatting revision requests, the effective
// number of a revision record, and matching a request against a record.
//
// A revision number is a sequence of elements, one per branch depth, each a
// major and a minor number ("1.2.1.3": branch 1 started at 1.2, its third
// revision). A request uses the same descriptor with match flags per number:
// exact, wildcard or newest. The record order that gives every record its
// full number is described in revision_scan.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/format/revision_desc.h"
#include "engine/format/revision_header.h"

namespace tarn {

enum class RevisionParse {
  kParsed,
  kMalformed,        // nothing reported: the caller names the argument it came from
  kTooManyElements,  // more than 20 elements; already reported (message 148)
};

// Parses a revision request: the trunk-tip keyword (message 25, letter case
// ignored), "*", or dotted numbers such as "1.2", "1.2." or "1.2.1.*".
// Wildcards take `wildcardValue` (0 for the lower side of a range, -1 for the
// upper side). `result` is overwritten only when the text parses.
RevisionParse ParseRevisionRequest(std::string_view text, std::int16_t wildcardValue,
                                   tarnCommandRevDesc& result);

// The text form: "%d.%d." per element ("%d." when the minor is negative),
// the final '.' dropped. An empty descriptor formats as "".
std::string FormatRevision(const tarnCommandRevDesc& descriptor);

// Brings the effective number of the scan up to the record just read: the
// element count becomes depth + 1 and element [depth] the record's own
// numbers; elements below keep what earlier records set. -1 (and `effective`
// unchanged) when the record's depth cannot be held in a descriptor.
int UpdateEffectiveDescriptor(tarnCommandRevDesc& effective, const tRevHdr& header);

// True when request `wanted` selects the record with effective number
// `effective` and header `header`: equal element counts, equal numbers below
// the last element, and in the last element each number equal or, for the
// flag "newest", the record being the tip of its line.
bool RevisionMatches(const tarnCommandRevDesc& wanted, const tarnCommandRevDesc& effective,
                     const tRevHdr& header);

// Sets element [index] to (major, minor), exact, and the element count to
// index + 1. -1 (descriptor unchanged) for an index outside 0..19.
int AddRevisionElement(tarnCommandRevDesc& descriptor, std::int16_t major, std::int16_t minor,
                       int index);

// True when two descriptors name the same revision number (counts and the
// numbers of the elements in use; flags and unused slots are ignored).
bool SameRevisionNumber(const tarnCommandRevDesc& a, const tarnCommandRevDesc& b);

}  // namespace tarn
