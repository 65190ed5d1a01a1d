// Environment variables and the directories derived from the process's
// surroundings: the temporary directory and the program's own directory.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarn::platform {

// The variable's value; nothing when it is not set (or the name is empty or
// holds '=').
std::optional<std::string> GetEnvironmentVariable(std::string_view name);

// TEMP, else TMPDIR, else "/tmp/", always ending in a separator. A variable
// set to an empty text counts as not set (it would name the root directory).
std::string TemporaryDirectory();

// The directory of the running program, with a trailing separator, where the
// catalogue, the usage texts and the INI files live; "/" when it cannot be
// found. SetProgramDirectory points it elsewhere (an installed layout keeps
// them apart from the programs); an empty text returns to the program's own.
std::string ProgramDirectory();
void SetProgramDirectory(std::string directory);

}  // namespace tarn::platform
