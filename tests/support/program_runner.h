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
  std::string programDirectory;      // empty: the build's program directory
  // Run as this user id, with this group id and the further `groups` as its
  // groups, under umask 022 (the caller must be root; the working directory
  // and the program must be reachable for that user).
  struct User {
    unsigned uid = 0;
    unsigned gid = 0;
    std::vector<unsigned> groups;
  };
  std::optional<User> user;
};

struct ProgramResult {
  int status = -1;  // exit status; 128 + the signal when one ended it
  bool killed = false;
  std::string out;
  std::string err;
};

// What a child made by fork() needs to run `program` (a name in the
// build's program directory, or in setup.programDirectory) under `setup`,
// made before the fork, so that the child makes async-signal-safe calls
// only. `setup` must outlive it.
class ProgramLaunch {
 public:
  ProgramLaunch(const std::string& program, const std::vector<std::string>& arguments,
                const ProgramSetup& setup);
  ProgramLaunch(const ProgramLaunch&) = delete;
  ProgramLaunch& operator=(const ProgramLaunch&) = delete;

  // In the child, its standard streams in place: takes on the setup's user
  // and working directory and runs the program. Ends the child with status
  // 125 (user), 126 (directory) or 127 (program) when it cannot.
  [[noreturn]] void RunInChild() const;

 private:
  const ProgramSetup& setup_;
  std::string path_;
  std::vector<std::string> argument_text_;
  std::vector<std::string> environment_text_;
  std::vector<char*> arguments_;
  std::vector<char*> environment_;
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

// The same, but waits at most `limitMicroseconds` for the program to end
// and kills it then (`killed` tells): a program that should end at once and
// hangs fails its test instead of hanging it.
ProgramResult RunBuiltProgramWithin(const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    const ProgramSetup& setup, std::int64_t limitMicroseconds);

}  // namespace tarn::testing
