// Replacing a logfile safely.
//
// Commands that change a logfile (check-in, lock, labels, header changes)
// write the complete new logfile into a replacement file beside the old
// one, flush it to disk, and rename it over the old logfile; then they
// flush the directory so that the rename itself survives a crash. The old
// logfile is never deleted first, so a crash, a kill or a full disk at any
// moment leaves either the old logfile or the new one, each whole.
//
// The replacement's name carries the tag of the logfile lock it is made
// under (disk_names.h), so it is known whose it is: nothing ever removes a
// replacement that is not its own. Before the rename, a replacement made
// under a held lock is read back and must parse as a whole logfile, and the
// lock must prove that it is still held and that the logfile is still the
// one the command read (logfile_lock.h); otherwise the logfile stays as it
// is and the replacement goes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/store/disk_names.h"
#include "platform/exit_cleanup.h"
#include "platform/file.h"

namespace tarn {

class LogfileReplacement {
 public:
  // Creates the replacement file of `logfile_path`, open for writing, named
  // for the lock this thread holds on the logfile (for a random tag when
  // it holds none). Nothing when it cannot be made; the caller reports that
  // as fits its command (a new logfile cannot be created, or no temporary
  // file could be made).
  static std::optional<LogfileReplacement> Start(const std::string& logfile_path);

  LogfileReplacement(LogfileReplacement&& other) noexcept;
  LogfileReplacement& operator=(LogfileReplacement&& other) = delete;
  LogfileReplacement(const LogfileReplacement&) = delete;
  LogfileReplacement& operator=(const LogfileReplacement&) = delete;
  // Abandons the replacement unless it was committed.
  ~LogfileReplacement();

  // The new logfile's content is written here.
  platform::File& file() { return file_; }
  const std::string& path() const { return replacement_path_; }

  // Gives the new logfile its permission bits (read-only when `readOnly`:
  // the logfile's ProtectLogFile attribute), flushes the new content, checks
  // it and the lock as above, renames it over the logfile and flushes the
  // directory. Returns 1, or -1 after reporting the failure; on -1 the old
  // logfile is as it was and the replacement file is gone.
  int Commit(bool readOnly);

  // Closes and deletes the replacement file; the old logfile stays as it is.
  void Abandon();

  // After writing the new content failed for want of space (errno as the
  // write left it): tells the user how much the directory needs, the old
  // logfile's size plus `growth` bytes, since every change writes a whole
  // new logfile beside the old one. Other failures were reported where
  // they happened.
  void ReportIfOutOfSpace(std::int64_t growth) const;

 private:
  LogfileReplacement(std::string logfile_path, std::string replacement_path, platform::File file);

  std::string logfile_path_;
  std::string replacement_path_;
  platform::File file_;
  platform::RemoveOnEarlyExit interrupted_;  // until the rename
  bool finished_ = false;
};

// True when the file at `path` reads as a whole logfile: its fixed header's
// format and checksum, its header and the revision records up to its end.
// Reports what is wrong otherwise.
bool ReadsAsWholeLogfile(const std::string& path);

}  // namespace tarn
