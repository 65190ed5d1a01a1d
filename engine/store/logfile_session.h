// One command's hold on a logfile: the lock file, the open logfile and its
// header, taken in the order every command takes them and given back in the
// reverse order on every path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/format/logfile_header.h"
#include "engine/store/logfile_lock.h"
#include "engine/support/environment.h"
#include "platform/file.h"

namespace tarn {

class LogfileSession {
 public:
  LogfileSession() = default;
  LogfileSession(const LogfileSession&) = delete;
  LogfileSession& operator=(const LogfileSession&) = delete;
  // Closes the logfile, then releases the lock file.
  ~LogfileSession() { Close(); }

  // Acquires the lock file of the logfile that `file_name` names, opens the
  // logfile and reads its header. -1 (reported) when any step fails; what
  // was taken is given back when the session ends. `env` must outlive the
  // session: its attribute word decides, at release, whether the logfile is
  // protected.
  int Open(std::string_view file_name, const tarnEnvironVars& env);
  // Open for a command that changes the logfile: also checks that the
  // header agrees with the revision records (header_agreement.h), so that
  // a damaged logfile is refused before anything is written to it.
  int OpenForChange(std::string_view file_name, const tarnEnvironVars& env);
  // The same check on a session opened for reading.
  int CheckBeforeChange();

  // Closes the logfile (when open); the lock file stays held.
  void CloseLogfile() { file_.reset(); }
  // Closes the logfile and releases the lock file. -1 when the logfile could
  // not be protected as its attributes ask (reported); nothing happens a
  // second time.
  int Close();

  platform::File& file() { return *file_; }
  LogfileHeader& header() { return header_; }
  const LogfileHeader& header() const { return header_; }
  // The logfile's path as derived from the file name.
  const std::string& path() const { return path_; }
  // Where the revision records start: right behind the header.
  std::int64_t firstRecordOffset() const { return first_record_offset_; }

  // Prepares the changed header for writing and checks that it still ends
  // where the revision records start: an in-place write must never overwrite
  // a record. -1 (reported: 362, or 107 for a changed size) otherwise.
  // Commands check this before they write anything else.
  int CheckHeaderFitsInPlace();
  // Writes the header back in place (checked as above) and flushes it.
  int WriteHeaderInPlace();

 private:
  std::optional<LogfileLock> lock_;
  std::optional<platform::File> file_;
  std::string path_;
  LogfileHeader header_;
  std::int64_t first_record_offset_ = 0;
};

}  // namespace tarn
