// Compressed revision data: the 10-byte compressHeader and the LZRW1 coding
// behind it.
//
// A stored revision (a whole text or a delta) may be kept as one block:
// header, then groups of a 16-bit control word and up to 16 items (literal
// bytes or 2-byte copies of 3..16 bytes from up to 4095 bytes back). The
// coder is deterministic: the same input always gives the same block, byte
// for byte, so logfiles written anywhere compare equal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "engine/support/guarded_memory.h"

namespace tarn {

inline constexpr std::size_t kCompressHeaderSize = 10;
inline constexpr std::uint16_t kCompressMethodLzrw1 = 1;

// The header in front of compressed data; all fields little-endian.
struct compressHeader {
  std::uint32_t beforeCompressionSize = 0;      // 0: length of the raw data
  std::uint32_t afterCompressionSize = 0;       // 4: length of the block, header included
  std::uint16_t method = kCompressMethodLzrw1;  // 8

  bool operator==(const compressHeader&) const = default;
};

// Reads the header from the first 10 bytes; empty when fewer bytes are given.
std::optional<compressHeader> DecodeCompressHeader(std::span<const std::uint8_t> bytes);
void EncodeCompressHeader(const compressHeader& header,
                          std::span<std::uint8_t, kCompressHeaderSize> bytes);

// Compresses `data` in place. 1: `data` now holds the block (always strictly
// shorter than the raw data). -1: compression would not make the data
// smaller (or memory ran out); `data` is untouched and is stored raw.
// Never reports a message.
int Compress(ByteBuffer& data);

// Expands the block in `block` in place. 1: `block` now holds exactly
// beforeCompressionSize raw bytes. -1: the block is malformed (bad header,
// an item running past the block, a copy reaching before the start of the
// output, output longer or shorter than the header claims) or memory ran
// out; `block` is untouched. Never reads or writes outside its buffers and
// never reports a message: the caller knows what the block belonged to.
int Expand(ByteBuffer& block);

// The largest raw length Expand believes a block of `block_size` bytes can
// stand for: a group of 16 copies (34 bytes) yields at most 256 bytes.
constexpr std::uint64_t MaxExpandedSize(std::uint64_t block_size) {
  return block_size <= kCompressHeaderSize ? 0 : (block_size - kCompressHeaderSize) * 8;
}

}  // namespace tarn
