#include "engine/store/revision_scan.h"

#include <algorithm>
#include <array>
#include <new>

#include "engine/format/logfile_header_codec.h"
#include "engine/format/revision_number.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

// True when [offset, offset + length) lies inside a file of `size` bytes.
bool FitsInFile(std::int64_t offset, std::int64_t length, std::int64_t size) {
  return offset >= 0 && length >= 0 && offset <= size && length <= size - offset;
}

bool ReadFixedHeader(platform::File& stream, tLogFileHdr& fixed) {
  std::array<std::uint8_t, kFixedHeaderSize> bytes{};
  if (!stream.ReadExact(bytes)) return false;
  fixed = DecodeFixedHeader(bytes);
  return true;
}

// Bytes between the fixed header and the label records; -1 for a field no
// valid header holds (a negative size or count, a default revision of more
// than 20 elements), the same fields the header reader refuses, so that a
// logfile is either readable and skippable or neither.
std::int64_t StringsAndDefaultRevisionSize(const tLogFileHdr& fixed) {
  const std::int16_t sizes[] = {fixed._iAccessSize,  fixed._iModifierSize,
                                fixed._iCommentSize, fixed._iOwnerSize,
                                fixed._iDescSize,    fixed._iSupplementalInfoSize};
  std::int64_t total = 0;
  for (const std::int16_t size : sizes) {
    if (size < 0) return -1;
    total += size;
  }
  if (fixed._iDefaultRevCount < 0 || fixed._iVersionCount < 0) return -1;
  if (fixed._iDefaultRevCount > 0) {
    if (!IsValidElementCount(fixed._iDefaultRevCount)) return -1;
    total += static_cast<std::int64_t>(StoredDefaultRevisionSize(fixed._iDefaultRevCount));
  }
  return total;
}

// Restores the stream to where a search started; the search's own result
// stands unless the stream cannot be put back.
int ReturnTo(platform::File& stream, std::int64_t offset, int result) {
  if (!stream.Seek(offset)) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  return result;
}

bool SameElements(const tarnCommandRevDesc& a, const tarnCommandRevDesc& b, int count) {
  for (int k = 0; k < count; ++k) {
    const RevElement& x = a.elements[static_cast<std::size_t>(k)];
    const RevElement& y = b.elements[static_cast<std::size_t>(k)];
    if (x.iMajor != y.iMajor || x.iMinor != y.iMinor) return false;
  }
  return true;
}

}  // namespace

std::int64_t RevisionRecord::DescriptionOffset() const {
  return offset + static_cast<std::int64_t>(kRevisionHeaderSize);
}

std::int64_t RevisionRecord::DataOffset() const { return DescriptionOffset() + header._iDescSize; }

std::int64_t RevisionRecord::EndOffset() const { return DataOffset() + header.RevSize; }

RevisionScanner::RevisionScanner(platform::File& stream, std::int64_t startOffset)
    : stream_(stream), next_(startOffset), fileSize_(stream.Size()) {}

RevisionScanner::Step RevisionScanner::Next(RevisionRecord& record) {
  if (!fileSize_) {
    ReportFault(msg::kReadFailed);
    return Step::kFailed;
  }
  const std::int64_t size = *fileSize_;
  if (next_ == size) return Step::kEnd;
  // A few bytes that cannot hold a revision header are a record cut short,
  // not the end of the revisions.
  if (!FitsInFile(next_, static_cast<std::int64_t>(kRevisionHeaderSize), size)) {
    ReportFault(msg::kReadFailed);
    return Step::kFailed;
  }
  std::array<std::uint8_t, kRevisionHeaderSize> bytes{};
  if (!ReadHeaderBytes(bytes)) return Step::kFailed;
  RevisionRecord read;
  read.header = DecodeRevisionHeader(bytes);
  read.offset = next_;
  const bool sizesFit =
      read.header._iDescSize >= 0 &&
      FitsInFile(read.DescriptionOffset(), read.header._iDescSize, size) &&
      FitsInFile(read.DataOffset(), static_cast<std::int64_t>(read.header.RevSize), size);
  if (!sizesFit || UpdateEffectiveDescriptor(effective_, read.header) != 1) {
    ReportFault(msg::kReadFailed);
    return Step::kFailed;
  }
  read.number = effective_;
  next_ = read.EndOffset();
  record = read;
  return Step::kRecord;
}

bool RevisionScanner::ReadHeaderBytes(std::span<std::uint8_t> bytes) {
  if (loadedFrom_ >= 0 && next_ >= loadedFrom_) {
    // Next has checked that the header lies inside the file, all of which
    // from `loadedFrom_` on is here.
    const auto at = static_cast<std::size_t>(next_ - loadedFrom_);
    std::copy_n(loaded_.begin() + static_cast<std::ptrdiff_t>(at), bytes.size(), bytes.begin());
    return true;
  }
  if (!stream_.Seek(next_)) {
    ReportFault(msg::kSeekFailed);
    return false;
  }
  if (!stream_.ReadExact(bytes)) {
    ReportFault(msg::kReadFailed);
    return false;
  }
  return true;
}

int RevisionScanner::LoadRest() {
  if (!fileSize_ || *fileSize_ < next_) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  if (!stream_.Seek(next_)) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  try {
    ByteBuffer rest(kZeroedByAllocation, static_cast<std::size_t>(*fileSize_ - next_));
    if (!stream_.ReadExact(rest)) {
      ReportFault(msg::kReadFailed);
      return -1;
    }
    loaded_.swap(rest);
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
    return -1;
  }
  loadedFrom_ = next_;
  return 1;
}

