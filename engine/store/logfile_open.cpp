#include "engine/store/logfile_open.h"

#include <array>
#include <cerrno>
#include <cstdint>

#include "engine/format/logfile_header.h"
#include "engine/format/logfile_header_codec.h"
#include "engine/store/disk_names.h"
#include "engine/store/file_copy.h"
#include "engine/store/logfile_lock.h"
#include "engine/store/logfile_replace.h"
#include "engine/support/report.h"
#include "engine/support/source_location.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

// A logfile is always opened without following a symbolic link at its own
// name (links to directories on the way are fine). A logfile reached through
// a link would have its lock file beside the link while the data lives
// elsewhere: two links to one file would be locked separately, and a
// rewrite would replace the link by a regular file, leaving the history
// split in two. Such a logfile is refused instead, with its reason.
std::optional<platform::File> OpenExisting(const std::string& path, platform::OpenMode mode) {
  return platform::File::OpenRegular(path, mode, platform::LinkRule::kRefuse);
}

// Copies the logfile into a new file of this user's (writable by the group
// where the directory is shared) and renames it into place: a team member
// can then work on a logfile that another member created and protected. The
// lock is held, so nobody else sees the file change hands. Nothing when the
// directory refuses it; errno tells why.
std::optional<platform::File> TakeOver(const std::string& path) {
  std::optional<platform::File> old = OpenExisting(path, platform::OpenMode::kRead);
  if (!old) return std::nullopt;
  // The copy is checked against the logfile as read here before it goes
  // into place, like every replacement.
  std::array<std::uint8_t, kFixedHeaderSize> fixed{};
  if (!old->ReadExact(fixed) || !old->Seek(0)) return std::nullopt;
  RememberWhatWasRead(path, *old, fixed);
  std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(path);
  if (!replacement) return std::nullopt;
  if (CopyFileBytes(*old, 0, std::nullopt, replacement->file()) != CopyFailure::kNone) {
    return std::nullopt;
  }
  if (replacement->Commit() != 1) return std::nullopt;
  return OpenExisting(path, platform::OpenMode::kReadWrite);
}

// Opens the logfile for reading and writing. A protected logfile is made
// writable first: through a descriptor of the file itself, so the change
// can only ever reach this regular file.
std::optional<platform::File> OpenForUpdate(const std::string& path) {
  std::optional<platform::File> file = OpenExisting(path, platform::OpenMode::kReadWrite);
  if (file || errno != EACCES) return file;
  // Read-only: the protection that the lock file's release puts back.
  if (platform::SetReadOnly(path, false)) {
    file = OpenExisting(path, platform::OpenMode::kReadWrite);
    if (file || errno != EACCES) return file;
  }
  // Another user's protected logfile.
  if (!platform::CanCreateFilesIn(platform::DirectoryPart(path))) {
    errno = EACCES;
    return std::nullopt;
  }
  return TakeOver(path);
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

  std::optional<platform::File> stream = OpenForUpdate(logfilePath);
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
