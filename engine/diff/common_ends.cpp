#include "engine/diff/common_ends.h"

#include <algorithm>
#include <cstring>

namespace tarn {
namespace {

// Offset of the first byte at which the texts differ, or the shorter length.
std::size_t FirstDifference(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  const std::size_t limit = std::min(a.size(), b.size());
  std::size_t i = 0;
  // Eight bytes at a time while they agree, then byte by byte.
  for (; i + 8 <= limit; i += 8) {
    std::uint64_t x;
    std::uint64_t y;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    if (x != y) break;
  }
  while (i < limit && a[i] == b[i]) ++i;
  return i;
}

bool AtLineStart(std::span<const std::uint8_t> text, std::size_t offset, std::uint8_t separator) {
  return offset == 0 || text[offset - 1] == separator;
}

}  // namespace

CommonEnds FindCommonEnds(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
                          std::uint8_t separator) {
  CommonEnds ends;
  ends.suffix_start = {first.size(), second.size()};
  if (first.empty() || second.empty()) return ends;

  std::size_t prefix_end = FirstDifference(first, second);
  if (prefix_end < first.size() || first.size() != second.size()) {
    while (prefix_end > 0 && first[prefix_end - 1] != separator) --prefix_end;
  }
  ends.prefix_end = prefix_end;
  ends.prefix_lines = static_cast<std::int32_t>(std::count(
      first.begin(), first.begin() + static_cast<std::ptrdiff_t>(prefix_end), separator));

  // The suffix may not reach into the prefix of either text: a line that is
  // both prefix and suffix would be counted once for two different lines.
  std::size_t end1 = first.size();
  std::size_t end2 = second.size();
  while (end1 > prefix_end && end2 > prefix_end && first[end1 - 1] == second[end2 - 1]) {
    --end1;
    --end2;
  }
  while (end1 < first.size() &&
         !(AtLineStart(first, end1, separator) && AtLineStart(second, end2, separator))) {
    ++end1;
    ++end2;
  }
  ends.suffix_start = {end1, end2};
  return ends;
}

}  // namespace tarn
