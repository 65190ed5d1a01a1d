// The revision descriptor: a revision number or a revision request.
//
// Up to 20 elements, each a major and a minor number with a match flag. The
// same layout is stored in a logfile header as its default revision (4-byte
// head, 8 bytes per element), so its encoding lives here too.
#pragma once

#include <array>
#include <cstdint>

namespace tarn {

inline constexpr int kMaxRevisionElements = 20;
inline constexpr std::size_t kRevDescStorageSize = 164;  // 4 + 20 * 8

enum RevMatchFlag : std::int16_t {
  kMatchExact = 0,
  kMatchWildcard = 1,
  kMatchNewest = 2,
};

struct RevElement {
  std::int16_t iMajorFlag = kMatchExact;
  std::int16_t iMajor = 0;
  std::int16_t iMinorFlag = kMatchExact;
  std::int16_t iMinor = -1;

  bool operator==(const RevElement&) const = default;
};

struct tarnCommandRevDesc {
  std::int16_t iElementCount = 0;  // 1..20 in use
  std::int16_t iRangeEnd = 0;      // 0; 3 lower and 5 upper side of a range
  std::array<RevElement, kMaxRevisionElements> elements{};

  bool operator==(const tarnCommandRevDesc&) const = default;
};

}  // namespace tarn
