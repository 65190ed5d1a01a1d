// Managing projects and users from the shell, for teams without the desktop:
// the logic behind `tarn project` and `tarn user`.
//
//   tarn project [show]                          the project in force here and
//                                                each setting with its origin
//   tarn project list [system|user]
//   tarn project create system|user NAME LOCATION
//   tarn project set system|user NAME SETTING VALUE
//   tarn project clear system|user NAME SETTING  back to the inherited value
//   tarn project delete system|user NAME
//   tarn user list | add NAME | delete NAME
//
// SETTING is an INI key name (the same name as the environment variable of
// that setting). User projects belong to the user named by the user
// variable. Both entry points expect the catalogue loaded; they report
// through `host` under the program label "tarn project" or "tarn user" and
// return the exit status: 0 done, 1 failed, 2 command line refused.
#pragma once

#include <span>
#include <string>

#include "engine/support/report.h"
#include "projects/project.h"

namespace tarn {

// `arguments` are the words after the subcommand's own name.
int RunProjectShell(std::span<const std::string> arguments, Host& host);
int RunProjectShell(std::span<const std::string> arguments, Host& host, const ProjectPlace& place);

int RunUserShell(std::span<const std::string> arguments, Host& host);
int RunUserShell(std::span<const std::string> arguments, Host& host, const ProjectPlace& place);

}  // namespace tarn
