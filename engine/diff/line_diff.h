// The comparison of two texts (ldiff): a line-oriented difference with a
// final byte-level refinement, producing the delta that turns the source
// into the target.
//
// Both texts are held whole in memory. A text whose last byte is not the
// separator is compared as if it had one; a missing final separator alone
// is no difference (the result is 0), but when the texts differ otherwise
// the delta reproduces the target exactly, its final separator or the lack
// of it included.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/support/diff_progress.h"
#include "engine/support/guarded_memory.h"

namespace tarn {

// Compares `source` with `target` in memory, lines ending at `separator`.
// 1: they differ and `delta` holds the records; 0: they compare equal and
// `delta` is empty; -1: failure (memory exhausted or a text too large for
// delta positions: message 138), `delta` is then empty.
// Reports message 155 (kind 10) before the search; `progress` is stepped
// while the search runs and finished on every exit.
int CompareBuffers(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
                   std::uint8_t separator, ByteBuffer& delta,
                   DiffProgress& progress = CurrentDiffProgress());

// The same for two files: the delta file is created (truncated) first and
// receives the records. 1 differ, 0 equal (empty delta file), -1 failure:
// delta file not creatable (103), an input not openable (102) or not
// readable whole (106), writing the delta failed (107), memory (138). On
// failure the caller deletes the partial delta file.
int CompareFiles(const std::string& delta_path, const std::string& source_path,
                 const std::string& target_path, std::uint8_t separator,
                 DiffProgress& progress = CurrentDiffProgress());

}  // namespace tarn
