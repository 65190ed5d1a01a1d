// Byte layout of the logfile header's pieces: the 30-byte fixed header, the
// stored default revision and the label records, and the header checksum.
//
// Pure conversions between bytes and records; reading and writing a whole
// header from and to a logfile is logfile_header_io's job. Decoders of the
// variable pieces check what a damaged file could hold and refuse it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_desc.h"
#include "engine/support/guarded_memory.h"

namespace tarn {

// The stored default revision: a 4-byte descriptor head (element count,
// range end), 8 bytes per element (major flag, major, minor flag, minor) and
// 12 bytes from the unused slots behind them, which are written as zeros and
// ignored when read.
inline constexpr std::size_t kStoredRevDescHeadSize = 4;
inline constexpr std::size_t kStoredRevDescElementSize = 8;
inline constexpr std::size_t kStoredRevDescTailSize = 12;

// A label record: 6-byte head (element count, creator, text size), 4 bytes
// per element (major, minor), then the text with its NUL.
inline constexpr std::size_t kLabelHeadSize = 6;
inline constexpr std::size_t kLabelElementSize = 4;

// The largest size field of a header text, NUL included.
inline constexpr std::size_t kMaxHeaderFieldSize = 32767;

using FixedHeaderBytes = std::array<std::uint8_t, kFixedHeaderSize>;

FixedHeaderBytes EncodeFixedHeader(const tLogFileHdr& header);
tLogFileHdr DecodeFixedHeader(std::span<const std::uint8_t, kFixedHeaderSize> bytes);

// The sum of the fourteen 16-bit words before the checksum field, modulo
// 65536. The stored field never takes part.
std::uint16_t ComputeChecksum(const tLogFileHdr& header);

// True for an element count a revision number can have (1..20).
bool IsValidElementCount(int count);

// 16 + 8 * element_count: the bytes a stored default revision occupies.
std::size_t StoredDefaultRevisionSize(int element_count);

// `revision` in its stored form. Its element count must be valid.
ByteBuffer EncodeDefaultRevision(const tarnCommandRevDesc& revision);

// The stored default revision of `element_count` elements (`bytes` holds
// exactly StoredDefaultRevisionSize of them). None when the count is invalid
// or the stored descriptor names another count.
std::optional<tarnCommandRevDesc> DecodeDefaultRevision(std::span<const std::uint8_t> bytes,
                                                        int element_count);

struct LabelHead {
  std::int16_t iRevisionCount = 0;
  std::int16_t iCreator = 0;
  std::int16_t iVersionSize = 0;
};

LabelHead DecodeLabelHead(std::span<const std::uint8_t, kLabelHeadSize> bytes);

// A head whose element count is 1..20 and whose text holds at least its NUL.
bool IsValidLabelHead(const LabelHead& head);

// The bytes that follow a valid head: elements and text.
std::size_t LabelBodySize(const LabelHead& head);

// The label of a valid `head` and the `body` behind it (LabelBodySize
// bytes). None when the text does not end in its NUL.
std::optional<LabelRecord> DecodeLabelBody(const LabelHead& head,
                                           std::span<const std::uint8_t> body);

// The whole record of `label` (its element count must be valid); the text
// size is taken from the text, not from the record's size field.
ByteBuffer EncodeLabelRecord(const LabelRecord& label);

}  // namespace tarn
