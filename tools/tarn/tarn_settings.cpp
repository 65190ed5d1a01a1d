#include "tools/tarn/tarn_settings.h"

#include "objects/command_program.h"
#include "projects/settings_in_force.h"

namespace tarn::cli {

tEnvVar TarnSettings() { return CommandLineSettings(SettingsInForce); }

}  // namespace tarn::cli
