// tstamp: attaches a label to a revision of a file's logfile.
#include "engine/commands/label_command.h"
#include "objects/command_program.h"
#include "projects/settings_in_force.h"

int main(int argc, char** argv) {
  return tarn::RunCommandProgram("tstamp", argc, argv, tarn::ParseLabelCommandLine,
                                 tarn::LabelRevision, tarn::SettingsInForce);
}
