#include "engine/store/logfile_session.h"

#include "engine/format/logfile_header_io.h"
#include "engine/store/header_agreement.h"
#include "engine/store/logfile_open.h"
#include "engine/store/logfile_reading.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"

namespace tarn {

int LogfileSession::OpenForReading(std::string_view file_name, const tarnEnvironVars& env) {
  file_ = OpenLogfile(file_name, env, path_);
  if (!file_) return -1;
  return ReadHeaderAndRecordStart(*file_, header_, first_record_offset_);
}

int LogfileSession::OpenForChange(std::string_view file_name, const tarnEnvironVars& env) {
  lock_ = AcquireLockFile(file_name, env);
  if (!lock_) return -1;
  if (OpenForReading(file_name, env) != 1) return -1;
  return CheckBeforeChange();
}

int LogfileSession::CheckBeforeChange() {
  if (CheckHeaderAgreesWithRecords(*file_, first_record_offset_, header_) != 1) {
    Report(kAlert, msg::kLogfileNotChanged, path_);
    return -1;
  }
  if (!file_->Seek(first_record_offset_)) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  return 1;
}

int LogfileSession::Close() {
  file_.reset();
  return ReleaseLockFile(lock_) ? 1 : -1;
}

}  // namespace tarn
