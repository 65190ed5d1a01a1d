#include "engine/store/logfile_rewrite.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "engine/format/logfile_header_io.h"
#include "engine/store/file_copy.h"
#include "engine/store/logfile_lock.h"
#include "engine/support/guarded_memory.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "engine/support/source_location.h"
#include "platform/error_text.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

// Reports a message whose texts are followed by the engine's source module
// and line (as ReportFault does for messages without texts).
void ReportWithPlace(
    CheckedMessage<std::string_view, std::string_view, std::string_view, int> message,
    std::string_view first, std::string_view second,
    SourceLocation where = SourceLocation::current()) {
  const std::string module = SourceModuleName(where);
  const MessageArg args[] = {MessageArg(first), MessageArg(second), MessageArg(module),
                             MessageArg(static_cast<long long>(where.line()))};
  ReportFormatted(kAlert, message.id, args);
}


}  // namespace

std::optional<LogfileRewrite> LogfileRewrite::Begin(const std::string& logfile_path,
                                                    BackupName style) {
  std::optional<LogfileReplacement> replacement = LogfileReplacement::Start(logfile_path);
  if (!replacement) {
    Report(kAlert, msg::kCannotCreate, ReplacementFileName(logfile_path),
           platform::ErrorText(errno));
    return std::nullopt;
  }
  // The backup carries the same tag as the replacement: the lock's.
  const std::string& replacement_path = replacement->path();
  const std::string tag =
      replacement_path.substr(replacement_path.rfind('+') + 1);
  return LogfileRewrite(logfile_path, BackupFileName(logfile_path, style, tag),
                        std::move(*replacement));
}

void LogfileRewrite::ChangeRevisionHeader(std::int64_t offset, const tRevHdr& record) {
  record_changes_.push_back({offset, record});
}

int LogfileRewrite::WriteNewLogfile(platform::File& old_logfile, std::int64_t first_record_offset,
                                    LogfileHeader& header) {
  const ByteBuffer bytes = EncodeLogfileHeader(header);
  if (!replacement_.file().WriteAll(bytes)) {
    ReportWriteFailure();
    return -1;
  }
  if (CopyFileBytesOrReport(old_logfile, first_record_offset, std::nullopt,
                            replacement_.file()) != 1) {
    return -1;
  }
  return WriteRecordChanges(first_record_offset, static_cast<std::int64_t>(bytes.size()));
}

int LogfileRewrite::WriteRecordChanges(std::int64_t first_record_offset,
                                       std::int64_t new_first_record_offset) {
  for (const RecordChange& change : record_changes_) {
    const std::int64_t offset = change.offset - first_record_offset + new_first_record_offset;
    const auto bytes = EncodeRevisionHeader(change.record);
    if (change.offset < first_record_offset || !replacement_.file().Seek(offset)) {
      ReportFault(msg::kSeekFailed);
      return -1;
    }
    if (!replacement_.file().WriteAll(bytes)) {
      ReportWriteFailure();
      return -1;
    }
  }
  return 1;
}

int LogfileRewrite::MakeBackup(platform::File& old_logfile) {
  // A file of the backup's name carries this command's tag: it is ours.
  platform::DeleteFile(backup_path_);
  backup_interrupted_ = platform::RemoveOnEarlyExit(backup_path_);
  if (platform::LinkFile(logfile_path_, backup_path_)) return 1;
  // No hard links here: the backup is a copy, on disk before it counts.
  std::optional<platform::File> backup =
      platform::File::Open(backup_path_, platform::OpenMode::kCreateExclusive);
  if (backup && CopyFileBytesOrReport(old_logfile, 0, std::nullopt, *backup) == 1 && backup->Sync() && backup->Close()) {
    return 1;
  }
  backup.reset();
  platform::DeleteFile(backup_path_);
  return -1;
}

int LogfileRewrite::Finish(platform::File& old_logfile, std::int64_t first_record_offset,
                           LogfileHeader& header) {
  // A header the format cannot hold is a refusal of the change (reported),
  // not a failed copy: nothing has been written yet.
  if (PrepareLogfileHeader(header) != 1) {
    replacement_.Abandon();
    return -1;
  }
  const int written = WriteNewLogfile(old_logfile, first_record_offset, header);
  if (written != 1) {
    replacement_.ReportIfOutOfSpace(
        std::max<std::int64_t>(0, static_cast<std::int64_t>(EncodedHeaderSize(header)) -
                                      first_record_offset));
    replacement_.Abandon();
    return -1;
  }
  if (MakeBackup(old_logfile) != 1) {
    ReportWithPlace(msg::kBackupRenameFailed, logfile_path_, backup_path_);
    replacement_.Abandon();
    return -1;
  }
  if (replacement_.Commit(header.AsksProtection()) != 1) {
    // The rename did not happen. Whether the logfile is the old one still
    // is said only when it is: another command may have replaced it.
    const LogfileLock* lock = HeldLogfileLock(logfile_path_);
    if (lock == nullptr || lock->LogfileIsAsRead()) {
      Report(kAlert, msg::kLogfileRestored, replacement_.path(), logfile_path_);
    }
    platform::DeleteFile(backup_path_);
    return -1;
  }
  platform::DeleteFile(backup_path_);
  return 1;
}

}  // namespace tarn
