#include "objects/log_file_info.h"

#include "objects/object_assert.h"

namespace tarn {

namespace {

const tLogfileName& RequiredName(const tLogfileName* name) {
  TARN_OBJECT_ASSERT(name != nullptr);
  return *name;
}

const tEnvVar& RequiredSettings(const tEnvVar* settings) {
  TARN_OBJECT_ASSERT(settings != nullptr);
  return *settings;
}

}  // namespace

tLogFileInfo::tLogFileInfo(const tLogfileName* name)
    : _CEnvVar(*RequiredName(name).EnvVar()), _CLogfileName(*name) {}

tLogFileInfo::tLogFileInfo(const char* workfileName, const tEnvVar* settings)
    : _CEnvVar(RequiredSettings(settings)), _CLogfileName(workfileName, settings) {}

tLogFileInfo::tLogFileInfo(const tLogFileInfo& other) = default;

tLogFileInfo& tLogFileInfo::operator=(const tLogFileInfo& other) = default;

tLogFileInfo::~tLogFileInfo() = default;

tLogFileHeaderInfo* tLogFileInfo::HeaderInfo() { return &_CHeaderInfo; }
const tLogFileHeaderInfo* tLogFileInfo::HeaderInfo() const { return &_CHeaderInfo; }
tEnvVar* tLogFileInfo::EnvVar() { return &_CEnvVar; }
const tEnvVar* tLogFileInfo::EnvVar() const { return &_CEnvVar; }
const tLogfileName* tLogFileInfo::LogfileName() const { return &_CLogfileName; }

}  // namespace tarn
