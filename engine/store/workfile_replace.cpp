#include "engine/store/workfile_replace.h"

#include <cerrno>
#include <optional>

#include "engine/store/disk_names.h"
#include "engine/store/file_copy.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "platform/console.h"
#include "platform/error_text.h"
#include "platform/exit_cleanup.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace tarn {

namespace {

// Random names meet only by extreme chance; a few tries are plenty, and
// the bound only stops a file system that reports EEXIST for everything.
constexpr unsigned kMaxAttempts = 100;

// The reason for the last failed call, as the system words it.
std::string LastFailure() { return platform::ErrorText(errno); }

int Refuse(const std::string& workfile, const std::string& reason) {
  Report(kAlert, msg::kWorkfileNotWritten, workfile, reason);
  return -1;
}

// Creates the new file beside the workfile under a fresh random name. The
// names are taken exclusively, so two processes never share one.
std::optional<platform::File> CreateReplacement(const std::string& workfile, std::string& name) {
  for (unsigned attempt = 0; attempt < kMaxAttempts; ++attempt) {
    name = WorkfileReplacementName(workfile, platform::UniqueNumber());
    std::optional<platform::File> file =
        platform::File::Open(name, platform::OpenMode::kCreateExclusive);
    if (file) return file;
    if (errno != EEXIST) return std::nullopt;
  }
  errno = EEXIST;
  return std::nullopt;
}

// Copies all of `from` into `to` and closes it; false with errno set.
//
// The new workfile is not forced to disk: its text is a copy of a revision
// that the logfile keeps safely, and the rename below is atomic whatever
// the disk holds, so a power cut can at worst cost a text that a get brings
// back. Logfiles, which hold the only copy of a history, are flushed.
bool CopyAndClose(platform::File& from, platform::File& to) {
  return CopyFileBytes(from, 0, std::nullopt, to) == CopyFailure::kNone && to.Close();
}

// Gives the new file `name` its time stamp and protection and renames it
// over the workfile; on failure removes it.
int Install(const std::string& name, const std::string& workfile, const std::string& given,
            const WorkfileFinish& finish) {
  // A time stamp that cannot be set leaves the file's own, and execute
  // permission that cannot be carried over (or a first get, with no old
  // workfile) leaves a fresh file's: the text is what matters.
  platform::SetModificationTime(name, finish.timestamp);
  platform::CopyExecuteBits(workfile, name);
  if (finish.readOnly && !platform::SetReadOnly(name, true)) {
    const std::string reason = LastFailure();
    platform::DeleteFile(name);
    return Refuse(given, reason);
  }
  // From here the change is finished rather than broken off by a signal.
  platform::NoteChangeBegins();
  if (!platform::RenameFile(name, workfile)) {
    const std::string reason = LastFailure();
    platform::DeleteFile(name);
    return Refuse(given, reason);
  }
  return 1;
}

// Closes the new file `name` after a failed write, removes it and reports.
int Abandon(std::optional<platform::File>& output, const std::string& name,
            const std::string& given) {
  const std::string reason = LastFailure();
  output.reset();
  platform::DeleteFile(name);
  return Refuse(given, reason);
}

// Writes the new workfile with `write` and puts it in place of `given` (or
// of the file a link there leads to).
template <class Write>
int Replace(const std::string& given, const WorkfileFinish& finish, Write write) {
  const std::optional<std::string> target = WorkfileTarget(given);
  if (!target) return -1;
  std::string name;
  std::optional<platform::File> output = CreateReplacement(*target, name);
  if (!output) return Refuse(given, LastFailure());
  // Until it has its final name, an interruption takes the new file away.
  const platform::RemoveOnEarlyExit interrupted(name);
  if (!write(*output)) return Abandon(output, name, given);
  return Install(name, *target, given, finish);
}

}  // namespace

std::optional<std::string> WorkfileTarget(const std::string& workfile) {
  std::optional<std::string> target = platform::FollowLinks(workfile);
  if (!target) {
    Refuse(workfile, LastFailure());
    return std::nullopt;
  }
  switch (platform::KindOf(*target)) {
    case platform::EntryKind::kMissing:
    case platform::EntryKind::kRegular:
      return target;
    case platform::EntryKind::kDirectory:
    case platform::EntryKind::kSpecial:
      break;
  }
  Report(kAlert, msg::kWorkfileNotRegular, workfile);
  return std::nullopt;
}

int ReplaceWorkfile(const std::string& source, const std::string& workfile,
                    const WorkfileFinish& finish) {
  std::optional<platform::File> input = platform::File::Open(source, platform::OpenMode::kRead);
  if (!input) return Refuse(workfile, LastFailure());
  return Replace(workfile, finish,
                 [&](platform::File& output) { return CopyAndClose(*input, output); });
}

int ReplaceWorkfileWithText(std::span<const std::uint8_t> text, const std::string& workfile,
                            const WorkfileFinish& finish) {
  return Replace(workfile, finish,
                 [&](platform::File& output) { return output.WriteAll(text) && output.Close(); });
}

int WriteToStandardOutput(std::span<const std::uint8_t> text) {
  // Messages written through the C streams must come out before the text.
  std::fflush(stdout);
  if (platform::WriteStandardOutput(text)) return 1;
  Report(kAlert, msg::kStandardOutputFailed, LastFailure());
  return -1;
}

}  // namespace tarn
