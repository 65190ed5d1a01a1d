// Choosing the line separator of a binary file (lfindnl): the byte value
// whose occurrences are spread most evenly at a line-like distance, so that
// the line comparison finds lines of moderate length in it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "engine/support/diff_progress.h"

namespace tarn {

// What the choice looks at for one byte value.
struct ByteSpacing {
  std::int64_t count = 0;
  std::int64_t max_gap = 0;
  std::int64_t mean_gap = 0;  // 0 unless the value occurs twice or more
  float deviation = 0.0f;     // standard deviation of the gaps, likewise
};

// Gaps run from the previous occurrence (the first from position -1).
std::array<ByteSpacing, 256> MeasureByteSpacing(std::span<const std::uint8_t> data,
                                                DiffProgress& progress = CurrentDiffProgress());

// The separator for `data`, by these rules with F its size: among the values
// whose mean gap lies in 10..1024, the one with the smallest deviation (the
// lowest value on ties) if its count lies in F/1024..F/10, else the next
// smallest, and so on; failing that, the lowest value whose count lies in
// F/1024..F/10; failing that, the most frequent value (lowest on ties) if its
// largest gap is below 1024, else the lowest value occurring more than once
// with largest gap below 1024, else the most frequent value.
std::uint8_t ChooseSeparatorFor(std::span<const std::uint8_t> data,
                                DiffProgress& progress = CurrentDiffProgress());

// Reads the file and chooses its separator. Reports message 154 (kind 10)
// first. 1 with `separator` set, or -1: file not readable (102), memory
// exhausted (138).
int ChooseSeparator(const std::string& path, std::uint8_t& separator,
                    DiffProgress& progress = CurrentDiffProgress());

}  // namespace tarn
