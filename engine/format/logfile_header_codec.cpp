#include "engine/format/logfile_header_codec.h"

#include <algorithm>

#include "engine/format/byte_order.h"

namespace tarn {
namespace {

// Field offsets of the fixed header.
constexpr std::size_t kOffFormat = 0;
constexpr std::size_t kOffMajorNumber = 2;
constexpr std::size_t kOffMinorNumber = 4;
constexpr std::size_t kOffAttributes = 6;
constexpr std::size_t kOffVersionCount = 8;
constexpr std::size_t kOffRevisionCount = 10;
constexpr std::size_t kOffDefaultRevCount = 12;
constexpr std::size_t kOffLockCount = 14;
constexpr std::size_t kOffAccessSize = 16;
constexpr std::size_t kOffModifierSize = 18;
constexpr std::size_t kOffCommentSize = 20;
constexpr std::size_t kOffOwnerSize = 22;
constexpr std::size_t kOffDescSize = 24;
constexpr std::size_t kOffSupplementalInfoSize = 26;
constexpr std::size_t kOffChecksum = 28;

void Append(ByteBuffer& out, std::span<const std::uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendI16(ByteBuffer& out, std::int16_t value) {
  std::array<std::uint8_t, 2> bytes{};
  StoreI16(bytes, 0, value);
  Append(out, bytes);
}

}  // namespace

FixedHeaderBytes EncodeFixedHeader(const tLogFileHdr& header) {
  FixedHeaderBytes bytes{};
  StoreI16(bytes, kOffFormat, header._iFormat);
  StoreI16(bytes, kOffMajorNumber, header._iMajorNumber);
  StoreI16(bytes, kOffMinorNumber, header._iMinorNumber);
  StoreU16(bytes, kOffAttributes, header._iAttributes);
  StoreI16(bytes, kOffVersionCount, header._iVersionCount);
  StoreI16(bytes, kOffRevisionCount, header._iRevisionCount);
  StoreI16(bytes, kOffDefaultRevCount, header._iDefaultRevCount);
  StoreI16(bytes, kOffLockCount, header._iLockCount);
  StoreI16(bytes, kOffAccessSize, header._iAccessSize);
  StoreI16(bytes, kOffModifierSize, header._iModifierSize);
  StoreI16(bytes, kOffCommentSize, header._iCommentSize);
  StoreI16(bytes, kOffOwnerSize, header._iOwnerSize);
  StoreI16(bytes, kOffDescSize, header._iDescSize);
  StoreI16(bytes, kOffSupplementalInfoSize, header._iSupplementalInfoSize);
  StoreU16(bytes, kOffChecksum, header._iChecksum);
  return bytes;
}

tLogFileHdr DecodeFixedHeader(std::span<const std::uint8_t, kFixedHeaderSize> bytes) {
  tLogFileHdr header;
  header._iFormat = LoadI16(bytes, kOffFormat);
  header._iMajorNumber = LoadI16(bytes, kOffMajorNumber);
  header._iMinorNumber = LoadI16(bytes, kOffMinorNumber);
  header._iAttributes = LoadU16(bytes, kOffAttributes);
  header._iVersionCount = LoadI16(bytes, kOffVersionCount);
  header._iRevisionCount = LoadI16(bytes, kOffRevisionCount);
  header._iDefaultRevCount = LoadI16(bytes, kOffDefaultRevCount);
  header._iLockCount = LoadI16(bytes, kOffLockCount);
  header._iAccessSize = LoadI16(bytes, kOffAccessSize);
  header._iModifierSize = LoadI16(bytes, kOffModifierSize);
  header._iCommentSize = LoadI16(bytes, kOffCommentSize);
  header._iOwnerSize = LoadI16(bytes, kOffOwnerSize);
  header._iDescSize = LoadI16(bytes, kOffDescSize);
  header._iSupplementalInfoSize = LoadI16(bytes, kOffSupplementalInfoSize);
  header._iChecksum = LoadU16(bytes, kOffChecksum);
  return header;
}

std::uint16_t ComputeChecksum(const tLogFileHdr& header) {
  const FixedHeaderBytes bytes = EncodeFixedHeader(header);
  unsigned sum = 0;
  for (std::size_t offset = 0; offset < kOffChecksum; offset += 2) sum += LoadU16(bytes, offset);
  return static_cast<std::uint16_t>(sum & 0xFFFF);
}

bool IsValidElementCount(int count) { return count >= 1 && count <= kMaxRevisionElements; }

std::size_t StoredDefaultRevisionSize(int element_count) {
  return kStoredRevDescHeadSize + kStoredRevDescTailSize +
         kStoredRevDescElementSize * static_cast<std::size_t>(std::max(element_count, 0));
}

ByteBuffer EncodeDefaultRevision(const tarnCommandRevDesc& revision) {
  const int count = std::clamp<int>(revision.iElementCount, 0, kMaxRevisionElements);
  ByteBuffer out;
  out.reserve(StoredDefaultRevisionSize(count));
  AppendI16(out, revision.iElementCount);
  AppendI16(out, revision.iRangeEnd);
  for (int k = 0; k < count; ++k) {
    const RevElement& element = revision.elements[static_cast<std::size_t>(k)];
    AppendI16(out, element.iMajorFlag);
    AppendI16(out, element.iMajor);
    AppendI16(out, element.iMinorFlag);
    AppendI16(out, element.iMinor);
  }
  out.resize(StoredDefaultRevisionSize(count), 0);
  return out;
}

std::optional<tarnCommandRevDesc> DecodeDefaultRevision(std::span<const std::uint8_t> bytes,
                                                        int element_count) {
  if (!IsValidElementCount(element_count)) return std::nullopt;
  if (bytes.size() != StoredDefaultRevisionSize(element_count)) return std::nullopt;
  tarnCommandRevDesc revision;
  revision.iElementCount = LoadI16(bytes, 0);
  revision.iRangeEnd = LoadI16(bytes, 2);
  // The header's count and the descriptor's own must agree; anything else is
  // a damaged header, and trusting either could read elements never stored.
  if (revision.iElementCount != element_count) return std::nullopt;
  for (int k = 0; k < element_count; ++k) {
    const std::size_t at =
        kStoredRevDescHeadSize + kStoredRevDescElementSize * static_cast<std::size_t>(k);
    RevElement& element = revision.elements[static_cast<std::size_t>(k)];
    element.iMajorFlag = LoadI16(bytes, at);
    element.iMajor = LoadI16(bytes, at + 2);
    element.iMinorFlag = LoadI16(bytes, at + 4);
    element.iMinor = LoadI16(bytes, at + 6);
  }
  return revision;
}

LabelHead DecodeLabelHead(std::span<const std::uint8_t, kLabelHeadSize> bytes) {
  return LabelHead{LoadI16(bytes, 0), LoadI16(bytes, 2), LoadI16(bytes, 4)};
}

bool IsValidLabelHead(const LabelHead& head) {
  return IsValidElementCount(head.iRevisionCount) && head.iVersionSize >= 1;
}

std::size_t LabelBodySize(const LabelHead& head) {
  return kLabelElementSize * static_cast<std::size_t>(std::max<int>(head.iRevisionCount, 0)) +
         static_cast<std::size_t>(std::max<int>(head.iVersionSize, 0));
}

std::optional<LabelRecord> DecodeLabelBody(const LabelHead& head,
                                           std::span<const std::uint8_t> body) {
  if (!IsValidLabelHead(head) || body.size() != LabelBodySize(head)) return std::nullopt;
  const auto count = static_cast<std::size_t>(head.iRevisionCount);
  const std::span<const std::uint8_t> text = body.subspan(kLabelElementSize * count);
  if (text.back() != 0) return std::nullopt;
  LabelRecord label;
  label.iRevisionCount = head.iRevisionCount;
  label.iCreator = head.iCreator;
  label.iVersionSize = head.iVersionSize;
  for (std::size_t k = 0; k < count; ++k) {
    label.elements[k].major = LoadI16(body, kLabelElementSize * k);
    label.elements[k].minor = LoadI16(body, kLabelElementSize * k + 2);
  }
  label.text.assign(text.begin(), text.end() - 1);
  return label;
}

ByteBuffer EncodeLabelRecord(const LabelRecord& label) {
  const int count = std::clamp<int>(label.iRevisionCount, 0, kMaxRevisionElements);
  ByteBuffer out;
  out.reserve(kLabelHeadSize + kLabelElementSize * static_cast<std::size_t>(count) +
              label.text.size() + 1);
  AppendI16(out, label.iRevisionCount);
  AppendI16(out, label.iCreator);
  AppendI16(out, static_cast<std::int16_t>(label.text.size() + 1));
  for (int k = 0; k < count; ++k) {
    AppendI16(out, label.elements[static_cast<std::size_t>(k)].major);
    AppendI16(out, label.elements[static_cast<std::size_t>(k)].minor);
  }
  out.insert(out.end(), label.text.begin(), label.text.end());
  out.push_back(0);
  return out;
}

}  // namespace tarn
