// Where the INI files live: one configuration directory holds the system INI
// file (dorn.ini, the team's projects and users) and each user's own INI
// file (<user>.ini, that user's projects).
#pragma once

#include <string>
#include <string_view>

namespace tarn {

inline constexpr std::string_view kSystemIniFileName = "dorn.ini";

// The configuration directory, ending in the separator: the directory named
// by our own environment variable (a catalogue text), else the program's
// directory when it holds dorn.ini (a team's shared installation), else
// $XDG_CONFIG_HOME/tarn, else ~/.config/tarn. Needs the catalogue.
std::string ConfigurationDirectory();

// The user's INI file name (without directory): the user name and ".ini".
std::string UserIniFileName(std::string_view user_name);

// True when `name` names the system INI file (letter case ignored, as the
// name may have been typed by hand).
bool IsSystemIniFileName(std::string_view name);

// Makes the configuration directory `directory` (and its missing parents)
// so that a first INI file can be written there. False when it cannot.
bool MakeConfigurationDirectory(const std::string& directory);

}  // namespace tarn
