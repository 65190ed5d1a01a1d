// The common beginning and end of two compared texts, found byte by byte
// before any line work: lines inside them are equal and are not compared.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarn {

struct CommonEnds {
  // End of the common prefix, at a line start; the same offset in both texts.
  std::size_t prefix_end = 0;
  // Number of lines in the common prefix.
  std::int32_t prefix_lines = 0;
  // Start of the common suffix in each text, at a line start; the text's
  // size when there is no common suffix. Never inside the prefix.
  std::array<std::size_t, 2> suffix_start{};
};

// Both texts end with the separator (or are empty). When either is empty,
// prefix and suffix are empty.
CommonEnds FindCommonEnds(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
                          std::uint8_t separator);

}  // namespace tarn
