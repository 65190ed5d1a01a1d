// tunstamp: removes a label from a file's logfile.
#include "engine/commands/label_command.h"
#include "objects/command_program.h"
#include "projects/settings_in_force.h"

int main(int argc, char** argv) {
  return tarn::RunCommandProgram("tunstamp", argc, argv, tarn::ParseUnlabelCommandLine,
                                 tarn::RemoveLabel, tarn::SettingsInForce);
}
