#include "engine/format/compression.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

#include "engine/format/byte_order.h"

namespace tarn {
namespace {

constexpr std::size_t kItemsPerGroup = 16;
constexpr std::size_t kMaxMatch = 16;
constexpr std::uint32_t kMaxOffset = 4095;
constexpr std::size_t kHashSlots = 4096;
// While this much raw data remains, a whole group of 16 items cannot run
// past the end (16 items of at most 16 bytes), so the output limit is
// checked once per group and matches never need a length bound.
constexpr std::size_t kGroupBatchMinimum = 256;
// The positions a group's items can start at: 15 items of up to 16 bytes
// before the last.
constexpr std::size_t kGroupReach = (kItemsPerGroup - 1) * kMaxMatch + 1;
constexpr std::size_t kHashChunk = 4096;
// One group of 16 copy items and the next control word: what a batch begun
// just below the output limit may still write.
constexpr std::size_t kBatchOverrun = kItemsPerGroup * 2 + 2;
// Raw positions are kept in the hash table biased by this much, so that an
// empty slot (0) is always more than kMaxOffset behind any position.
constexpr std::uint32_t kSlotBias = 4096;
// Positions must stay representable in a biased 32-bit slot, and the sizes
// in a 32-bit header field.
constexpr std::size_t kMaxCompressibleSize = 0x7FFFFFFF;
// The group-at-a-time decoder reads a group (control word and 16 two-byte
// items) and 16 bytes past its last item.
constexpr std::size_t kDecodeBatchInput = 2 + kItemsPerGroup * 2 + 16;
// Expansion writes whole 16-byte chunks for copies; the output buffer is that
// much longer than the data while it is being filled.
constexpr std::size_t kExpandSlack = 16;

inline std::uint64_t Load64(const std::uint8_t* bytes) {
  std::uint64_t value;
  std::memcpy(&value, bytes, sizeof value);
  if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap64(value);
  return value;
}

// The first four bytes at `bytes`, the first byte lowest.
inline std::uint32_t Load32(const std::uint8_t* bytes) {
  std::uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap32(value);
  return value;
}

// The hash of three bytes: bits 4 to 15 of the mixed bytes times 40543.
inline std::uint32_t HashOfBytes(std::uint32_t b0, std::uint32_t b1, std::uint32_t b2) {
  const std::uint32_t mixed = (((b0 << 4) ^ b1) << 4) ^ b2;
  return ((mixed * 40543u) >> 4) & 0xFFF;
}

// The hash of the three bytes held in the low 24 bits of `word`.
inline std::uint32_t HashOfThree(std::uint32_t word) {
  return HashOfBytes(word & 0xFF, (word >> 8) & 0xFF, (word >> 16) & 0xFF);
}

// The hash of every position from `first` up to `last` (exclusive), each
// needing three bytes. Only 16 bits of the product matter, so the compiler
// vectorises the loop with 16-bit multiplies.
void HashPositions(const std::uint8_t* in, std::size_t first, std::size_t last,
                   std::uint16_t* hashes) {
  for (std::size_t p = first; p < last; ++p) {
    hashes[p - first] = static_cast<std::uint16_t>(HashOfBytes(in[p], in[p + 1], in[p + 2]));
  }
}

// Number of equal leading bytes of `a` and `b`, at most 16; both must have
// 16 readable bytes.
inline std::size_t MatchLength(const std::uint8_t* a, const std::uint8_t* b) {
  if (const std::uint64_t diff = Load64(a) ^ Load64(b); diff != 0) {
    return static_cast<std::size_t>(std::countr_zero(diff)) / 8;
  }
  if (const std::uint64_t diff = Load64(a + 8) ^ Load64(b + 8); diff != 0) {
    return 8 + static_cast<std::size_t>(std::countr_zero(diff)) / 8;
  }
  return kMaxMatch;
}

// Codes `raw` into `out` (at least raw.size() + 44 bytes). Returns the block
// length, or 0 when the output grew past the raw length. One function with
// its state in locals: stores through the byte pointer `out` could alias
// members, which would keep the compiler from holding them in registers.
std::size_t CodeStream(std::span<const std::uint8_t> raw, std::uint8_t* out) {
  const std::size_t n = raw.size();
  const std::uint8_t* const in = raw.data();
  std::array<std::uint32_t, kHashSlots> table{};
  // Hashes of the positions ahead, computed a chunk at a time.
  std::array<std::uint16_t, kHashChunk> hashes;
  std::size_t hash_base = 0;
  std::size_t hash_end = 0;
  std::size_t pos = 0;
  std::size_t control_pos = kCompressHeaderSize;
  std::size_t out_pos = kCompressHeaderSize + 2;
  std::uint32_t control = 0;
  std::size_t items = 0;

  // Bit i of a control word belongs to item i of its group.
  const auto close_group = [&]() __attribute__((always_inline)) {
    out[control_pos] = static_cast<std::uint8_t>(control & 0xFF);
    out[control_pos + 1] = static_cast<std::uint8_t>(control >> 8);
    control_pos = out_pos;
    out_pos += 2;
    items = 0;
    control = 0;
  };
  const auto count_item = [&]() __attribute__((always_inline)) {
    if (++items == kItemsPerGroup) close_group();
  };
  // `word` holds the four bytes at `pos` (the match test and a literal use
  // it); `h` is the hash of the first three: from the chunk ahead in whole
  // groups, computed on the spot near the end.
  const auto code_item = [&](std::uint32_t word, std::uint32_t h) __attribute__((always_inline)) {
    const std::uint8_t* here = in + pos;
    const std::uint32_t biased = static_cast<std::uint32_t>(pos) + kSlotBias;
    const std::uint32_t offset = biased - table[h];
    table[h] = biased;
    if (offset - 1 < kMaxOffset) {
      const std::uint8_t* earlier = here - offset;
      if (((Load32(earlier) ^ word) & 0xFFFFFF) == 0) {
        const std::size_t length = MatchLength(earlier, here);
        out[out_pos] = static_cast<std::uint8_t>(((offset & 0xF00) >> 4) + (length - 1));
        out[out_pos + 1] = static_cast<std::uint8_t>(offset & 0xFF);
        out_pos += 2;
        control |= 1u << items;
        pos += length;
        return;
      }
    }
    out[out_pos++] = static_cast<std::uint8_t>(word & 0xFF);
    ++pos;
  };

  while (true) {
    if (out_pos > n) return 0;
    const std::size_t remaining = n - pos;
    if (remaining >= kGroupBatchMinimum) {
      // A whole group: it starts and ends at a group boundary, since these
      // batches come before any single-item batch. Its items lie within
      // the next 241 positions.
      if (pos + kGroupReach > hash_end) {
        hash_base = pos;
        hash_end = std::min(pos + kHashChunk, n - 2);
        HashPositions(in, hash_base, hash_end, hashes.data());
      }
      for (; items < kItemsPerGroup; ++items) code_item(Load32(in + pos), hashes[pos - hash_base]);
      close_group();
    } else if (remaining >= kMaxMatch) {
      const std::uint32_t word = Load32(in + pos);
      code_item(word, HashOfThree(word));
      count_item();
    } else if (remaining == 0) {
      break;
    } else {
      // The tail never starts a match: a match needs 16 readable bytes.
      out[out_pos++] = in[pos++];
      count_item();
    }
  }
  if (items == 0) {
    out_pos = control_pos;  // no item follows the reserved word
  } else {
    out[control_pos] = static_cast<std::uint8_t>(control & 0xFF);
    out[control_pos + 1] = static_cast<std::uint8_t>(control >> 8);
  }
  return out_pos;
}

// Copies 16 bytes from `src` to `dst` as two 8-byte steps, the second
// reading after the first has written: right for any source at least 8
// bytes behind the destination, and for literals read from the input.
inline void CopyTwoSteps(std::uint8_t* dst, const std::uint8_t* src) {
  std::uint64_t first;
  std::memcpy(&first, src, 8);
  std::memcpy(dst, &first, 8);
  std::uint64_t second;
  std::memcpy(&second, src + 8, 8);
  std::memcpy(dst + 8, &second, 8);
}

// Copies `length` bytes from `offset` bytes back, front to back, so that an
// overlapping copy repeats the bytes just written. May write up to 16 bytes
// (the buffer has that much slack).
inline void CopyBack(std::uint8_t* dst, std::size_t offset, std::size_t length) {
  if (offset >= 8) {
    CopyTwoSteps(dst, dst - offset);
    return;
  }
  const std::uint8_t* src = dst - offset;
  for (std::size_t i = 0; i < length; ++i) dst[i] = src[i];
}

// Decodes the coded stream of `block` into `out` (before + slack bytes).
// Returns false on any malformed item.
bool DecodeStream(std::span<const std::uint8_t> block, std::uint8_t* out, std::size_t before) {
  const std::uint8_t* in = block.data();
  const std::size_t end = block.size();
  std::size_t ip = kCompressHeaderSize;
  std::size_t op = 0;

  // Whole groups while a full group and 16 bytes more fit in what is left
  // of the input and its output fits. Whether an item is a literal or a copy
  // follows no pattern the processor could predict, so both kinds take the
  // same path: 16 bytes are copied from the input (a literal) or from the
  // output behind (a copy), and only the first 1 or `length` count. Copies
  // from less than 8 bytes back, which would read bytes not yet written,
  // are the one branch.
  while (end - ip >= kDecodeBatchInput && before - op >= kGroupBatchMinimum) {
    std::uint32_t control = LoadU16(block, ip);
    ip += 2;
    for (std::size_t i = 0; i < kItemsPerGroup; ++i, control >>= 1) {
      // Masks and bitwise tests rather than conditions, so that the compiler
      // makes no branch of them.
      const std::size_t is_copy = control & 1;
      const std::size_t copy_mask = 0 - is_copy;
      const std::uint8_t a = in[ip];
      const std::uint8_t b = in[ip + 1];
      const std::size_t offset = (static_cast<std::size_t>(a & 0xF0u) << 4) | b;
      if ((is_copy & static_cast<std::size_t>(offset - 1 >= op)) != 0) {
        return false;  // offset 0, or reaching before the start
      }
      const std::size_t length = 1 + ((a & 0x0Fu) & copy_mask);
      std::uint8_t* const dst = out + op;
      if ((is_copy & static_cast<std::size_t>(offset < 8)) != 0) [[unlikely]] {
        CopyBack(dst, offset, length);
      } else {
        const auto literal = reinterpret_cast<std::uintptr_t>(in + ip);
        const auto behind = reinterpret_cast<std::uintptr_t>(dst) - offset;
        CopyTwoSteps(
            dst, reinterpret_cast<const std::uint8_t*>(literal ^ ((literal ^ behind) & copy_mask)));
      }
      op += length;
      ip += 1 + is_copy;
    }
  }

  // The rest item by item, every bound checked.
  std::uint32_t control = 0;
  int bits_left = 0;
  while (ip != end) {
    if (bits_left == 0) {
      if (end - ip < 2) return false;
      control = LoadU16(block, ip);
      ip += 2;
      bits_left = 16;
    }
    if ((control & 1) == 0) {
      // A control word may be the block's last two bytes.
      if (op >= before || ip == end) return false;
      out[op++] = in[ip++];
    } else {
      if (end - ip < 2) return false;
      const std::uint8_t a = in[ip];
      const std::uint8_t b = in[ip + 1];
      ip += 2;
      const std::size_t length = (a & 0x0Fu) + 1;
      const std::size_t offset = (static_cast<std::size_t>(a & 0xF0u) << 4) | b;
      if (offset == 0 || offset > op || length > before - op) return false;
      CopyBack(out + op, offset, length);
      op += length;
    }
    control >>= 1;
    --bits_left;
  }
  return op == before;
}

}  // namespace

std::optional<compressHeader> DecodeCompressHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kCompressHeaderSize) return std::nullopt;
  return compressHeader{LoadU32(bytes, 0), LoadU32(bytes, 4), LoadU16(bytes, 8)};
}

