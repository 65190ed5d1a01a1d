#include "engine/store/workfile_replace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "engine/support/guarded_memory.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

constexpr unsigned kMaxAttempts = 10000;
constexpr std::size_t kCopyBlockSize = 32000;

// The reason for the last failed call, as the system words it.
std::string LastFailure() { return std::strerror(errno); }

int Refuse(const std::string& workfile, const std::string& reason) {
  Report(kAlert, msg::kWorkfileNotWritten, workfile, reason);
  return -1;
}

// Creates the new file beside the workfile under the first free name. The
// names are taken exclusively, so two processes never share one.
std::optional<platform::File> CreateReplacement(const std::string& workfile, std::string& name) {
  for (unsigned attempt = 0; attempt < kMaxAttempts; ++attempt) {
    name = WorkfileReplacementName(workfile, attempt);
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
  ByteBuffer block(kCopyBlockSize);
  while (true) {
    const std::ptrdiff_t count = from.Read(block);
    if (count < 0) return false;
    if (count == 0) break;
    if (!to.WriteAll(
            std::span<const std::uint8_t>(block.data(), static_cast<std::size_t>(count)))) {
      return false;
    }
  }
  return to.Close();
}

}  // namespace

std::string WorkfileReplacementName(const std::string& workfile, unsigned attempt) {
  char number[8];
  std::snprintf(number, sizeof number, "%04u", attempt % kMaxAttempts);
  return platform::DirectoryPart(workfile) + ".tarn-new-" + number;
}

namespace {

// Gives the new file `name` its time stamp and protection and renames it
// over the workfile; on failure removes it.
int Install(const std::string& name, const std::string& workfile, const WorkfileFinish& finish) {
  // A time stamp that cannot be set leaves the file's own, and execute
  // permission that cannot be carried over (or a first get, with no old
  // workfile) leaves a fresh file's: the text is what matters.
  platform::SetModificationTime(name, finish.timestamp);
  platform::CopyExecuteBits(workfile, name);
  if (finish.readOnly && !platform::SetReadOnly(name, true)) {
    const std::string reason = LastFailure();
    platform::DeleteFile(name);
    return Refuse(workfile, reason);
  }
  if (!platform::RenameFile(name, workfile)) {
    const std::string reason = LastFailure();
    platform::DeleteFile(name);
    return Refuse(workfile, reason);
  }
  return 1;
}

// Closes the new file `name` after a failed write, removes it and reports.
int Abandon(std::optional<platform::File>& output, const std::string& name,
            const std::string& workfile) {
  const std::string reason = LastFailure();
  output.reset();
  platform::DeleteFile(name);
  return Refuse(workfile, reason);
}

}  // namespace

int ReplaceWorkfile(const std::string& source, const std::string& workfile,
                    const WorkfileFinish& finish) {
  std::optional<platform::File> input = platform::File::Open(source, platform::OpenMode::kRead);
  if (!input) return Refuse(workfile, LastFailure());
  std::string name;
  std::optional<platform::File> output = CreateReplacement(workfile, name);
  if (!output) return Refuse(workfile, LastFailure());
  if (!CopyAndClose(*input, *output)) return Abandon(output, name, workfile);
  return Install(name, workfile, finish);
}

int ReplaceWorkfileWithText(std::span<const std::uint8_t> text, const std::string& workfile,
                            const WorkfileFinish& finish) {
  std::string name;
  std::optional<platform::File> output = CreateReplacement(workfile, name);
  if (!output) return Refuse(workfile, LastFailure());
  if (!output->WriteAll(text) || !output->Close()) return Abandon(output, name, workfile);
  return Install(name, workfile, finish);
}

}  // namespace tarn
