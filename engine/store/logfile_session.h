// One command's hold on a logfile: the open logfile and its header, and for
// a command that changes the logfile the lock file too, taken in the order
// every command takes them and given back in the reverse order on every
// path.
//
// A command that only reads takes no lock file. Every writer replaces the
// logfile whole by a rename, so the reader's open descriptor holds either
// the old logfile or the new one to the end, never a mix: readers never
// wait for a writer, never make a file in the logfile directory, and work
// where the user may only read.
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

  // Opens the logfile that `file_name` names for reading and reads its
  // header; no lock file is taken. -1 (reported) when a step fails.
  int OpenForReading(std::string_view file_name, const tarnEnvironVars& env);
  // For a command that changes the logfile: acquires the lock file first,
  // then opens the logfile as above and checks that the header agrees with
  // the revision records (header_agreement.h), so that a damaged logfile is
  // refused before anything is written. What was taken is given back when
  // the session ends. `env` must outlive the session.
  int OpenForChange(std::string_view file_name, const tarnEnvironVars& env);

  // Closes the logfile (when open); the lock file stays held.
  void CloseLogfile() { file_.reset(); }
  // Closes the logfile and releases the lock file (when held). -1 when the
  // release failed (reported); nothing happens a second time.
  int Close();

  platform::File& file() { return *file_; }
  LogfileHeader& header() { return header_; }
  const LogfileHeader& header() const { return header_; }
  // The logfile's path as derived from the file name.
  const std::string& path() const { return path_; }
  // Where the revision records start: right behind the header.
  std::int64_t firstRecordOffset() const { return first_record_offset_; }

 private:
  int CheckBeforeChange();

  std::optional<LogfileLock> lock_;
  std::optional<platform::File> file_;
  std::string path_;
  LogfileHeader header_;
  std::int64_t first_record_offset_ = 0;
};

}  // namespace tarn
