// tPrjDir: the files of a project.
//
// Lists the logfiles of the logfile directory under the workfile names they
// archive, each one checked by opening it and reading its header (lock
// files, and files that are not valid logfiles, are skipped silently), and
// the workfiles of the workfile directory (lock and backup files, whose names
// hold '$' or '!', are skipped). For the logfile last validated it keeps the
// header information, from which a client shows the lock state and the
// header's details. The two listings are independent.
//
// The settings are not copied: they must outlive the object. Names are
// listed in byte order. Not copyable.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "objects/env_var.h"
#include "objects/log_file_header_info.h"
#include "objects/tt_bool.h"

namespace tarn {

class tPrjDir {
 public:
  explicit tPrjDir(tEnvVar* settings);
  tPrjDir(const tPrjDir&) = delete;
  tPrjDir& operator=(const tPrjDir&) = delete;
  ~tPrjDir();

  // The first (next) workfile name whose logfile matches `pattern` and is
  // valid; "" when there are no more. A pattern with a directory part lists
  // that directory's logfiles, and the names keep the directory part.
  const char* FindFirstLogfile(const char* pattern);
  const char* FindNextLogfile();
  // The first (next) file of the workfile directory matching `pattern`;
  // "" when there are no more.
  const char* FindFirstWorkfile(const char* pattern);
  const char* FindNextWorkfile();

  // Opens the logfile of `workfileName` and keeps its header information;
  // ttFALSE, and no header information, when it cannot be opened or read.
  ttBool ValidateLogfile(const char* workfileName);

  // About the logfile last validated (the program stops when there is none).
  ttBool IsCurrentFileLocked();
  int CurrentFileLockerIndex() const;
  tLogFileHeaderInfo* HeaderInfo() const;

 private:
  static void _ConvertWorkfileNameToLogfileName(std::string& name);
  static void _ConvertLogfileNameToWorkfileName(std::string& name);

  std::unique_ptr<tLogFileHeaderInfo> m_pCtLogFileHeaderInfo;
  std::string _cCurrentWorkfile;
  std::vector<std::string> _pcWorkfiles;
  std::size_t _iWorkfileCursor = 0;
  tEnvVar* _pCEnvVar;
  std::vector<std::string> _pcFiles;
  std::size_t _iLogfileCursor = 0;
  std::string _cLogfileDirectoryPart;  // the pattern's directory part, kept on every name
  std::string _cCurrentLogfile;
};

}  // namespace tarn
