// The plain settings record every engine command receives.
//
// Filled from the object interface's settings (tEnvVar::CopyToStruct) before
// a command runs. The engine commands overwrite `attributes` with the
// logfile's own attribute word (after the command line's overrides) once
// they have read the header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarn {

struct tarnEnvironVars {
  std::string logfileDirectory;                  // without a trailing separator
  std::string tempDirectory;                     // with its trailing separator
  std::string commentPrefix;                     // the comment prefix table
  std::string journalPath;                       // directory of the local journal, ends in '/'
  std::string journalName;                       // file name of the local journal
  std::optional<std::string> globalJournalName;  // full path; none = no global journal
  std::string accessList;                        // default access list, names separated by ','
  std::string userName;
  std::int16_t retryCount = 0;   // lock-file and journal attempts
  std::uint16_t attributes = 0;  // attribute bits low, further bits high
};

}  // namespace tarn
