#include "engine/store/header_agreement.h"

#include "engine/store/revision_scan.h"
#include "engine/support/report.h"

namespace tarn {

int CheckHeaderAgreesWithRecords(platform::File& logfile, std::int64_t firstRecordOffset,
                                 const LogfileHeader& header) {
  RevisionScanner scanner(logfile, firstRecordOffset);
  RevisionRecord record;
  RevisionRecord first;
  while (true) {
    const RevisionScanner::Step step = scanner.Next(record);
    if (step == RevisionScanner::Step::kFailed) return -1;  // reported
    if (step == RevisionScanner::Step::kEnd) break;
    if (scanner.Count() == 1) first = record;
  }
  const tLogFileHdr& fixed = header.fixed;
  bool agrees = scanner.Count() == fixed._iRevisionCount;
  if (agrees && scanner.Count() > 0) {
    agrees = first.header.major == fixed._iMajorNumber && first.header.minor == fixed._iMinorNumber;
  } else if (agrees) {
    agrees = fixed._iMinorNumber == -1;  // a logfile without revisions
  }
  if (!agrees) {
    ReportDamage(DamageKind::kHeaderDisagrees);
    return -1;
  }
  return 1;
}

}  // namespace tarn
