// How the numbers of a ,v file map onto logfile numbers.
//
// Both systems number alike: a revision is pairs of fields (1.4; 1.2.1.3 is
// the third revision of branch 1 started at 1.2), so every pair becomes one
// element, major and minor. A logfile holds at most 19 elements for a
// revision and fields up to 32767. A branch number (an odd count of fields,
// 1.2.1) becomes a floating number whose last minor is -1: the newest
// revision of that branch. The magic branch numbers of CVS (1.2.0.4, a
// branch 1.2.4 that has no revision yet) are taken as the branch they name.
#pragma once

#include <optional>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "import/rcs_file.h"

namespace tarn::rcs {

// The deepest revision a logfile holds: 19 elements.
inline constexpr std::size_t kMaxImportedFields = 38;

// The exact descriptor of revision `number`, or none when it cannot be held.
std::optional<tarnCommandRevDesc> RevisionDescriptor(const Number& number);

// The descriptor of branch `number` (an odd count of fields): its newest
// revision. None when it cannot be held.
std::optional<tarnCommandRevDesc> BranchDescriptor(const Number& number);

// A label on what a symbol names: a revision (exact) or a branch
// (floating). None when the number cannot be held.
std::optional<LabelRecord> SymbolLabel(const std::string& name, const Number& number);

}  // namespace tarn::rcs
