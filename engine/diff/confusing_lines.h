// Discarding confusing lines before the search: a line whose content never
// occurs in the other text cannot match and is recorded as changed at once;
// lines that occur very often in the other text are left out too when they
// stand among such lines, which keeps the search from wandering.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "engine/support/guarded_vector.h"

namespace tarn {

// A class occurring more often than this in the other text makes a line
// provisional; the threshold does not depend on the text's length.
inline constexpr std::int32_t kFrequentClassThreshold = 5;

// The lines of one text that take part in the search.
struct ComparedSequence {
  GuardedVector<std::int32_t> classes;  // their class numbers, in order
  GuardedVector<std::int32_t> lines;    // their line indexes
};

struct DiscardResult {
  // Per line of each text: 1 when the line is recorded as changed.
  std::array<GuardedVector<std::uint8_t>, 2> changed;
  std::array<ComparedSequence, 2> sequences;
};

// Per-line marks: 0 keep, 1 discard, 2 provisional. Exposed for tests.
GuardedVector<std::uint8_t> MarkConfusingLines(std::span<const std::int32_t> classes,
                                               std::span<const std::int32_t> other_counts);
void SettleProvisionalLines(std::span<std::uint8_t> marks);

// `classes` holds the class of every line of each text (classes 1..count).
DiscardResult DiscardConfusingLines(const std::array<GuardedVector<std::int32_t>, 2>& classes,
                                    std::int32_t class_count);

}  // namespace tarn
