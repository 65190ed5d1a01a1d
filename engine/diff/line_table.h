// The lines of a compared text between its common prefix and suffix: where
// each starts and the hash that sorts it into an equivalence class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/support/guarded_vector.h"

namespace tarn {

struct LineTable {
  // Index in the whole text of the first line held here (the number of
  // common prefix lines).
  std::int32_t first_line = 0;
  // Start offset of every line held, then the end entry: where the next
  // line would start (the start of the common suffix).
  GuardedVector<std::uint32_t> starts;
  GuardedVector<std::uint32_t> hashes;

  std::int32_t count() const { return static_cast<std::int32_t>(hashes.size()); }
  std::size_t Start(std::int32_t line) const { return starts[static_cast<std::size_t>(line)]; }
  // Length of a line without its separator.
  std::uint32_t Length(std::int32_t line) const {
    const auto i = static_cast<std::size_t>(line);
    return starts[i + 1] - starts[i] - 1;
  }
};

// The line hash: rotate left by 7 bits, add the byte.
std::uint32_t LineHash(std::span<const std::uint8_t> line);

// Cuts text[from, to) into lines at each separator; `from` and `to` are line
// starts and every line in between ends with the separator.
LineTable SplitLines(std::span<const std::uint8_t> text, std::size_t from, std::size_t to,
                     std::int32_t first_line, std::uint8_t separator);

}  // namespace tarn
