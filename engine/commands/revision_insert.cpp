#include "engine/commands/revision_insert.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "engine/format/compression.h"
#include "engine/format/logfile_header_io.h"
#include "engine/store/file_copy.h"
#include "engine/store/revision_scan.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

bool Write(platform::File& out, std::span<const std::uint8_t> bytes) {
  if (!out.WriteAll(bytes)) {
    ReportWriteFailure();
    return false;
  }
  return true;
}

// Copies the bytes of `old` from `from` up to `to` (none: to its end).
bool CopyRange(platform::File& old, std::int64_t from, std::optional<std::int64_t> to,
               platform::File& out) {
  return CopyFileBytesOrReport(old, from, to, out) == 1;
}

bool WriteHeader(LogfileHeader& header, platform::File& out) {
  if (PrepareLogfileHeader(header) != 1) return false;
  const ByteBuffer bytes = EncodeLogfileHeader(header);
  return Write(out, bytes);
}

// Compressed when asked for and when that makes the data smaller.
void StoreData(ByteBuffer& data, tRevHdr& record, bool compress) {
  record._cCompressed = compress && Compress(data) == 1 ? 1 : 0;
}

// A record whose description is given as stored (its NUL included).
bool WriteRecord(platform::File& out, tRevHdr record, std::span<const std::uint8_t> description,
                 std::span<const std::uint8_t> data) {
  if (data.size() > std::numeric_limits<std::uint32_t>::max() ||
      description.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
    ReportFault(msg::kWriteFailed);
    return false;
  }
  record._iDescSize = static_cast<std::int16_t>(description.size());
  record.RevSize = static_cast<std::uint32_t>(data.size());
  const std::array<std::uint8_t, kRevisionHeaderSize> head = EncodeRevisionHeader(record);
  ByteBuffer head_and_description(head.begin(), head.end());
  head_and_description.insert(head_and_description.end(), description.begin(), description.end());
  return Write(out, head_and_description) && Write(out, data);
}

ByteBuffer StoredDescription(std::string_view description) {
  ByteBuffer stored(description.begin(), description.end());
  stored.push_back(0);
  return stored;
}

bool ReadRange(platform::File& old, std::int64_t from, std::int64_t to, ByteBuffer& bytes) {
  bytes.resize(static_cast<std::size_t>(to - from));
  if (!old.Seek(from)) {
    ReportFault(msg::kSeekFailed);
    return false;
  }
  if (!old.ReadExact(bytes)) {
    ReportFault(msg::kReadFailed);
    return false;
  }
  return true;
}

bool WriteNewRevision(const InsertionPlan& plan, NewRevision& revision, platform::File& out) {
  // Cut to fit, the description would lose what the user wrote (and the
  // journal would hold more than the logfile): refused, nothing is stored.
  if (revision.description.size() > kMaxRevisionDescription) {
    Report(kAlert, msg::kHeaderFieldTooLarge);
    return false;
  }
  tRevHdr record = revision.record;
  StoreData(revision.data, record, plan.compress);
  return WriteRecord(out, record, StoredDescription(revision.description), revision.data);
}

// The new trunk tip first, stored whole; the old tip behind it as a reverse
// delta; then everything else as it was.
int WriteTrunkRevision(platform::File* old, std::int64_t firstRecordOffset,
                       const InsertionPlan& plan, NewRevision& revision, platform::File& out) {
  if (!WriteNewRevision(plan, revision, out)) return -1;
  if (plan.base.IsVirtual()) return 1;
  RevisionScanner scanner(*old, firstRecordOffset);
  RevisionRecord tip;
  if (scanner.Next(tip) != RevisionScanner::Step::kRecord) return -1;
  if (tip.offset != plan.base.offset) {
    // A new trunk revision always descends from the trunk tip.
    ReportFault(msg::kReadFailed);
    return -1;
  }
  ByteBuffer description;
  if (!ReadRange(*old, tip.DescriptionOffset(), tip.DataOffset(), description)) return -1;
  tRevHdr former = tip.header;
  former._iLocked = 0;
  former._cTip = 0;
  StoreData(revision.oldTipDelta, former, plan.compress);
  if (!WriteRecord(out, former, description, revision.oldTipDelta)) return -1;
  if (!CopyRange(*old, tip.EndOffset(), std::nullopt, out)) {
    const RevElement& number = plan.number.number.elements[0];
    Report(kAlert, msg::kCopyBehindTrunkFailed, number.iMajor, number.iMinor);
    return -1;
  }
  return 1;
}

