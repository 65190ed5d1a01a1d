#include "engine/store/logfile_reading.h"

#include <cerrno>

#include "engine/format/logfile_header_io.h"
#include "engine/store/disk_names.h"
#include "engine/store/logfile_open.h"
#include "engine/support/report.h"
#include "platform/file_system.h"

namespace tarn {

int ReadHeaderAndRecordStart(platform::File& file, LogfileHeader& header,
                             std::int64_t& first_record_offset) {
  if (ReadLogfileHeader(file, header) != 1) return -1;
  const std::optional<std::int64_t> offset = file.Tell();
  if (!offset) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  first_record_offset = *offset;
  return 1;
}

LogfileReading::~LogfileReading() { ReleaseLogfileHeader(header_); }

int LogfileReading::Open(std::string_view file_name, const tarnEnvironVars& env) {
  std::optional<std::string> path = LogfileNameFromWorkfile(file_name, env.logfileDirectory);
  if (!path) return -1;  // reported
  if (!platform::FileExists(*path)) {
    Report(kAlert, msg::kNoLogfileFor, file_name);
    return -1;
  }
  return OpenPath(*path);
}

int LogfileReading::OpenPath(const std::string& logfile_path) {
  path_ = logfile_path;
  // Never through a link at the logfile's own name, as every command opens it.
  file_ = platform::File::OpenRegular(path_, platform::OpenMode::kRead, platform::LinkRule::kRefuse);
  if (!file_) {
    if (errno == ELOOP) {
      Report(kAlert, msg::kLogfileIsLink, path_);
    } else {
      ReportSystemFailure(msg::kLogfileCannotOpen, path_);
    }
    return -1;
  }
  FixedHeaderBytes fixed{};
  if (CheckFixedHeader(*file_, path_, fixed) != 1) return -1;
  return ReadHeaderAndRecordStart(*file_, header_, first_record_offset_);
}

}  // namespace tarn
