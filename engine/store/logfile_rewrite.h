// Rewriting a logfile after a header change that alters its size: the label,
// remove-label and modify-header commands.
//
// The new logfile (the changed header, then the revision records copied
// unchanged from the old one) is written whole into the replacement file
// beside the logfile (logfile_replace.h) and flushed to disk. Then the old
// logfile gets a second name, its backup, and the replacement is renamed
// over the logfile. The rename is atomic, so at every moment a whole logfile
// stands at the logfile's path, and until the new one surely stands there the
// old one can also be had from the backup. Once the new logfile is in place
// the backup goes. A failure at any step leaves the old logfile as it was,
// byte for byte, and removes what the rewrite made.
//
// The backup is made as a hard link (nothing is copied); on a file system
// without hard links it is a flushed copy of the old logfile.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "engine/format/revision_header.h"
#include "engine/store/disk_names.h"
#include "engine/store/logfile_replace.h"
#include "platform/file.h"

namespace tarn {

class LogfileRewrite {
 public:
  // Makes the replacement file of the logfile at `logfile_path`. Nothing,
  // after message 103 with the replacement's name, when it cannot be made.
  static std::optional<LogfileRewrite> Begin(const std::string& logfile_path, BackupName style);

  // Writes `header` (its sizes, counts and checksum brought in step here)
  // and the revision records of `old_logfile` from `first_record_offset` to
  // its end into the replacement, then puts the replacement in place of the
  // logfile. 1 done; -1 after reporting why: 362, or the failed read or
  // write (with the space the directory needs when it is full), 143 (no
  // backup could be made),
  // 107 followed by 101 (the new logfile could not be put in place). On -1
  // the logfile is unchanged and neither replacement nor backup is left.
  int Finish(platform::File& old_logfile, std::int64_t first_record_offset, LogfileHeader& header);

  // Has Finish write `record` in place of the 32-byte revision header that
  // starts at `offset` of the old logfile (at or after the first record).
  // A lock or unlock changes one record and the header's lock count; made
  // through the replacement, the two change together in one rename, so no
  // kill, full disk or I/O error can leave one without the other.
  void ChangeRevisionHeader(std::int64_t offset, const tRevHdr& record);

  const std::string& ReplacementPath() const { return replacement_.path(); }
  const std::string& BackupPath() const { return backup_path_; }

 private:
  LogfileRewrite(std::string logfile_path, std::string backup_path, LogfileReplacement replacement)
      : logfile_path_(std::move(logfile_path)),
        backup_path_(std::move(backup_path)),
        replacement_(std::move(replacement)) {}

  int WriteNewLogfile(platform::File& old_logfile, std::int64_t first_record_offset,
                      LogfileHeader& header);
  int WriteRecordChanges(std::int64_t first_record_offset, std::int64_t new_first_record_offset);

  struct RecordChange {
    std::int64_t offset;  // in the old logfile
    tRevHdr record;
  };
  int MakeBackup(platform::File& old_logfile);

  std::string logfile_path_;
  std::string backup_path_;
  LogfileReplacement replacement_;
  platform::RemoveOnEarlyExit backup_interrupted_;  // while the backup stands
  std::vector<RecordChange> record_changes_;
};

}  // namespace tarn
