#include "objects/logfile_name.h"

#include "engine/store/disk_names.h"
#include "objects/object_assert.h"
#include "platform/paths.h"

namespace tarn {

namespace {

const tEnvVar& RequiredSettings(const tEnvVar* settings) {
  TARN_OBJECT_ASSERT(settings != nullptr);
  return *settings;
}

}  // namespace

tLogfileName::tLogfileName(const char* workfileName, const tEnvVar* settings)
    : _CEnvVar(RequiredSettings(settings)),
      _pcInputFilename(workfileName != nullptr ? workfileName : "") {
  _pcLogfileName = LogfilePathOf(_pcInputFilename, _CEnvVar.TARNPath());
  _pcLockFileName = LockFileName(_pcLogfileName);
  _pcFullPathName = platform::FullPathName(_pcLogfileName);
  if (_pcFullPathName.empty()) _pcFullPathName = _pcLogfileName;
}

tLogfileName::tLogfileName(const tLogfileName& other) = default;

tLogfileName& tLogfileName::operator=(const tLogfileName& other) = default;

tLogfileName::~tLogfileName() = default;

const char* tLogfileName::RelativePathName() const { return _pcLogfileName.c_str(); }
const char* tLogfileName::FullPathName() const { return _pcFullPathName.c_str(); }
const char* tLogfileName::LockName() const { return _pcLockFileName.c_str(); }
const char* tLogfileName::BaseName() const { return _pcInputFilename.c_str(); }
const tEnvVar* tLogfileName::EnvVar() const { return &_CEnvVar; }

}  // namespace tarn
