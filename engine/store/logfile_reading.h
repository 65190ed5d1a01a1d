// Reading a logfile without changing anything: opened read-only, no lock
// file taken. Every writer replaces a logfile whole by a rename, so a reader
// sees the old file or the new one, never a mix, and never waits for a
// writer; it works in a directory the user may only read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/format/logfile_header.h"
#include "engine/support/environment.h"
#include "platform/file.h"

namespace tarn {

// Reads the whole header of the open logfile `file` and where the revision
// records start behind it. 1, or -1 (reported: 106, 145).
int ReadHeaderAndRecordStart(platform::File& file, LogfileHeader& header,
                             std::int64_t& first_record_offset);

class LogfileReading {
 public:
  LogfileReading() = default;
  LogfileReading(const LogfileReading&) = delete;
  LogfileReading& operator=(const LogfileReading&) = delete;
  ~LogfileReading();

  // Opens the logfile of `file_name` (a workfile's name, by the naming
  // rule) and reads its header. -1 after reporting why: 168 (as a status
  // message) when there is none, 106, 162, 163, or the open's failure.
  int Open(std::string_view file_name, const tarnEnvironVars& env);
  // The same for a logfile named by its own path.
  int OpenPath(const std::string& logfile_path);

  platform::File& file() { return *file_; }
  const LogfileHeader& header() const { return header_; }
  const std::string& path() const { return path_; }
  std::int64_t firstRecordOffset() const { return first_record_offset_; }

 private:
  std::optional<platform::File> file_;
  std::string path_;
  LogfileHeader header_{};
  std::int64_t first_record_offset_ = 0;
};

}  // namespace tarn
