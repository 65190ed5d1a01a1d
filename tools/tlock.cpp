// tlock: locks one revision of a file's logfile for the calling user.
#include "engine/commands/lock_command.h"
#include "objects/command_program.h"
#include "projects/settings_in_force.h"

int main(int argc, char** argv) {
  return tarn::RunCommandProgram("tlock", argc, argv, tarn::ParseLockCommandLine,
                                 tarn::LockRevision, tarn::SettingsInForce);
}
