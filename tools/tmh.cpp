// tmh: changes the header of a file's logfile (attributes, access list,
// known users, comment prefix, description, owner, default branch, label
// texts).
#include "engine/commands/header_command.h"
#include "objects/command_program.h"
#include "projects/settings_in_force.h"

int main(int argc, char** argv) {
  return tarn::RunCommandProgram("tmh", argc, argv, tarn::ParseHeaderCommandLine,
                                 tarn::ModifyHeader, tarn::SettingsInForce);
}
