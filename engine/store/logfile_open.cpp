#include "engine/store/logfile_open.h"

#include <array>
#include <cerrno>
#include <cstdint>

#include "engine/format/logfile_header.h"
#include "engine/format/logfile_header_codec.h"
#include "engine/store/disk_names.h"
#include "engine/store/logfile_lock.h"
#include "engine/store/name_collisions.h"
#include "engine/support/report.h"
#include "engine/support/source_location.h"

namespace tarn {

namespace {

// A logfile is always opened without following a symbolic link at its own
// name (links to directories on the way are fine). A logfile reached through
// a link would have its lock file beside the link while the data lives
// elsewhere: two links to one file would be locked separately, and a
// rewrite would replace the link by a regular file, leaving the history
// split in two. Such a logfile is refused instead, with its reason.
//
// It is opened for reading only, by readers and writers alike: a writer
// never writes into the old logfile but replaces it whole (logfile_replace.h),
// so nobody needs write permission on it, and its bytes, owner, mode and
// time stamps stay as they are until a replacement takes its name.
std::optional<platform::File> OpenForReading(const std::string& path) {
  return platform::File::OpenRegular(path, platform::OpenMode::kRead, platform::LinkRule::kRefuse);
}

}  // namespace

std::optional<platform::File> OpenLogfile(std::string_view logfileArgument,
                                          const tarnEnvironVars& env, std::string& logfilePath) {
  std::optional<std::string> path = LogfileNameFromWorkfile(logfileArgument, env.logfileDirectory);
  if (!path) {
    logfilePath.clear();
    return std::nullopt;  // a path too long to use, already reported
  }
  logfilePath = std::move(*path);
  // Such a name cannot be kept under version control here; a reader that
  // took it anyway would fetch from a file no writer may ever lock.
  if (const std::optional<std::string> shared = CollidingName(logfilePath)) {
    Report(kAlert, msg::kNamesCollide, logfileArgument, *shared);
    return std::nullopt;
  }

  std::optional<platform::File> stream = OpenForReading(logfilePath);
  if (!stream) {
    if (errno == ELOOP) {
      Report(kAlert, msg::kLogfileIsLink, logfilePath);
    } else {
      ReportSystemFailure(msg::kLogfileCannotOpen, logfilePath);
    }
    return std::nullopt;
  }

  FixedHeaderBytes bytes{};
  if (CheckFixedHeader(*stream, logfilePath, bytes) != 1) return std::nullopt;
  RememberWhatWasRead(logfilePath, *stream, bytes);
  return stream;
}

int CheckFixedHeader(platform::File& stream, const std::string& logfilePath,
                     FixedHeaderBytes& bytes) {
  if (!stream.ReadExact(bytes)) {
    ReportDamage(DamageKind::kCutShort);
    return -1;
  }
  const tLogFileHdr fixed = DecodeFixedHeader(bytes);
  if (fixed._iFormat != kLogfileFormat) {
    Report(kAlert, msg::kLogfileFormat, static_cast<int>(fixed._iFormat), logfilePath);
    return -1;
  }
  if (ComputeChecksum(fixed) != fixed._iChecksum) {
    Report(kAlert, msg::kLogfileChecksum, logfilePath);
    return -1;
  }
  if (!stream.Seek(0)) {
    ReportFault(msg::kSeekFailed);
    return -1;
  }
  return 1;
}

}  // namespace tarn
