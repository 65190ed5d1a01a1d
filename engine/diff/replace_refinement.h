// Byte-level refinement of a replaced run of lines: only the bytes that
// really differ are stored, so a one-letter edit in a long line costs a
// one-byte record instead of the whole line twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/support/guarded_memory.h"

namespace tarn {

// Equal bytes at equal offsets shorter than this stay inside a replace
// record: a new record head (14 bytes) would cost more than they do.
inline constexpr std::size_t kMinSkippedRun = 15;

// Appends records that turn `old_bytes` (the source text's bytes from
// `position` on) into `new_bytes`: the common byte prefix and suffix are
// stripped; when more than 14 bytes remain on both sides, the ranges are
// walked in lockstep and every run of at least 15 equal bytes at equal
// offsets splits the replacement into two records; what is left after the
// last split becomes one insert, delete or replace record.
void AppendRefinedReplace(ByteBuffer& delta, std::size_t position,
                          std::span<const std::uint8_t> old_bytes,
                          std::span<const std::uint8_t> new_bytes);

}  // namespace tarn
