// Names that the INI files' own structure keeps for itself.
//
// A project's settings live in a section named after the project, so a
// project may not be called after a section the files use for something else
// (the project list, the users, the tools, the default project, the user's
// window settings): sections compare without letter case, and deleting such a
// project would delete the users or the project list. A user's name becomes
// the name of the user's INI file beside dorn.ini, so it may not be a name the
// INI machinery uses for its own files there (the lock "$..." and temporary
// "!..." files, dorn.ini itself, hidden or empty names, other directories).
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// True when `name` is one of the sections' names, in any letter case.
bool IsReservedProjectName(std::string_view name);
// The reserved names, for a message: "Projects, Default, ...".
std::string ReservedProjectNames();

// True when `name` can name a user (and the user's INI file).
bool IsUsableUserName(std::string_view name);

}  // namespace tarn
