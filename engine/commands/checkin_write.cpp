#include "engine/commands/checkin_write.h"

#include <optional>

#include "engine/format/revision_header.h"
#include "engine/format/supplemental_info.h"
#include "engine/store/logfile_replace.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

std::optional<LogfileReplacement> StartReplacement(const CheckInTarget& target) {
  std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(target.logfilePath);
  if (!replacement) {
    if (target.isNew) {
      Report(kAlert, msg::kLogfileCreateFailed, target.logfilePath);
    } else {
      Report(kAlert, msg::kTempNameFailed);
    }
  }
  return replacement;
}

int WriteRecords(const CheckInPlan& plan, const CheckInTarget& target, CheckInTexts& texts,
                 LogfileHeader& header, platform::File& out) {
  if (plan.write == CheckInWrite::kChangedRecord) {
    if (target.old == nullptr) return -1;
    return WriteLogfileWithChangedRecord(*target.old, target.firstRecordOffset, header,
                                         plan.changedRecordOffset, plan.changedRecord, out);
  }
  NewRevision revision;
  revision.record = plan.newRecord;
  revision.description = std::move(texts.description);
  revision.data = std::move(texts.data);
  revision.oldTipDelta = std::move(texts.oldTipDelta);
  return WriteLogfileWithNewRevision(target.old, target.firstRecordOffset, header, plan.insertion,
                                     revision, out);
}

}  // namespace

int WriteCheckIn(const CheckInPlan& plan, const CheckInTarget& target, CheckInTexts texts,
                 const tarnEnvironVars& env) {
  if (plan.write == CheckInWrite::kNothing) return 1;
  LogfileHeader header = plan.header;
  if (plan.refreshInfo) {
    if (plan.infoTime) SetExplicitUpdateTime(*plan.infoTime);
    if (UpdateSupplementalInfo(header, target.workfile, env) != 1) return -1;
  }
  std::optional<LogfileReplacement> replacement = StartReplacement(target);
  if (!replacement) return -1;
  const auto growth = static_cast<std::int64_t>(texts.description.size() + texts.data.size() +
                                                texts.oldTipDelta.size() + kRevisionHeaderSize);
  if (WriteRecords(plan, target, texts, header, replacement->file()) != 1) {
    replacement->ReportIfOutOfSpace(growth);
    return -1;
  }
  return replacement->Commit(header.AsksProtection());
}

}  // namespace tarn
