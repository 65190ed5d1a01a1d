#include "engine/store/logfile_replace.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "engine/support/report.h"
#include "platform/exit_cleanup.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

std::optional<LogfileReplacement> LogfileReplacement::Start(const std::string& logfile_path) {
  std::string replacement_path = ReplacementFileName(logfile_path);
  // A replacement file left by a killed command is stale: this command holds
  // the logfile lock. It is removed rather than truncated so that the new
  // file belongs to this user whoever made the old one.
  platform::DeleteFile(replacement_path);
  std::optional<platform::File> file =
      platform::File::Open(replacement_path, platform::OpenMode::kCreateExclusive);
  if (!file) return std::nullopt;
  // Writable for the team as well where the directory is shared, as every
  // logfile the commands make writable is (the protection, if any, comes
  // back when the command releases the logfile).
  platform::SetReadOnly(replacement_path, false);
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

int LogfileReplacement::Commit() {
  if (finished_) return -1;
  // The data must be on disk before the rename makes it the logfile;
  // otherwise a crash could leave the new name on an empty file.
  if (!file_.Sync() || !file_.Close()) {
    Report(kAlert, msg::kCannotWrite, replacement_path_, std::string_view(std::strerror(errno)));
    Abandon();
    return -1;
  }
  // From here the change is finished rather than broken off by a signal.
  platform::NoteChangeBegins();
  if (!platform::RenameFile(replacement_path_, logfile_path_)) {
    Report(kAlert, msg::kCannotWrite, logfile_path_, std::string_view(std::strerror(errno)));
    Abandon();
    return -1;
  }
  finished_ = true;
  interrupted_.Forget();
  // The rename is done; a failed directory flush only means it might not
  // survive a power cut, which leaves the old logfile whole. Nothing to undo.
  platform::SyncDirectory(platform::DirectoryPart(logfile_path_));
  return 1;
}

}  // namespace tarn
