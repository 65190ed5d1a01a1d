// The settings a command-line program runs under, built as the desktop
// front end builds them: the environment's defaults, then the project in
// force for the current directory, then every environment variable that is
// explicitly set, which wins over the project.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "objects/env_var.h"
#include "projects/project.h"

namespace tarn {

// Overwrites in `env` every value the project in force for `place` takes
// from an INI file (not a built-in default) and whose environment variable
// is not set. With no INI file in the configuration directory, `env` stays
// exactly as the environment made it. Needs the catalogue.
void ApplyProjectInForce(tEnvVar& env, const ProjectPlace& place);

// The user a command-line program acts for: the user variable, else the
// login name (else the catalogue's "none"). Settled before the project in
// force, whose user projects are that user's. Nothing, after reporting why,
// when the name cannot name a user (reserved_names.h).
std::optional<std::string> CommandLineUser();

// True when the INI files the project in force for `user` is read from can
// be read (or are missing); else reports the first that cannot.
bool ProjectFilesUsable(const ProjectPlace& place, std::string_view user);

// The settings a command-line program runs under: the environment's, its user
// settled, with the project in force for the current directory applied.
// Throws SettingsRefused (command_program.h) after reporting why, when the
// user's name cannot be used or an INI file cannot be read.
tEnvVar SettingsInForce();

}  // namespace tarn
