// tLogFileInfo: a logfile's header information together with its name and
// the settings in force. Copies are deep.
#pragma once

#include "objects/env_var.h"
#include "objects/log_file_header_info.h"
#include "objects/logfile_name.h"

namespace tarn {

class tLogFileInfo {
 public:
  explicit tLogFileInfo(const tLogfileName* name);
  tLogFileInfo(const char* workfileName, const tEnvVar* settings);
  tLogFileInfo(const tLogFileInfo& other);
  tLogFileInfo& operator=(const tLogFileInfo& other);
  ~tLogFileInfo();

  tLogFileHeaderInfo* HeaderInfo();
  const tLogFileHeaderInfo* HeaderInfo() const;
  tEnvVar* EnvVar();
  const tEnvVar* EnvVar() const;
  const tLogfileName* LogfileName() const;

 private:
  tLogFileHeaderInfo _CHeaderInfo;
  tEnvVar _CEnvVar;
  tLogfileName _CLogfileName;
};

}  // namespace tarn
