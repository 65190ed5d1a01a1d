#include "engine/store/logfile_replace.h"

#include <array>
#include <cerrno>
#include <string>
#include <utility>

#include "engine/format/logfile_header_codec.h"
#include "engine/format/logfile_header_io.h"
#include "engine/store/header_agreement.h"
#include "engine/store/logfile_lock.h"
#include "engine/support/lock_messages.h"
#include "engine/support/report.h"
#include "platform/error_text.h"
#include "platform/exit_cleanup.h"
#include "platform/file_system.h"
#include "platform/file_system_type.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace tarn {

namespace {

std::string RandomTag() {
  std::array<char, 17> text{};
  std::snprintf(text.data(), text.size(), "%016llx",
                static_cast<unsigned long long>(platform::UniqueNumber()));
  return text.data();
}

// The errors with which a rename refuses to replace an existing file on a
// file system that cannot do it.
bool CannotRenameOver(int error) {
  return error == EEXIST || error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS;
}

}  // namespace

bool ReadsAsWholeLogfile(const std::string& path) {
  std::optional<platform::File> file =
      platform::File::OpenRegular(path, platform::OpenMode::kRead, platform::LinkRule::kRefuse);
  if (!file) return false;
  std::array<std::uint8_t, kFixedHeaderSize> bytes{};
  if (!file->ReadExact(bytes)) return false;
  const tLogFileHdr fixed = DecodeFixedHeader(bytes);
  if (fixed._iFormat != kLogfileFormat || ComputeChecksum(fixed) != fixed._iChecksum) return false;
  LogfileHeader header;
  if (ReadLogfileHeader(*file, header) != 1) return false;
  const std::optional<std::int64_t> first_record = file->Tell();
  return first_record && CheckHeaderAgreesWithRecords(*file, *first_record, header) == 1;
}

std::optional<LogfileReplacement> LogfileReplacement::Start(const std::string& logfile_path) {
  const LogfileLock* lock = HeldLogfileLock(logfile_path);
  std::string replacement_path =
      ReplacementFileName(logfile_path, lock != nullptr ? lock->Token() : RandomTag());
  std::optional<platform::File> file =
      platform::File::Open(replacement_path, platform::OpenMode::kCreateExclusive);
  if (!file && errno == EEXIST && lock != nullptr) {
    // Its name carries our lock's tag: an earlier replacement of this very
    // command, ours to replace.
    platform::DeleteFile(replacement_path);
    file = platform::File::Open(replacement_path, platform::OpenMode::kCreateExclusive);
  }
  if (!file) return std::nullopt;
  return LogfileReplacement(logfile_path, std::move(replacement_path), std::move(*file));
}

LogfileReplacement::LogfileReplacement(std::string logfile_path, std::string replacement_path,
                                       platform::File file)
    : logfile_path_(std::move(logfile_path)),
      replacement_path_(std::move(replacement_path)),
      file_(std::move(file)),
      interrupted_(replacement_path_) {}

LogfileReplacement::LogfileReplacement(LogfileReplacement&& other) noexcept
    : logfile_path_(std::move(other.logfile_path_)),
      replacement_path_(std::move(other.replacement_path_)),
      file_(std::move(other.file_)),
      interrupted_(std::move(other.interrupted_)),
      finished_(std::exchange(other.finished_, true)) {}

LogfileReplacement::~LogfileReplacement() { Abandon(); }

void LogfileReplacement::Abandon() {
  if (finished_) return;
  finished_ = true;
  file_.Close();
  platform::DeleteFile(replacement_path_);
  interrupted_.Forget();
}

void LogfileReplacement::ReportIfOutOfSpace(std::int64_t growth) const {
  const int code = errno;
  if (!platform::IsOutOfSpace(code)) return;
  const std::int64_t needed = platform::FileSize(logfile_path_).value_or(0) + growth;
  Report(kAlert, msg::kReplacementNotWritten, logfile_path_, platform::ErrorText(code),
         std::to_string(needed));
}

int LogfileReplacement::Commit(bool readOnly) {
  if (finished_) return -1;
  // The new logfile is shared as the old one was: readable by all who could
  // read it, writable as the directory shares it unless protected, in the
  // directory's group. It is made so before it takes the logfile's name, so
  // nobody ever has to change the mode of a logfile, which only its owner
  // could.
  if (!file_.ShareAs(platform::DirectoryPart(logfile_path_), readOnly, &logfile_path_)) {
    Report(kAlert, msg::kCannotWrite, replacement_path_, platform::ErrorText(errno));
    Abandon();
    return -1;
  }
  // The data must be on disk before the rename makes it the logfile;
  // otherwise a crash could leave the new name on an empty file.
  if (!file_.Sync() || !file_.Close()) {
    const int code = errno;
    Report(kAlert, msg::kCannotWrite, replacement_path_, platform::ErrorText(code));
    errno = code;
    ReportIfOutOfSpace(0);
    Abandon();
    return -1;
  }
  LogfileLock* lock = HeldLogfileLock(logfile_path_);
  std::optional<LogfileFingerprint> replacing;
  if (lock != nullptr) {
    if (!ReadsAsWholeLogfile(replacement_path_)) {
      Report(kAlert, msg::kReplacementUnreadable, replacement_path_, logfile_path_);
      Abandon();
      return -1;
    }
    replacing = FingerprintOf(replacement_path_);
    if (!lock->ConfirmBeforeReplacing()) {
      Abandon();
      return -1;
    }
  }
  // From here the change is finished rather than broken off by a signal.
  platform::NoteChangeBegins();
  if (!platform::RenameFile(replacement_path_, logfile_path_)) {
    const int error = errno;
    if (CannotRenameOver(error)) {
      const std::string directory = platform::DirectoryPart(logfile_path_);
      Report(kAlert, msg::kFileSystemUnsupported, directory,
             platform::FileSystemTypeOf(directory.empty() ? std::string(".") : directory));
    } else {
      Report(kAlert, msg::kLogfileNotReplaced, logfile_path_, platform::ErrorText(error));
    }
    Abandon();
    return -1;
  }
  finished_ = true;
  interrupted_.Forget();
  // What stands there now is what this command wrote: a further change
  // under the same lock starts from it.
  if (lock != nullptr && replacing) lock->RememberLogfile(*replacing);
  // The rename is done; a failed directory flush only means it might not
  // survive a power cut, which leaves the old logfile whole. Nothing to undo.
  platform::SyncDirectory(platform::DirectoryPart(logfile_path_));
  return 1;
}

}  // namespace tarn
