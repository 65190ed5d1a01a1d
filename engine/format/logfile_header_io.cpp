#include "engine/format/logfile_header_io.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <string>

#include "engine/format/logfile_header_codec.h"
#include "engine/support/report.h"

namespace tarn {
namespace {

// Reads exactly `size` bytes; none on a short read.
std::optional<ByteBuffer> ReadBytes(platform::File& file, std::size_t size) {
  ByteBuffer bytes(size);
  if (!file.ReadExact(bytes)) return std::nullopt;
  return bytes;
}

// The counts and sizes a header must have before anything behind the fixed
// header is read: none negative, a stored default revision of 1..20
// elements. Checked first so that a damaged header is never allowed to
// drive an allocation or a read.
bool HasPlausibleFields(const tLogFileHdr& fixed) {
  const std::int16_t sizes[] = {fixed._iAccessSize,  fixed._iModifierSize,
                                fixed._iCommentSize, fixed._iOwnerSize,
                                fixed._iDescSize,    fixed._iSupplementalInfoSize};
  for (const std::int16_t size : sizes) {
    if (size < 0) return false;
  }
  if (fixed._iVersionCount < 0) return false;
  return fixed._iDefaultRevCount == 0 || IsValidElementCount(fixed._iDefaultRevCount);
}

// A header text of `size` bytes: its NUL must be the last byte. Bytes before
// it are kept as they are, NULs included, so that the text is written back
// with the size it had. A stored size of 0 (no bytes, not even the NUL) is
// read as an empty text.
std::optional<std::string> ReadHeaderText(platform::File& file, std::int16_t size) {
  if (size == 0) return std::string();
  std::optional<ByteBuffer> bytes = ReadBytes(file, static_cast<std::size_t>(size));
  if (!bytes || bytes->back() != 0) return std::nullopt;
  return std::string(bytes->begin(), bytes->end() - 1);
}

std::optional<LabelRecord> ReadLabel(platform::File& file) {
  std::array<std::uint8_t, kLabelHeadSize> head_bytes{};
  if (!file.ReadExact(head_bytes)) return std::nullopt;
  const LabelHead head = DecodeLabelHead(head_bytes);
  if (!IsValidLabelHead(head)) return std::nullopt;
  std::optional<ByteBuffer> body = ReadBytes(file, LabelBodySize(head));
  if (!body) return std::nullopt;
  return DecodeLabelBody(head, *body);
}

// Everything of the header after the fixed part; false at the first short
// read or damaged field.
bool ReadVariableParts(platform::File& file, LogfileHeader& header) {
  const tLogFileHdr& fixed = header.fixed;
  if (fixed._iDefaultRevCount > 0) {
    std::optional<ByteBuffer> stored =
        ReadBytes(file, StoredDefaultRevisionSize(fixed._iDefaultRevCount));
    if (!stored) return false;
    header.defaultRevision = DecodeDefaultRevision(*stored, fixed._iDefaultRevCount);
    if (!header.defaultRevision) return false;
  }
  std::string* const texts[] = {&header.accessList, &header.modifierList, &header.commentPrefix,
                                &header.owner, &header.description};
  const std::int16_t sizes[] = {fixed._iAccessSize, fixed._iModifierSize, fixed._iCommentSize,
                                fixed._iOwnerSize, fixed._iDescSize};
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    std::optional<std::string> text = ReadHeaderText(file, sizes[i]);
    if (!text) return false;
    *texts[i] = std::move(*text);
  }
  // The supplemental info is a buffer rather than a text: kept byte for byte.
  std::optional<ByteBuffer> info =
      ReadBytes(file, static_cast<std::size_t>(fixed._iSupplementalInfoSize));
  if (!info) return false;
  header.supplementalInfo.assign(info->begin(), info->end());
  for (int i = 0; i < fixed._iVersionCount; ++i) {
    std::optional<LabelRecord> label = ReadLabel(file);
    if (!label) return false;
    header.labels.push_back(std::move(*label));
  }
  return true;
}

bool FitsSizeField(std::size_t bytes) { return bytes <= kMaxHeaderFieldSize; }

std::int16_t SizeField(std::size_t bytes) { return static_cast<std::int16_t>(bytes); }

tLogFileHdr ZeroedFixedHeader() {
  tLogFileHdr fixed;
  fixed._iFormat = 0;
  fixed._iMajorNumber = 0;
  fixed._iMinorNumber = 0;
  return fixed;
}

}  // namespace

