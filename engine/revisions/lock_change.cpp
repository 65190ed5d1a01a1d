#include "engine/revisions/lock_change.h"

#include "engine/store/logfile_rewrite.h"
#include "engine/store/revision_scan.h"

namespace tarn {

std::optional<int> CountLockedRevisions(platform::File& stream, std::int64_t first_record_offset) {
  RevisionScanner scanner(stream, first_record_offset);
  RevisionRecord record;
  int locked = 0;
  while (true) {
    switch (scanner.Next(record)) {
      case RevisionScanner::Step::kRecord:
        if (record.header._iLocked != 0) ++locked;
        break;
      case RevisionScanner::Step::kEnd:
        return locked;
      case RevisionScanner::Step::kFailed:
        return std::nullopt;
    }
  }
}

int WriteLockChange(LogfileSession& session, std::int64_t record_offset, const tRevHdr& before,
                    const tRevHdr& after) {
  const std::optional<int> locked =
      CountLockedRevisions(session.file(), session.firstRecordOffset());
  if (!locked) return -1;
  const int count = *locked - (before._iLocked != 0 ? 1 : 0) + (after._iLocked != 0 ? 1 : 0);
  LogfileHeader& header = session.header();
  header.fixed._iLockCount = static_cast<std::int16_t>(count);
  std::optional<LogfileRewrite> rewrite =
      LogfileRewrite::Begin(session.path(), BackupName::kFirstCharacterReplaced);
  if (!rewrite) return -1;
  rewrite->ChangeRevisionHeader(record_offset, after);
  return rewrite->Finish(session.file(), session.firstRecordOffset(), header);
}

}  // namespace tarn
