// tget: writes a revision of a file's logfile into its workfile, optionally
// locking it (a check-out).
#include "engine/commands/get_command.h"
#include "objects/command_program.h"
#include "projects/settings_in_force.h"

int main(int argc, char** argv) {
  return tarn::RunCommandProgram("tget", argc, argv, tarn::ParseGetCommandLine, tarn::RunGetCommand,
                                 tarn::SettingsInForce);
}
