// Telling the user why an INI file could not be read or changed, in the
// catalogue's words, for the shell commands and the programs alike.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "projects/ini_file.h"

namespace tarn {

// The catalogue's text for a problem, and for a failed change of `ini`
// (`name`: the name or value that was refused as text; empty for kWritten).
std::string IniProblemText(const IniProblem& problem);
std::string IniWriteText(IniWrite result, tIniFile& ini, std::string_view name);

void ReportIniProblem(const IniProblem& problem);

// Reports why a change of `ini` failed (`name`: the name or value that was
// refused as text); true when `result` is kWritten and nothing is reported.
bool ReportIniWrite(IniWrite result, tIniFile& ini, std::string_view name);

// Reads each file (a missing one is fine) and reports the first one that
// cannot be used; true when all can.
bool IniFilesUsable(const std::vector<std::string>& paths);

}  // namespace tarn
