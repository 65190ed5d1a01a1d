#include "objects/prj_dir.h"

#include "engine/store/disk_names.h"
#include "objects/log_file.h"
#include "objects/logfile_name.h"
#include "objects/object_assert.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn {

namespace {

// Lock files start with '$' (the first character of a logfile's name
// replaced); they are never opened as logfiles.
constexpr char kLockFileMark = '$';
// Workfile names with these are lock and backup files.
constexpr std::string_view kNotWorkfileMarks = "$!";

// FindFiles takes "" for the current directory as ".".
std::string SearchDirectory(const std::string& directory) {
  return directory.empty() ? std::string(".") : directory;
}

}  // namespace

tPrjDir::tPrjDir(tEnvVar* settings) : _pCEnvVar(settings) {
  TARN_OBJECT_ASSERT(_pCEnvVar != nullptr);
}

tPrjDir::~tPrjDir() = default;

void tPrjDir::_ConvertWorkfileNameToLogfileName(std::string& name) {
  name = LogfileNameOf(name);
}

void tPrjDir::_ConvertLogfileNameToWorkfileName(std::string& name) {
  name = WorkfileNameOf(name);
}

const char* tPrjDir::FindFirstLogfile(const char* pattern) {
  _pcFiles.clear();
  _iLogfileCursor = 0;
  // The logfile directory for the pattern follows the naming rule: relative
  // to the pattern's own directory unless it is absolute.
  const std::string given = pattern != nullptr ? pattern : "";
  _cLogfileDirectoryPart = platform::DirectoryPart(given);
  std::string logfilePattern = platform::FinalComponent(given);
  _ConvertWorkfileNameToLogfileName(logfilePattern);
  const std::string directory =
      platform::DirectoryPart(LogfilePathOf(_cLogfileDirectoryPart + "x", _pCEnvVar->TARNPath()));
  _pcFiles = platform::FindFiles(SearchDirectory(directory), logfilePattern);
  return FindNextLogfile();
}

const char* tPrjDir::FindNextLogfile() {
  while (_iLogfileCursor < _pcFiles.size()) {
    std::string name = _pcFiles[_iLogfileCursor++];
    if (name.empty() || name.front() == kLockFileMark) continue;
    _ConvertLogfileNameToWorkfileName(name);
    _cCurrentLogfile = _cLogfileDirectoryPart + name;
    if (ValidateLogfile(_cCurrentLogfile.c_str()) == ttTRUE) return _cCurrentLogfile.c_str();
  }
  _cCurrentLogfile.clear();
  return _cCurrentLogfile.c_str();
}

const char* tPrjDir::FindFirstWorkfile(const char* pattern) {
  _pcWorkfiles.clear();
  _iWorkfileCursor = 0;
  _pcWorkfiles = platform::FindFiles(SearchDirectory(_pCEnvVar->WorkfilePath()),
                                     pattern != nullptr ? pattern : "");
  return FindNextWorkfile();
}

const char* tPrjDir::FindNextWorkfile() {
  while (_iWorkfileCursor < _pcWorkfiles.size()) {
    const std::string& name = _pcWorkfiles[_iWorkfileCursor++];
    if (name.find_first_of(kNotWorkfileMarks) != std::string::npos) continue;
    _cCurrentWorkfile = name;
    return _cCurrentWorkfile.c_str();
  }
  _cCurrentWorkfile.clear();
  return _cCurrentWorkfile.c_str();
}

ttBool tPrjDir::ValidateLogfile(const char* workfileName) {
  m_pCtLogFileHeaderInfo.reset();
  const tLogfileName name(workfileName, _pCEnvVar);
  tLogFile logfile(&name);
  if (logfile.Open() != ttTRUE) return ttFALSE;
  if (logfile.ReadHdr() != ttTRUE) {
    logfile.Close();
    return ttFALSE;
  }
  m_pCtLogFileHeaderInfo = std::make_unique<tLogFileHeaderInfo>(*logfile.HeaderInfo());
  logfile.Close();
  return ttTRUE;
}

ttBool tPrjDir::IsCurrentFileLocked() {
  TARN_OBJECT_ASSERT(m_pCtLogFileHeaderInfo);
  return m_pCtLogFileHeaderInfo->LockCount() > 0 ? ttTRUE : ttFALSE;
}

int tPrjDir::CurrentFileLockerIndex() const {
  TARN_OBJECT_ASSERT(m_pCtLogFileHeaderInfo);
  return m_pCtLogFileHeaderInfo->LastModifierIndex();
}

tLogFileHeaderInfo* tPrjDir::HeaderInfo() const {
  TARN_OBJECT_ASSERT(m_pCtLogFileHeaderInfo);
  return m_pCtLogFileHeaderInfo.get();
}

}  // namespace tarn
