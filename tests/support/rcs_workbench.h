// A scratch work directory with RCS/ and TARN/ beside it, in which a test
// makes histories with the installed ci, co, rcs (or cvs, git) and runs the
// tarn program on them, as a user would from a shell (UTC, user "imp").
#pragma once

#include <string>
#include <vector>

#include "tests/support/program_runner.h"
#include "tests/support/test_support.h"

namespace tarn::testing {

class RcsWorkbench {
 public:
  RcsWorkbench();

  // Whether the installed program (ci, cvs, git) is there to run.
  static bool Installed(const std::string& program);

  ProgramResult Tarn(const std::vector<std::string>& arguments) const;
  // Runs an installed program in the work directory; a failure is a test
  // failure (the result is returned all the same).
  ProgramResult Run(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& directory = "") const;
  // The same, where failing is what the test expects or may happen.
  ProgramResult RunUnchecked(const std::string& program,
                             const std::vector<std::string>& arguments,
                             const std::string& directory = "") const;

  // Writes (or overwrites, also a read-only file) a file of the work
  // directory, and reads one.
  void Write(const std::string& name, const std::string& text) const;
  std::string Read(const std::string& name) const;

  // Checks in `text` as a new revision of work/`name` with ci, by `author`
  // at `date` ("2020-01-01 10:00:00", UTC): after the revision `from` (by
  // default the head) as revision or branch `to` (by default the next).
  void CheckIn(const std::string& name, const std::string& text, const std::string& author,
               const std::string& date, const std::string& log, const std::string& from = "",
               const std::string& to = "") const;

  const std::string& work() const { return work_; }
  std::string Path(const std::string& name) const { return work_ + "/" + name; }
  std::string Scratch(const std::string& name) const { return root_.File(name); }
  ProgramSetup& setup() { return setup_; }

 private:
  TempDir root_;
  std::string work_;
  ProgramSetup setup_;
};

}  // namespace tarn::testing
