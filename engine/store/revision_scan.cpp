#include "engine/store/revision_scan.h"

#include <algorithm>
#include <array>
#include <new>

#include "engine/format/logfile_header_codec.h"
#include "engine/format/revision_number.h"
#include "engine/store/revision_lookup.h"
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

RevisionScanner::RevisionScanner(platform::File& stream, std::int64_t startOffset, Start start)
    : stream_(stream),
      checkOrder_(start == Start::kFirstRecord),
      next_(startOffset),
      fileSize_(stream.Size()) {}

RevisionScanner::Step RevisionScanner::Next(RevisionRecord& record) {
  if (!fileSize_) {
    ReportFault(msg::kReadFailed);
    return Step::kFailed;
  }
  const std::int64_t size = *fileSize_;
  if (next_ == size) {
    if (checkOrder_ && !LinesEndInTips(1)) {
      ReportDamage(DamageKind::kRecordOrder);
      return Step::kFailed;
    }
    return Step::kEnd;
  }
  // A few bytes that cannot hold a revision header are a record cut short,
  // not the end of the revisions.
  if (!FitsInFile(next_, static_cast<std::int64_t>(kRevisionHeaderSize), size)) {
    ReportDamage(DamageKind::kCutShort);
    return Step::kFailed;
  }
  std::array<std::uint8_t, kRevisionHeaderSize> bytes{};
  if (!ReadHeaderBytes(bytes)) return Step::kFailed;
  RevisionRecord read;
  read.header = DecodeRevisionHeader(bytes);
  read.offset = next_;
  const bool sizesFit =
      read.header._iDescSize >= 1 &&
      FitsInFile(read.DescriptionOffset(), read.header._iDescSize, size) &&
      FitsInFile(read.DataOffset(), static_cast<std::int64_t>(read.header.RevSize), size);
  if (!sizesFit) {
    ReportDamage(DamageKind::kCutShort);
    return Step::kFailed;
  }
  if (!FieldsInRange(read.header) || UpdateEffectiveDescriptor(effective_, read.header) != 1) {
    ReportDamage(DamageKind::kBadRecordField);
    return Step::kFailed;
  }
  if (checkOrder_ && !KeepsTheOrder(read.header)) {
    ReportDamage(DamageKind::kRecordOrder);
    return Step::kFailed;
  }
  read.number = effective_;
  next_ = read.EndOffset();
  ++count_;
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

bool RevisionScanner::FieldsInRange(const tRevHdr& header) const {
  const bool flags = (header._cTip == 0 || header._cTip == 1) &&
                     (header._cCompressed == 0 || header._cCompressed == 1) &&
                     header._iLocked >= 0 && header._iBranchCount >= 0;
  // Trunk numbers start at 1.0; a branch's number and its revisions count
  // from 1.
  const bool numbers = header._iDepth == 0 ? header.major >= 0 && header.minor >= 0
                                           : header.major >= 1 && header.minor >= 1;
  return flags && numbers && header._iDepth >= 0 && header._iDepth < kMaxRevisionElements;
}

// True when every line deeper than `fromDepth` - 1 that the scan is in ends
// in a record marked as its tip.
bool RevisionScanner::LinesEndInTips(std::size_t fromDepth) const {
  for (std::size_t depth = fromDepth; depth < lines_.size(); ++depth) {
    if (lines_[depth].seen && lines_[depth].header._cTip != 1) return false;
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

bool RevisionScanner::DescriptionEndsInNul(const RevisionRecord& record) const {
  // Next checked that the description (at least its NUL) lies in the file.
  const std::int64_t at = record.DataOffset() - 1 - loadedFrom_;
  return loadedFrom_ >= 0 && at >= 0 && loaded_[static_cast<std::size_t>(at)] == 0;
}

std::span<const std::uint8_t> RevisionScanner::LoadedData(const RevisionRecord& record) const {
  // Next checked the record's sizes against the file.
  const auto at = static_cast<std::size_t>(record.DataOffset() - loadedFrom_);
  return std::span<const std::uint8_t>(loaded_).subspan(at, record.header.RevSize);
}

bool RevisionScanner::KeepsTheOrder(const tRevHdr& header) {
  const auto depth = static_cast<std::size_t>(header._iDepth);
  if (count_ == 0) {
    // The first record is the trunk tip.
    if (depth != 0 || header._cTip != 1) return false;
    lines_.assign(1, LineEnd{header, true});
    return true;
  }
  // Branches follow their branch point directly: one level deeper at most.
  if (depth > lines_.size()) return false;
  // Every line deeper than this record has ended.
  if (!LinesEndInTips(depth + 1)) return false;
  lines_.resize(std::max(lines_.size(), depth + 1));
  if (depth < lines_.size() - 1) lines_.resize(depth + 1);
  if (depth == 0) {
    // Older trunk revisions, newest first; only the first is the tip.
    const tRevHdr& newer = lines_[0].header;
    const bool descending = header.major < newer.major ||
                            (header.major == newer.major && header.minor < newer.minor);
    if (header._cTip != 0 || !descending) return false;
    lines_[0].header = header;
    return true;
  }
  const tRevHdr& parent = lines_[depth - 1].header;
  if (header.major > parent._iBranchCount) return false;
  LineEnd& line = lines_[depth];
  if (line.seen && line.header.major == header.major) {
    // The same branch goes on: oldest first, and it did not end before.
    if (line.header._cTip != 0 || header.minor <= line.header.minor) return false;
  } else if (line.seen && line.header._cTip != 1) {
    return false;  // a sibling branch ended without its tip
  }
  line = LineEnd{header, true};
  return true;
}

int SkipHeader(platform::File& stream) {
  if (!stream.Seek(0)) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  tLogFileHdr fixed;
  if (!ReadFixedHeader(stream, fixed)) {
    ReportDamage(DamageKind::kCutShort);
    return -1;
  }
  const std::int64_t skip = StringsAndDefaultRevisionSize(fixed);
  if (skip < 0) {
    ReportDamage(DamageKind::kBadHeaderField);
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
  if (!position || !size) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  if (*position > *size) {
    ReportDamage(DamageKind::kCutShort);
    return -1;
  }
  return 1;
}

int SkipLabels(platform::File& stream, const tLogFileHdr& fixed) {
  for (int i = 0; i < fixed._iVersionCount; ++i) {
    std::array<std::uint8_t, kLabelHeadSize> head{};
    if (!stream.ReadExact(head)) {
      ReportDamage(DamageKind::kCutShort);
      return -1;
    }
    const LabelHead label = DecodeLabelHead(head);
    if (!IsValidLabelHead(label)) {
      ReportDamage(DamageKind::kBadHeaderField);
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
  // The same search as LookUpRevision; counting the records seen tells an
  // empty revision section, which is damage here, from a revision not there.
  int seen = 0;
  RevisionRecord record;
  const Lookup lookup = FindRecordWhere(
      stream, *start,
      [&](const RevisionRecord& candidate) {
        ++seen;
        return RevisionMatches(wanted, candidate.number, candidate.header);
      },
      record);
  if (lookup == Lookup::kNotFound && seen == 0) ReportFault(msg::kReadFailed);
  const int result = lookup == Lookup::kFound ? 1 : -1;
  if (result == 1) {
    found = record.header;
    offset = record.offset;
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
  if (!size) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  if (record.header._iDescSize < 1 ||
      !FitsInFile(record.DescriptionOffset(), record.header._iDescSize, *size)) {
    ReportDamage(DamageKind::kCutShort);
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
  if (bytes.back() != 0) {
    ReportDamage(DamageKind::kBadDescription);
    return -1;
  }
  description.assign(bytes.begin(), std::find(bytes.begin(), bytes.end(), std::uint8_t{0}));
  return 1;
}

int ReadRevisionData(platform::File& stream, const RevisionRecord& record, ByteBuffer& data) {
  const std::optional<std::int64_t> size = stream.Size();
  if (!size) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  if (record.header._iDescSize < 1 ||
      !FitsInFile(record.DataOffset(), static_cast<std::int64_t>(record.header.RevSize), *size)) {
    ReportDamage(DamageKind::kCutShort);
    return -1;
  }
  // The description's NUL stands right before the data: a size that is off
  // by any amount shows here, before its record yields shifted text.
  if (!stream.Seek(record.DataOffset() - 1)) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  std::array<std::uint8_t, 1> terminator{};
  if (!stream.ReadExact(terminator)) {
    ReportFault(msg::kReadFailed);
    return -1;
  }
  if (terminator[0] != 0) {
    ReportDamage(DamageKind::kBadDescription);
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
