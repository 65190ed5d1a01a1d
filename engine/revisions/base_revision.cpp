#include "engine/revisions/base_revision.h"

#include "engine/format/revision_number.h"
#include "engine/store/revision_lookup.h"
#include "engine/store/revision_scan.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

BaseRevision FromRecord(const RevisionRecord& record) {
  BaseRevision base;
  base.header = record.header;
  base.number = record.number;
  base.offset = record.offset;
  return base;
}

int LockedByUser(platform::File& logfile, std::int64_t firstRecordOffset, int userIndex,
                 BaseRevision& base) {
  RevisionRecord locked;
  switch (FindRecordWhere(
      logfile, firstRecordOffset,
      [&](const RevisionRecord& record) {
        return record.header._iLocked == 1 && record.header.LockerIndex == userIndex;
      },
      locked)) {
    case Lookup::kFound:
      base = FromRecord(locked);
      return 1;
    case Lookup::kNotFound:
      Report(kAlert, msg::kNoLockedRevision);
      return 2;
    case Lookup::kFailed:
      break;
  }
  return -1;
}

int TrunkTip(platform::File& logfile, std::int64_t firstRecordOffset, BaseRevision& base) {
  RevisionScanner scanner(logfile, firstRecordOffset);
  RevisionRecord record;
  switch (scanner.Next(record)) {
    case RevisionScanner::Step::kRecord:
      base = FromRecord(record);
      return 1;
    case RevisionScanner::Step::kEnd:
      ReportFault(msg::kReadFailed);  // the header counts revisions the file lacks
      return -1;
    case RevisionScanner::Step::kFailed:
      return -1;
  }
  return -1;
}

int DefaultBranchTip(platform::File& logfile, std::int64_t firstRecordOffset,
                     const tarnCommandRevDesc& branch, BaseRevision& base) {
  if (!logfile.Seek(firstRecordOffset)) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  tRevHdr tip;
  tarnCommandRevDesc tipNumber;
  if (FindBranchTip(logfile, branch, tip, tipNumber) != 1) {
    Report(kAlert, msg::kDefaultBranchNotFound, FormatRevision(branch));
    return 2;
  }
  // The tip's number selects exactly its record, which gives its offset.
  std::int64_t offset = 0;
  tRevHdr found;
  if (FindRevision(tipNumber, logfile, found, offset) != 1) return -1;
  base.header = found;
  base.number = tipNumber;
  base.offset = offset;
  return 1;
}

}  // namespace

int FindBaseRevision(platform::File* logfile, std::int64_t firstRecordOffset,
                     const LogfileHeader& header, std::uint16_t attributes, int userIndex,
                     BaseRevision& base) {
  base = BaseRevision{};
  if (header.fixed._iRevisionCount == 0 || logfile == nullptr) {
    AddRevisionElement(base.number, header.fixed._iMajorNumber, header.fixed._iMinorNumber, 0);
    base.header._cTip = 1;
    return 1;
  }
  if ((attributes & kAttrCheckLock) != 0) {
    return LockedByUser(*logfile, firstRecordOffset, userIndex, base);
  }
  if (!header.defaultRevision) return TrunkTip(*logfile, firstRecordOffset, base);
  return DefaultBranchTip(*logfile, firstRecordOffset, *header.defaultRevision, base);
}

}  // namespace tarn
