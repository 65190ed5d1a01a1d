#include "engine/store/revision_rebuild.h"

#include <new>
#include <optional>
#include <stdexcept>

#include "engine/format/composed_text.h"
#include "engine/format/compression.h"
#include "engine/format/delta_format.h"
#include "engine/format/revision_number.h"
#include "engine/store/revision_scan.h"
#include "engine/support/report.h"
#include "platform/file_system.h"

namespace tarn {
namespace {

bool SameElement(const RevElement& a, const RevElement& b) {
  return a.iMajor == b.iMajor && a.iMinor == b.iMinor;
}

// Expands a compressed record's data in place; damaged data is a damaged
// logfile.
int ExpandStored(ByteBuffer& data) {
  if (Expand(data) != 1) {
    ReportDamage(DamageKind::kBadData);
    return -1;
  }
  return 1;
}

// A trunk tip marked as stored raw whose data is, to the byte, a compressed
// block of its own length: its compressed flag was lost. Its text would be
// the block, handed out as if it were the revision.
bool LooksLikeLostCompression(const tRevHdr& tip, const ByteBuffer& data) {
  if (tip._cCompressed != 0) return false;
  const std::optional<compressHeader> head = DecodeCompressHeader(data);
  return head && head->method == kCompressMethodLzrw1 &&
         head->afterCompressionSize == data.size() && head->afterCompressionSize == tip.RevSize &&
         head->beforeCompressionSize > head->afterCompressionSize;
}

// The deltas of the path, applied in file order. Their records are read
// from memory (the rest of the file, read in one go) and composed without
// copying the text per delta; the text is written out once at the end.
int ApplyPath(RevisionScanner& scanner, const tarnCommandRevDesc& wanted, RevisionRecord& record,
              ByteBuffer& text, std::uint32_t& expanded_length) {
  if (scanner.LoadRest() != 1) return -1;
  ComposedText composed(std::move(text));
  bool matched = false;
  while (!matched) {
    const RevisionScanner::Step step = scanner.Next(record);
    if (step != RevisionScanner::Step::kRecord) return -1;  // kEnd: not found, unreported
    if (!OnRevisionPath(record.number, wanted)) continue;
    matched = RevisionMatches(wanted, record.number, record.header);
    // The description's NUL stands right before the data: a size that is
    // off shows here, before its record yields shifted text.
    if (!scanner.DescriptionEndsInNul(record)) {
      ReportDamage(DamageKind::kBadDescription);
      return -1;
    }
    if (record.header.RevSize == 0) continue;
    const std::span<const std::uint8_t> stored = scanner.LoadedData(record);
    ByteBuffer delta(stored.begin(), stored.end());
    if (record.header._cCompressed == 1) {
      if (ExpandStored(delta) != 1) return -1;
      expanded_length = static_cast<std::uint32_t>(delta.size());
    }
    if (composed.Apply(std::move(delta)) != 1) {
      ReportDamage(DamageKind::kBadData);
      return -1;
    }
  }
  composed.WriteTo(text);
  return 1;
}

int RebuildWalk(platform::File& logfile, std::int64_t firstRecordOffset,
                const tarnCommandRevDesc& wanted, ByteBuffer& text, RebuiltRevision& found) {
  RevisionScanner scanner(logfile, firstRecordOffset);
  RevisionRecord record;
  const RevisionScanner::Step first = scanner.Next(record);
  if (first == RevisionScanner::Step::kEnd) ReportFault(msg::kReadFailed);  // no revision at all
  if (first != RevisionScanner::Step::kRecord) return -1;

  // The trunk tip, the only whole text: the newest revision costs one read.
  ByteBuffer current;
  if (ReadRevisionData(logfile, record, current) != 1) return -1;
  if (record.header._cCompressed == 1 && ExpandStored(current) != 1) return -1;
  if (LooksLikeLostCompression(record.header, current)) {
    ReportDamage(DamageKind::kBadData);
    return -1;
  }
  // The wanted record's data length after expansion, handed back in its header.
  auto expanded_length = static_cast<std::uint32_t>(current.size());
  if (!RevisionMatches(wanted, record.number, record.header) &&
      ApplyPath(scanner, wanted, record, current, expanded_length) != 1) {
    return -1;
  }

  // A damaged number can make a record match that is not the one asked
  // for; its line's next record (or the end) shows whether its place in
  // the order is right, before any text is handed out.
  const RevisionRecord match = record;
  RevisionRecord next;
  while (true) {
    const RevisionScanner::Step step = scanner.Next(next);
    if (step == RevisionScanner::Step::kFailed) return -1;  // reported
    if (step == RevisionScanner::Step::kEnd || next.header._iDepth <= match.header._iDepth) break;
  }
  record = match;

  found.header = record.header;
  if (record.header._cCompressed == 1) found.header.RevSize = expanded_length;
  found.number = record.number;
  found.offset = record.offset;
  text.swap(current);
  return 1;
}

}  // namespace

bool OnRevisionPath(const tarnCommandRevDesc& record, const tarnCommandRevDesc& wanted) {
  const int depth = record.iElementCount - 1;
  const int wantedDepth = wanted.iElementCount - 1;
  if (depth > wantedDepth) return false;
  for (int k = 0; k < depth; ++k) {
    if (!SameElement(record.elements[static_cast<std::size_t>(k)],
                     wanted.elements[static_cast<std::size_t>(k)])) {
      return false;
    }
  }
  const RevElement& mine = record.elements[static_cast<std::size_t>(depth)];
  const RevElement& target = wanted.elements[static_cast<std::size_t>(depth)];
  if (depth == 0) {
    // Trunk records run newest first: a branch leaves the trunk at its
    // branch point, and the older trunk records are not on its way, even
    // when the walk reaches them because the wanted revision is missing.
    if (depth == wantedDepth) return true;
    return mine.iMajor > target.iMajor || (mine.iMajor == target.iMajor && mine.iMinor >= target.iMinor);
  }
  if (mine.iMajor != target.iMajor) return false;
  // Branch records run oldest first: a deeper branch leaves this one at its
  // branch point, and the later records of this branch are not on its way.
  return depth == wantedDepth || mine.iMinor <= target.iMinor;
}

int ApplyRecordData(std::span<const std::uint8_t> stored, bool compressed, ByteBuffer& text) {
  if (stored.empty()) return 1;
  try {
    ByteBuffer expanded;
    std::span<const std::uint8_t> delta = stored;
    if (compressed) {
      expanded.assign(stored.begin(), stored.end());
      if (ExpandStored(expanded) != 1) return -1;
      delta = expanded;
    }
    ByteBuffer next;
    if (ApplyDelta(text, delta, next) != 1) {
      ReportDamage(DamageKind::kBadData);
      return -1;
    }
    text.swap(next);
    return 1;
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
  } catch (const std::length_error&) {
    ReportFault(msg::kOutOfMemory);
  }
  return -1;
}

int RebuildRevisionText(platform::File& logfile, std::int64_t firstRecordOffset,
                        const tarnCommandRevDesc& wanted, ByteBuffer& text,
                        RebuiltRevision* found) {
  try {
    RebuiltRevision result;
    ByteBuffer rebuilt;
    if (RebuildWalk(logfile, firstRecordOffset, wanted, rebuilt, result) != 1) return -1;
    text.swap(rebuilt);
    if (found != nullptr) *found = result;
    return 1;
  } catch (const std::bad_alloc&) {
    ReportFault(msg::kOutOfMemory);
  } catch (const std::length_error&) {
    ReportFault(msg::kOutOfMemory);
  }
  return -1;
}

int RebuildRevision(platform::File& logfile, std::int64_t firstRecordOffset,
                    const tarnCommandRevDesc& wanted, const std::string& tempPath,
                    RebuiltRevision& found) {
  ByteBuffer text;
  RebuiltRevision result;
  const auto fail = [&] {
    platform::DeleteFile(tempPath);
    return -1;
  };
  if (RebuildRevisionText(logfile, firstRecordOffset, wanted, text, &result) != 1) return fail();
  std::optional<platform::File> out =
      platform::File::Open(tempPath, platform::OpenMode::kWriteTruncate);
  if (!out) {
    Report(kAlert, msg::kTempNameFailed);
    return fail();
  }
  if (!out->WriteAll(text) || !out->Close()) {
    ReportWriteFailure();
    return fail();
  }
  found = result;
  return 1;
}

}  // namespace tarn
