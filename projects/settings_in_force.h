// The settings a command-line program runs under, built as the desktop
// front end builds them: the environment's defaults, then the project in
// force for the current directory, then every environment variable that is
// explicitly set, which wins over the project.
#pragma once

#include "objects/env_var.h"
#include "projects/project.h"

namespace tarn {

// Overwrites in `env` every value the project in force for `place` takes
// from an INI file (not a built-in default) and whose environment variable
// is not set. With no INI file in the configuration directory, `env` stays
// exactly as the environment made it. Needs the catalogue.
void ApplyProjectInForce(tEnvVar& env, const ProjectPlace& place);

// The environment's settings with the project in force for the current
// directory applied.
tEnvVar SettingsInForce();

}  // namespace tarn
