#include "tools/tarn/tarn_settings.h"

#include "objects/command_program.h"

namespace tarn::cli {

tEnvVar TarnSettings() { return CommandLineSettings(); }

}  // namespace tarn::cli
