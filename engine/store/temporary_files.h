// Temporary files of the engine commands and the front end.
//
// Names are the temporary directory followed by "TARN" and four digits from
// a counter kept for the whole program run, so that the files of one run
// never collide with each other, and exclusive creation keeps them apart
// from other processes sharing the directory. Where a numbered name is
// taken, random names follow: files left behind by killed processes can
// never use up the names. While a scoped temporary file exists, an
// interruption of the process (platform/exit_cleanup.h) removes it.
#pragma once

#include <optional>
#include <string>

#include "engine/support/environment.h"
#include "platform/exit_cleanup.h"

namespace tarn {

// Reserves a fresh temporary file in env.tempDirectory and creates it empty;
// the caller opens it itself. When the directory does not let the file be
// made, the name is handed back all the same and the caller's own open
// reports the failure with the name (message 103). Nothing only when no
// name at all can be had (the caller reports message 146).
std::optional<std::string> MakeTemporaryFile(const tarnEnvironVars& env);

// Deletes its temporary file when it goes out of scope, so a command's
// temporary files disappear on every path; Keep() hands the file over.
class ScopedTemporaryFile {
 public:
  explicit ScopedTemporaryFile(std::string path);
  ~ScopedTemporaryFile();
  ScopedTemporaryFile(const ScopedTemporaryFile&) = delete;
  ScopedTemporaryFile& operator=(const ScopedTemporaryFile&) = delete;

  const std::string& path() const { return path_; }
  // The file stays; the object forgets it.
  void Keep();

 private:
  std::string path_;
  platform::RemoveOnEarlyExit interrupted_;
};

}  // namespace tarn
