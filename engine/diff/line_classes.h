// Equivalence classes of lines: equal lines of both texts get the same class
// number, so the search compares numbers instead of bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/diff/line_table.h"
#include "engine/support/guarded_vector.h"

namespace tarn {

struct LineClasses {
  // Class of each line of each table; classes are numbered from 1 in order
  // of first appearance, the first text's lines first.
  std::array<GuardedVector<std::int32_t>, 2> of;
  std::int32_t count = 0;  // the highest class number
};

// The bucket count of the class table for texts of `lines1` and `lines2`
// lines: the first listed prime (the largest below each power of two from
// 2^9 to 2^26) that is at least (lines1 + lines2 + 1) / 3.
std::size_t ClassBucketCount(std::size_t lines1, std::size_t lines2);

// Lines are equal when they hold the same bytes (no case or white-space
// folding); the hash and length only narrow the byte comparison down.
LineClasses AssignClasses(std::span<const std::uint8_t> text1, const LineTable& table1,
                          std::span<const std::uint8_t> text2, const LineTable& table2);

}  // namespace tarn
