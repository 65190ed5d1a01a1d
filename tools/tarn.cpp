// tarn: the command on PATH; one subcommand per engine command, and reports.
#include "tools/tarn/tarn_program.h"

int main(int argc, char** argv) { return tarn::cli::TarnMain(argc, argv); }
