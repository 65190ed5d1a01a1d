// The shortest edit script between two sequences of class numbers: Myers'
// O(ND) difference algorithm in its linear-space form, dividing each range
// at the middle snake. No cost cut-off is applied, so the script is minimal
// on the compared sequences; memory is two diagonal vectors of N + M + 3.
#pragma once

#include <cstdint>
#include <span>

#include "engine/diff/confusing_lines.h"
#include "engine/support/diff_progress.h"
#include "engine/support/guarded_vector.h"

namespace tarn {

// Marks, in `changed1` and `changed2` (indexed by the sequences' line
// indexes), every line that is not part of the common subsequence found.
// Calls progress.Step() once per range compared and every 10 cost steps of
// a middle-snake search.
void MarkEditScript(const ComparedSequence& first, const ComparedSequence& second,
                    std::span<std::uint8_t> changed1, std::span<std::uint8_t> changed2,
                    DiffProgress& progress);

// A run of changed lines: lines [first1, first1 + count1) of the first text
// become lines [first2, first2 + count2) of the second.
struct LineChange {
  std::int32_t first1 = 0;
  std::int32_t first2 = 0;
  std::int32_t count1 = 0;
  std::int32_t count2 = 0;
  bool operator==(const LineChange&) const = default;
};

// Collects the runs of changed lines, in increasing line order, one change per
// gap between unchanged lines (neighbouring changes are not merged). Unchanged
// lines pair up in order, so both texts must have as many unchanged lines.
GuardedVector<LineChange> CollectChanges(std::span<const std::uint8_t> changed1,
                                         std::span<const std::uint8_t> changed2);

}  // namespace tarn
