// Running the built programs (tput, tget, tlock, ...) from tests, as a user
// would from a shell: own environment, own working directory, standard input
// from a text, standard output and error captured.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarn::testing {

struct ProgramSetup {
  // The program's environment: the test's own without any TARN* variable,
  // plus these.
  std::map<std::string, std::string> environment;
  std::string workingDirectory;      // empty: the test's
  std::optional<std::string> input;  // standard input; none: /dev/null
};

struct ProgramResult {
  int status = -1;  // exit status; 128 + the signal when one ended it
  bool killed = false;
  std::string out;
  std::string err;
};

// Runs `program` (a name in the build's program directory) with `arguments`
// and waits for it.
ProgramResult RunBuiltProgram(const std::string& program, const std::vector<std::string>& arguments,
                              const ProgramSetup& setup);

// The same, but sends SIGKILL after `delayMicroseconds` unless the program
// has ended by then.
ProgramResult RunBuiltProgramKilledAfter(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const ProgramSetup& setup, std::int64_t delayMicroseconds);

}  // namespace tarn::testing
