// A team's scratch setting for program tests: two real user ids in one
// group sharing a setgid, group-writable logfile directory, each with a
// working directory of their own, and the programs copied where both can
// run them. Numeric ids of accounts every Debian system has and a group id
// no file of the system uses: nothing in /etc is touched. Needs root.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/program_runner.h"
#include "tests/support/terminal_program.h"
#include "tests/support/test_support.h"

namespace tarn::testing {

inline constexpr unsigned kAnn = 65534;  // nobody
inline constexpr unsigned kDan = 1;      // daemon
inline constexpr unsigned kTeamGroup = 48'611;

class TeamScratch {
 public:
  // Fails the calling test (ASSERT) when the setting cannot be made.
  void SetUp();

  std::string Work(unsigned user) const;
  const std::string& Logs() const { return logs_; }
  std::string Logfile(const std::string& name) const;

  ProgramSetup Setup(unsigned user) const;
  ProgramResult Run(unsigned user, const std::string& program,
                    const std::vector<std::string>& arguments) const;

  // Writes `name` in the user's working directory, owned by the user.
  void WriteWorkfile(unsigned user, const std::string& name, const std::string& text) const;

  // The names in `directory`, sorted.
  static std::vector<std::string> Entries(const std::string& directory);
  static std::uint32_t ModeOf(const std::string& path);

 private:
  TempDir dir_;
  std::string bin_;
  std::string logs_;
};

}  // namespace tarn::testing