std::span<const std::uint8_t> RevisionScanner::LoadedData(const RevisionRecord& record) const {
  // Next checked the record's sizes against the file.
  const auto at = static_cast<std::size_t>(record.DataOffset() - loadedFrom_);
  return std::span<const std::uint8_t>(loaded_).subspan(at, record.header.RevSize);
}

int SkipHeader(platform::File& stream) {
  if (!stream.Seek(0)) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  tLogFileHdr fixed;
  if (!ReadFixedHeader(stream, fixed)) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  const std::int64_t skip = StringsAndDefaultRevisionSize(fixed);
  if (skip < 0) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  if (!stream.SeekRelative(skip)) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  if (SkipLabels(stream, fixed) != 1) return -1;
  // Seeking past the end succeeds; a header that claims more than the file
  // holds is a file cut short.
  const std::optional<std::int64_t> position = stream.Tell();
  const std::optional<std::int64_t> size = stream.Size();
  if (!position || !size || *position > *size) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  return 1;
}

int SkipLabels(platform::File& stream, const tLogFileHdr& fixed) {
  for (int i = 0; i < fixed._iVersionCount; ++i) {
    std::array<std::uint8_t, kLabelHeadSize> head{};
    if (!stream.ReadExact(head)) {
      ReportFault(msg::kReadFailed);
      return -1;
    }
    const LabelHead label = DecodeLabelHead(head);
    if (!IsValidLabelHead(label)) {
      ReportFault(msg::kReadFailed);
      return -1;
    }
    if (!stream.SeekRelative(static_cast<std::int64_t>(LabelBodySize(label)))) {
      ReportFault(msg::kSeekFailed);
      return -1;
    }
  }
  return 1;
}

int FindRevision(const tarnCommandRevDesc& wanted, platform::File& stream, tRevHdr& found,
                 std::int64_t& offset) {
  const std::optional<std::int64_t> start = stream.Tell();
  if (!start) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  offset = *start;
  RevisionScanner scanner(stream, *start);
  RevisionRecord record;
  bool first = true;
  int result = -1;
  while (true) {
    const RevisionScanner::Step step = scanner.Next(record);
    if (step == RevisionScanner::Step::kEnd && first) {
      // Not even one revision header could be read.
      ReportFault(msg::kReadFailed);
    }
    if (step != RevisionScanner::Step::kRecord) break;
    first = false;
    if (RevisionMatches(wanted, record.number, record.header)) {
      found = record.header;
      offset = record.offset;
      result = 1;
      break;
    }
    offset = scanner.NextOffset();
  }
  return ReturnTo(stream, *start, result);
}

int DefaultRevision(const LogfileHeader& header, tarnCommandRevDesc& result) {
  if (header.fixed._iDefaultRevCount > 0 && header.defaultRevision) {
    result = *header.defaultRevision;
    return 1;
  }
  result = tarnCommandRevDesc{};
  return AddRevisionElement(result, header.fixed._iMajorNumber, header.fixed._iMinorNumber, 0);
}

int FindBranchTip(platform::File& stream, const tarnCommandRevDesc& request, tRevHdr& tip,
                  tarnCommandRevDesc& tipNumber) {
  const std::optional<std::int64_t> start = stream.Tell();
  if (!start) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  const int count = request.iElementCount;
  if (count < 1 || count > kMaxRevisionElements) return -1;
  const int depth = count - 1;
  const std::int16_t lastMajor = request.elements[static_cast<std::size_t>(depth)].iMajor;

  RevisionScanner scanner(stream, *start);
  RevisionRecord record;
  int result = -1;
  while (scanner.Next(record) == RevisionScanner::Step::kRecord) {
    if (record.header._iDepth == depth && record.header._cTip == 1 &&
        SameElements(record.number, request, depth) && record.header.major == lastMajor) {
      tip = record.header;
      tipNumber = record.number;
      result = 1;
      break;
    }
  }
  return ReturnTo(stream, *start, result);
}

int ReadRevisionDescription(platform::File& stream, const RevisionRecord& record,
                            std::string& description) {
  const std::optional<std::int64_t> size = stream.Size();
  if (!size || record.header._iDescSize < 0 ||
      !FitsInFile(record.DescriptionOffset(), record.header._iDescSize, *size)) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  if (!stream.Seek(record.DescriptionOffset())) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  ByteBuffer bytes(static_cast<std::size_t>(record.header._iDescSize));
  if (!stream.ReadExact(bytes)) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  // The stored size counts the terminating NUL; the text ends at the first.
  description.assign(bytes.begin(), std::find(bytes.begin(), bytes.end(), std::uint8_t{0}));
  return 1;
}

int ReadRevisionData(platform::File& stream, const RevisionRecord& record, ByteBuffer& data) {
  const std::optional<std::int64_t> size = stream.Size();
  if (!size ||
      !FitsInFile(record.DataOffset(), static_cast<std::int64_t>(record.header.RevSize), *size)) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  if (!stream.Seek(record.DataOffset())) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  data.resize(record.header.RevSize);
  if (!stream.ReadExact(data)) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  return 1;
}

}  // namespace tarn
