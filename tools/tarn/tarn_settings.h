// The settings every tarn subcommand runs under, made in one place so that
// the subcommands and the reports agree on them.
#pragma once

#include "objects/env_var.h"

namespace tarn::cli {

// The settings of the project in force here (the environment standing over
// it) with the command line's identity rules (objects/command_line_identity.h).
tEnvVar TarnSettings();

}  // namespace tarn::cli