int ReadLogfileHeader(platform::File& file, LogfileHeader& header) {
  ReleaseLogfileHeader(header);
  if (!file.Seek(0)) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  FixedHeaderBytes fixed_bytes{};
  if (!file.ReadExact(fixed_bytes)) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  header.fixed = DecodeFixedHeader(fixed_bytes);
  try {
    if (HasPlausibleFields(header.fixed) && ReadVariableParts(file, header)) return 1;
  } catch (const std::bad_alloc&) {
    ReleaseLogfileHeader(header);
    ReportFault(msg::kOutOfMemory);
    return -1;
  }
  ReleaseLogfileHeader(header);
  ReportFault(msg::kReadFailed);
  return -1;
}

int PrepareLogfileHeader(LogfileHeader& header) {
  const std::string* const texts[] = {&header.accessList, &header.modifierList,
                                      &header.commentPrefix, &header.owner, &header.description};
  for (const std::string* text : texts) {
    if (!FitsSizeField(text->size() + 1)) {
      Report(kAlert, msg::kHeaderFieldTooLarge);
      return -1;
    }
  }
  bool fits =
      FitsSizeField(header.supplementalInfo.size()) && FitsSizeField(header.labels.size()) &&
      (!header.defaultRevision || IsValidElementCount(header.defaultRevision->iElementCount));
  for (const LabelRecord& label : header.labels) {
    fits =
        fits && IsValidElementCount(label.iRevisionCount) && FitsSizeField(label.text.size() + 1);
  }
  if (!fits) {
    Report(kAlert, msg::kHeaderFieldTooLarge);
    return -1;
  }
  tLogFileHdr& fixed = header.fixed;
  fixed._iAccessSize = SizeField(header.accessList.size() + 1);
  fixed._iModifierSize = SizeField(header.modifierList.size() + 1);
  fixed._iCommentSize = SizeField(header.commentPrefix.size() + 1);
  fixed._iOwnerSize = SizeField(header.owner.size() + 1);
  fixed._iDescSize = SizeField(header.description.size() + 1);
  fixed._iSupplementalInfoSize = SizeField(header.supplementalInfo.size());
  fixed._iVersionCount = SizeField(header.labels.size());
  fixed._iDefaultRevCount = header.defaultRevision ? header.defaultRevision->iElementCount : 0;
  for (LabelRecord& label : header.labels) label.iVersionSize = SizeField(label.text.size() + 1);
  fixed._iChecksum = ComputeChecksum(fixed);
  return 1;
}

ByteBuffer EncodeLogfileHeader(const LogfileHeader& header) {
  ByteBuffer out;
  out.reserve(EncodedHeaderSize(header));
  const FixedHeaderBytes fixed = EncodeFixedHeader(header.fixed);
  out.insert(out.end(), fixed.begin(), fixed.end());
  if (header.defaultRevision) {
    const ByteBuffer stored = EncodeDefaultRevision(*header.defaultRevision);
    out.insert(out.end(), stored.begin(), stored.end());
  }
  for (const std::string* text : {&header.accessList, &header.modifierList, &header.commentPrefix,
                                  &header.owner, &header.description}) {
    out.insert(out.end(), text->begin(), text->end());
    out.push_back(0);
  }
  out.insert(out.end(), header.supplementalInfo.begin(), header.supplementalInfo.end());
  for (const LabelRecord& label : header.labels) {
    const ByteBuffer record = EncodeLabelRecord(label);
    out.insert(out.end(), record.begin(), record.end());
  }
  return out;
}

std::size_t EncodedHeaderSize(const LogfileHeader& header) {
  std::size_t size = kFixedHeaderSize;
  if (header.defaultRevision)
    size += StoredDefaultRevisionSize(header.defaultRevision->iElementCount);
  size += header.accessList.size() + header.modifierList.size() + header.commentPrefix.size() +
          header.owner.size() + header.description.size() + 5;
  size += header.supplementalInfo.size();
  for (const LabelRecord& label : header.labels) {
    size += kLabelHeadSize +
            kLabelElementSize * static_cast<std::size_t>(std::max<int>(label.iRevisionCount, 0)) +
            label.text.size() + 1;
  }
  return size;
}

int WriteLogfileHeader(platform::File& file, LogfileHeader& header) {
  if (PrepareLogfileHeader(header) < 0) return -1;
  ByteBuffer bytes;
  try {
    bytes = EncodeLogfileHeader(header);
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
    return -1;
  }
  if (!file.Seek(0)) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  if (!file.WriteAll(bytes)) {
    ReportWriteFailure();
    return -1;
  }
  return 1;
}

void ReleaseLogfileHeader(LogfileHeader& header) {
  header = LogfileHeader{};
  header.fixed = ZeroedFixedHeader();
}

}  // namespace tarn
