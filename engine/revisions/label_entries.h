// Editing the label list of a logfile header in memory: new entries,
// removal, and the revision number an entry names.
//
// The list is kept newest first; the header writer keeps the label count and
// the text sizes in step with it.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"

namespace tarn {

// True when `request` names a branch rather than one revision: its last
// element has an exact major number and asks for the newest minor ("1.2.1",
// or "1" for the trunk). The keyword for the trunk tip is not a branch.
bool IsBranchRequest(const tarnCommandRevDesc& request);

// True when the label floats: the minor number of its last element is -1.
bool IsFloating(const LabelRecord& label);

// A label entry for the revision with full number `number`, created by the
// user at position `creator` of the user list. A floating entry keeps the
// number's elements but has -1 as its last minor, so that it follows the
// branch's newest revision.
LabelRecord MakeLabelEntry(const tarnCommandRevDesc& number, bool floating, std::int16_t creator,
                           std::string_view text);

// Removes the first entry whose text is `text` (letter case counts); later
// entries move up. False when there is none.
bool RemoveLabelEntry(LogfileHeader& header, std::string_view text);

// The revision number a label names, as a descriptor with exact elements
// (a floating label's last minor stays -1, which formats as the branch).
tarnCommandRevDesc LabelNumber(const LabelRecord& label);

}  // namespace tarn
