// tRevHdr: the 32-byte head of a revision record, and its encoding.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tarn {

inline constexpr std::size_t kRevisionHeaderSize = 32;

struct tRevHdr {
  std::int16_t major = 0;          // 0  MajorRev
  std::int16_t minor = 0;          // 2  MinorRev
  std::int16_t _iLocked = 0;       // 4
  std::int16_t _iBranchCount = 0;  // 6
  std::int16_t _iDepth = 0;        // 8
  std::uint8_t _cTip = 0;          // 10
  std::uint8_t _cCompressed = 0;   // 11
  std::uint16_t reserved = 0;      // 12, not interpreted; written as read
  std::uint32_t FilePutDate = 0;   // 14
  std::uint32_t FileEditDate = 0;  // 18
  std::uint32_t RevSize = 0;       // 22
  std::int16_t LockerIndex = 0;    // 26
  std::int16_t CreatorIndex = 0;   // 28
  std::int16_t _iDescSize = 0;     // 30

  bool operator==(const tRevHdr&) const = default;
};

tRevHdr DecodeRevisionHeader(std::span<const std::uint8_t, kRevisionHeaderSize> bytes);
std::array<std::uint8_t, kRevisionHeaderSize> EncodeRevisionHeader(const tRevHdr& header);

}  // namespace tarn
