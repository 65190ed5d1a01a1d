// tunlock: removes the calling user's lock from one revision of a file's
// logfile.
#include "engine/commands/lock_command.h"
#include "objects/command_program.h"
#include "projects/settings_in_force.h"

int main(int argc, char** argv) {
  return tarn::RunCommandProgram("tunlock", argc, argv, tarn::ParseUnlockCommandLine,
                                 tarn::UnlockRevision, tarn::SettingsInForce);
}
