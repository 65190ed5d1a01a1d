// tput: checks a workfile in as a new revision of its logfile, creating the
// logfile the first time.
#include "engine/commands/checkin.h"
#include "engine/commands/checkin_command_line.h"
#include "engine/support/quiet_reports.h"
#include "objects/command_program.h"
#include "projects/settings_in_force.h"

namespace {

// The quiet option holds back every information message of the check-in,
// also those of the services it calls (the comparison, the creation of the
// logfile, the comment prefix note).
int CheckIn(const tarn::CheckInRecord& record, tarn::tarnEnvironVars& env) {
  const tarn::ScopedQuietReports quiet(record.quiet);
  return tarn::RunCheckIn(record, env);
}

}  // namespace

int main(int argc, char** argv) {
  return tarn::RunCommandProgram<tarn::CheckInRecord>("tput", argc, argv,
                                                      tarn::ParseCheckInCommandLine, CheckIn,
                                                      tarn::SettingsInForce);
}
