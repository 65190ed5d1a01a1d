// tget: writes a revision of a file's logfile into its workfile, optionally
// locking it (a check-out).
#include "engine/commands/get_command.h"
#include "objects/command_program.h"

int main(int argc, char** argv) {
  return tarn::RunCommandProgram("tget", argc, argv, tarn::ParseGetCommandLine,
                                 tarn::RunGetCommand);
}
