#include "engine/diff/line_table.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tarn {

std::uint32_t LineHash(std::span<const std::uint8_t> line) {
  std::uint32_t hash = 0;
  for (const std::uint8_t byte : line) hash = std::rotl(hash, 7) + byte;
  return hash;
}

LineTable SplitLines(std::span<const std::uint8_t> text, std::size_t from, std::size_t to,
                     std::int32_t first_line, std::uint8_t separator) {
  const auto begin = text.begin() + static_cast<std::ptrdiff_t>(from);
  const auto end = text.begin() + static_cast<std::ptrdiff_t>(to);
  const auto lines = static_cast<std::size_t>(std::count(begin, end, separator));

  LineTable table;
  table.first_line = first_line;
  table.starts.reserve(lines + 1);
  table.hashes.reserve(lines);
  std::size_t start = from;
  while (start < to) {
    const void* found = std::memchr(text.data() + start, separator, to - start);
    // Callers guarantee the separator; without it the line runs to `to`.
    const std::size_t stop =
        found == nullptr
            ? to
            : static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - text.data());
    table.starts.push_back(static_cast<std::uint32_t>(start));
    table.hashes.push_back(LineHash(text.subspan(start, stop - start)));
    start = stop + 1;
  }
  table.starts.push_back(static_cast<std::uint32_t>(to));
  return table;
}

}  // namespace tarn