void EncodeCompressHeader(const compressHeader& header,
                          std::span<std::uint8_t, kCompressHeaderSize> bytes) {
  StoreU32(bytes, 0, header.beforeCompressionSize);
  StoreU32(bytes, 4, header.afterCompressionSize);
  StoreU16(bytes, 8, header.method);
}

int Compress(ByteBuffer& data) {
  const std::size_t n = data.size();
  if (n > kMaxCompressibleSize) return -1;
  try {
    ByteBuffer block(kZeroedByAllocation, n + kBatchOverrun + kCompressHeaderSize);
    const std::size_t length = CodeStream(data, block.data());
    if (length == 0 || length >= n) return -1;
    block.resize(length);
    const compressHeader header{static_cast<std::uint32_t>(n), static_cast<std::uint32_t>(length),
                                kCompressMethodLzrw1};
    EncodeCompressHeader(header, std::span(block).first<kCompressHeaderSize>());
    data.swap(block);
    return 1;
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

int Expand(ByteBuffer& block) {
  const std::optional<compressHeader> header = DecodeCompressHeader(block);
  if (!header || header->method != kCompressMethodLzrw1 ||
      header->afterCompressionSize != block.size() ||
      header->beforeCompressionSize > MaxExpandedSize(block.size())) {
    return -1;
  }
  const std::size_t before = header->beforeCompressionSize;
  try {
    ByteBuffer raw(kZeroedByAllocation, before + kExpandSlack);
    if (!DecodeStream(block, raw.data(), before)) return -1;
    raw.resize(before);
    block.swap(raw);
    return 1;
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

}  // namespace tarn
