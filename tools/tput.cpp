// tput: checks a workfile in as a new revision of its logfile, creating the
// logfile the first time.
#include "engine/commands/checkin.h"
#include "engine/commands/checkin_command_line.h"
#include "objects/command_program.h"
#include "projects/settings_in_force.h"

int main(int argc, char** argv) {
  return tarn::RunCommandProgram<tarn::CheckInRecord>(
      "tput", argc, argv, tarn::ParseCheckInCommandLine, tarn::RunCheckIn, tarn::SettingsInForce);
}
