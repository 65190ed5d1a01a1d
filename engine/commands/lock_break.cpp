#include "engine/commands/lock_break.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>

#include "engine/format/logfile_header_io.h"
#include "engine/format/user_list.h"
#include "engine/store/disk_names.h"
#include "engine/store/journal.h"
#include "engine/support/identity_note.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/lock_messages.h"
#include "engine/support/report.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/lock_file.h"

namespace tarn {

namespace {

// The logfile's header, read without any lock: nothing when there is no
// logfile (or none that can be read).
std::optional<LogfileHeader> HeaderOf(const std::string& logfilePath) {
  std::optional<platform::File> file = platform::File::OpenRegular(
      logfilePath, platform::OpenMode::kRead, platform::LinkRule::kRefuse);
  if (!file) return std::nullopt;
  LogfileHeader header;
  if (ReadLogfileHeader(*file, header) != 1) return std::nullopt;
  return header;
}

std::string LocalTimeText(std::int64_t seconds) {
  const platform::LocalTime t = platform::ToLocalTime(seconds);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

void ReportBroken(const std::string& fileName, const std::string& content) {
  const std::optional<platform::LockRecord> holder = platform::DecodeLockRecord(content);
  if (!holder) {
    Report(kStatus, msg::kUnreadableLockBroken, fileName, platform::ShowSafely(content));
    return;
  }
  Report(kStatus, msg::kLockBroken, fileName, platform::ShowSafely(holder->user), holder->host,
         LocalTimeText(holder->time));
}

}  // namespace

int BreakLogfileLock(const LockCommandArgs& args, const tarnEnvironVars& env) {
  const std::optional<std::string> logfilePath =
      LogfileNameFromWorkfile(args.fileName, env.logfileDirectory);
  if (!logfilePath) return -1;  // reported
  const std::string lockPath = LockFileName(*logfilePath);

  const std::optional<LogfileHeader> header = HeaderOf(*logfilePath);
  if (header && UserIndex(env.userName, header->accessList) < 0) {
    Report(kAlert, msg::kNotInAccessList, ProgramLabel());
    ReportIdentityNote(env);
    return -1;
  }
  platform::LockFileSystem& system = platform::SystemLockFileSystem();
  int error = 0;
  const std::optional<std::string> content = system.Read(lockPath, error);
  if (!content && error == ENOENT) {
    Report(kStatus, msg::kLockFileAbsent, args.fileName);
    return 2;
  }
  if (!content) {
    ReportSystemFailure(msg::kCannotRead, lockPath, error);
    return -1;
  }
  switch (platform::BreakLockFile(lockPath, *content, system)) {
    case platform::BreakOutcome::kBroken:
      break;
    case platform::BreakOutcome::kAbsent:
      Report(kStatus, msg::kLockFileAbsent, args.fileName);
      return 2;
    case platform::BreakOutcome::kChanged:
      Report(kAlert, msg::kLockChangedBeforeBreak, args.fileName);
      return -1;
    case platform::BreakOutcome::kFailed:
      ReportSystemFailure(msg::kCannotWrite, lockPath);
      return -1;
  }
  ReportBroken(args.fileName, *content);
  OptionEcho echo;
  echo.Flag(msg::kOptionBreak).FileName(args.fileName);
  WriteJournalEntry(ProgramLabel(), env, *logfilePath, echo.Text());
  return 1;
}

}  // namespace tarn