// Where a revision that continues the base's line goes: behind the base and
// the branches started at it (the records deeper than the base that follow).
bool EndOfBranchesBehind(platform::File& old, const RevisionRecord& base, std::int64_t& end) {
  end = base.EndOffset();
  if (base.header._iBranchCount <= 0) return true;
  RevisionScanner scanner(old, end, RevisionScanner::Start::kMidway);
  RevisionRecord record;
  while (true) {
    const RevisionScanner::Step step = scanner.Next(record);
    if (step == RevisionScanner::Step::kFailed) return false;
    if (step == RevisionScanner::Step::kEnd || record.header._iDepth <= base.header._iDepth) {
      return true;
    }
    end = record.EndOffset();
  }
}

int WriteBranchRevision(platform::File& old, std::int64_t firstRecordOffset,
                        const InsertionPlan& plan, NewRevision& revision, platform::File& out) {
  const RevisionRecord base{plan.base.header, plan.base.number, plan.base.offset};
  if (!CopyRange(old, firstRecordOffset, base.offset, out)) return -1;
  tRevHdr changed = base.header;
  changed._iLocked = 0;
  changed.LockerIndex = 0;
  if (!plan.keepBaseTip) changed._cTip = 0;
  if (plan.number.startsBranch) ++changed._iBranchCount;
  const std::array<std::uint8_t, kRevisionHeaderSize> head = EncodeRevisionHeader(changed);
  if (!Write(out, head)) return -1;
  if (!CopyRange(old, base.DescriptionOffset(), base.EndOffset(), out)) return -1;
  std::int64_t insertAt = base.EndOffset();
  if (!plan.number.startsBranch && !EndOfBranchesBehind(old, base, insertAt)) return -1;
  if (!CopyRange(old, base.EndOffset(), insertAt, out)) return -1;
  if (!WriteNewRevision(plan, revision, out)) return -1;
  return CopyRange(old, insertAt, std::nullopt, out) ? 1 : -1;
}

}  // namespace

int WriteLogfileWithNewRevision(platform::File* old, std::int64_t firstRecordOffset,
                                LogfileHeader& header, const InsertionPlan& plan,
                                NewRevision& revision, platform::File& out) {
  if (!WriteHeader(header, out)) return -1;
  if (plan.number.IsTrunk()) {
    return WriteTrunkRevision(old, firstRecordOffset, plan, revision, out);
  }
  if (old == nullptr || plan.base.IsVirtual()) {
    ReportFault(msg::kReadFailed);  // a branch needs a base record
    return -1;
  }
  return WriteBranchRevision(*old, firstRecordOffset, plan, revision, out);
}

int WriteLogfileWithChangedRecord(platform::File& old, std::int64_t firstRecordOffset,
                                  LogfileHeader& header, std::int64_t recordOffset,
                                  const tRevHdr& record, platform::File& out) {
  if (!WriteHeader(header, out)) return -1;
  if (!CopyRange(old, firstRecordOffset, recordOffset, out)) return -1;
  if (!Write(out, EncodeRevisionHeader(record))) return -1;
  const auto after = recordOffset + static_cast<std::int64_t>(kRevisionHeaderSize);
  return CopyRange(old, after, std::nullopt, out) ? 1 : -1;
}

}  // namespace tarn
