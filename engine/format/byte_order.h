// Little-endian encoding of the fixed records of a logfile.
//
// Every on-disk integer goes through these helpers: records are never cast
// from raw bytes, so the layout does not depend on the compiler's packing
// or the host's byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarn {

inline std::uint16_t LoadU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::int16_t LoadI16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::int16_t>(LoadU16(bytes, offset));
}

inline std::uint32_t LoadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

inline std::int32_t LoadI32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::int32_t>(LoadU32(bytes, offset));
}

inline void StoreU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void StoreI16(std::span<std::uint8_t> bytes, std::size_t offset, std::int16_t value) {
  StoreU16(bytes, offset, static_cast<std::uint16_t>(value));
}

inline void StoreU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  bytes[offset + 2] = static_cast<std::uint8_t>((value >> 16) & 0xFF);
  bytes[offset + 3] = static_cast<std::uint8_t>(value >> 24);
}

inline void StoreI32(std::span<std::uint8_t> bytes, std::size_t offset, std::int32_t value) {
  StoreU32(bytes, offset, static_cast<std::uint32_t>(value));
}

}  // namespace tarn
