#include "engine/store/logfile_open.h"

#include <array>
#include <cstdint>

#include "engine/format/logfile_header.h"
#include "engine/format/logfile_header_codec.h"
#include "engine/store/logfile_names.h"
#include "engine/support/report.h"
#include "engine/support/source_location.h"
#include "platform/file_system.h"

namespace tarn {

std::optional<platform::File> OpenLogfile(std::string_view logfileArgument,
                                          const tarnEnvironVars& env, std::string& logfilePath) {
  std::optional<std::string> path = LogfileNameFromWorkfile(logfileArgument, env.logfileDirectory);
  if (!path) {
    logfilePath.clear();
    return std::nullopt;  // a path too long to use, already reported
  }
  logfilePath = std::move(*path);
  // A protected logfile is made writable for the command; the lock file's
  // release protects it again when the logfile asks for that.
  platform::SetReadOnly(logfilePath, false);

  std::optional<platform::File> stream =
      platform::File::Open(logfilePath, platform::OpenMode::kReadWrite);
  if (!stream) {
    const SourceLocation here = SourceLocation::current();
    Report(kStatus, msg::kLogfileOpenFailed, logfilePath, SourceModuleName(here),
           static_cast<int>(here.line()));
    return std::nullopt;
  }

  std::array<std::uint8_t, kFixedHeaderSize> bytes{};
  if (!stream->ReadExact(bytes)) {
    ReportFault(msg::kReadFailed);
    return std::nullopt;
  }
  const tLogFileHdr fixed = DecodeFixedHeader(bytes);
  if (fixed._iFormat != kLogfileFormat) {
    Report(kAlert, msg::kLogfileFormat, static_cast<int>(fixed._iFormat), logfilePath);
    return std::nullopt;
  }
  if (ComputeChecksum(fixed) != fixed._iChecksum) {
    Report(kAlert, msg::kLogfileChecksum, logfilePath);
    return std::nullopt;
  }
  if (!stream->Seek(0)) {
    ReportFault(msg::kSeekFailed);
    return std::nullopt;
  }
  return stream;
}

}  // namespace tarn
