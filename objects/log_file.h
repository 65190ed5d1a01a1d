// tLogFile: one logfile, for reading its history and running commands on it.
//
// Reading (for display): Open opens the logfile and checks its header;
// ReadHdr and CaptureRevisionInfo fill the header and revision information
// through the engine's readers; Close lets go of it. The information stays
// readable after Close. The logfile is only read: it is opened read-only
// through one descriptor, no lock file is taken and nothing in the logfile
// directory is touched, so listing a project changes nothing, works where
// the user may only read, and never waits for a writer. Writers replace a
// logfile whole by a rename, so the open descriptor holds the old logfile
// or the new one, each whole: a file being written is listed from its last
// complete state.
//
// Commands: the seven wrappers (Get, CheckIn, ModifyHdrInfo, Lock, UnLock,
// Label, UnLabel) split a command string into an argument vector, run the
// command's parser and operation under the wrapper's program label and
// return ttTRUE exactly when the operation returned 1. A command string the
// parser refuses throws tLogFileError(kBadCommandLine). The engine takes the
// lock file itself, so a client closes the object before running a command
// on the same logfile.
//
// Not copyable. Single-threaded: the program label is process-wide.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/commands/command_line.h"
#include "engine/support/environment.h"
#include "objects/env_var.h"
#include "objects/log_file_error.h"
#include "objects/log_file_header_info.h"
#include "objects/log_file_info.h"
#include "objects/logfile_name.h"
#include "objects/rev_hdr_info.h"
#include "objects/tt_bool.h"
#include "platform/file.h"

namespace tarn {

class tLogFile {
 public:
  // Copies the name and its settings.
  explicit tLogFile(const tLogfileName* name);
  // Copies the settings and derives the name of `fileName`'s logfile.
  tLogFile(const char* fileName, const tEnvVar* settings);
  tLogFile(const tLogFile&) = delete;
  tLogFile& operator=(const tLogFile&) = delete;
  // Closes what is still open.
  ~tLogFile();

  // Opens the logfile (a regular file, not reached through a link at its
  // own name) and checks that its header is whole and undamaged. ttFALSE,
  // with nothing held, when any step fails.
  ttBool Open();
  // Requires an open logfile.
  void Close();
  // Checks the open logfile's header; requires an open stream.
  ttBool ValidateLogfile();
  // Reads the header into HeaderInfo(); ttFALSE (information unchanged) when
  // the logfile is not open and valid or the header cannot be read whole.
  ttBool ReadHdr();
  tLogFileHeaderInfo* HeaderInfo();
  // Reads every revision record (requires an open logfile and a read
  // header); ttFALSE, and no revision information at all, when a record
  // cannot be read whole.
  ttBool CaptureRevisionInfo();
  // The revisions in file order; RevisionCount() of them after a successful
  // capture, null before.
  tRevHdrInfo* RevHeaderInfo();
  int RevisionInfoCount() const;

  ttBool Get(const char* fileName, const char* commandText);
  ttBool CheckIn(const char* fileName, const char* commandText);
  ttBool ModifyHdrInfo(const char* fileName, const char* commandText);
  ttBool Lock(const char* fileName, const char* commandText);
  ttBool UnLock(const char* fileName, const char* commandText);
  // Removes the logfile's lock file by hand (the unlock command's break
  // option): for a lock that no command holds any more, such as one of a
  // machine that went down. ttTRUE when a lock file was removed.
  ttBool BreakLock(const char* fileName);
  ttBool Label(const char* fileName, const char* commandText);
  ttBool UnLabel(const char* fileName, const char* commandText);

  const tLogfileName* LogfileName() const { return &_pCtLogfileName; }
  const tEnvVar* EnvVar() const { return &_pCtEnvVar; }

  // The argument vector of the last command (for inspection); empty before.
  const std::vector<std::string>& Arguments() const { return _argv; }

 private:
  // Splits `commandText` into _argv with `fileName` last; a string giving
  // more arguments than the commands take throws kBadCommandLine.
  void _ParseCmdLine(const char* fileName, const char* commandText);
  template <class Args>
  ttBool RunCommand(const char* label, const char* fileName, const char* commandText,
                    int (*parse)(CommandArguments, Args&),
                    int (*run)(const Args&, tarnEnvironVars&), void (*adjust)(Args&) = nullptr);

  std::vector<std::string> _argv;
  int _argc = -1;
  std::int64_t _tStartOfRevisions = -1;
  std::optional<platform::File> _pCLogFileStream;
  std::vector<tRevHdrInfo> _pCRevHdrInfo;
  bool _bRevisionsCaptured = false;
  tLogfileName _pCtLogfileName;
  tEnvVar _pCtEnvVar;
  tLogFileInfo _pCLogFileInfo;
  ttBool _IsValid = ttFALSE;
};

}  // namespace tarn
