// Labels: user-chosen texts attached to revision numbers, kept in the
// logfile header (newest first).
//
// A label whose last element has minor -1 floats: it names the newest
// revision of that line rather than a fixed revision. Reading and writing the
// label records belongs to the header reader and writer; this file holds what
// the commands do with labels once the header is in memory.
#pragma once

#include <string>
#include <string_view>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "engine/format/revision_header.h"

namespace tarn {

// The first label in file order whose text equals `text` exactly (letter case
// counts), or null. The pointer lives as long as the header's label array.
const LabelRecord* FindLabel(const LogfileHeader& header, std::string_view text);

// The request that selects the labelled revision: every element exact, except
// the last minor of a floating label, which asks for the newest revision.
tarnCommandRevDesc LabelToRequest(const LabelRecord& label);

// The first label in file order that names the revision with full number
// `number` and header `revision` (a floating label names its line's tip), or
// null.
const LabelRecord* LabelOfRevision(const LogfileHeader& header, const tarnCommandRevDesc& number,
                                   const tRevHdr& revision);

// The label's revision number and text as shown to users: "1.3 -- REL1"; a
// floating label on branch 1.2.1 shows as "1.2.1 -- NAME".
std::string FormatLabel(const LabelRecord& label);

// The part of a formatted label after the first " -- " (the whole text when
// there is none).
std::string_view LabelTextOf(std::string_view formattedLabel);

}  // namespace tarn
