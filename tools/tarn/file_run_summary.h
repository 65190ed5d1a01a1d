// The closing summary of a command run over several files: how many were
// done, which were not, and the exit status of the whole run.
#pragma once

#include <string>
#include <vector>

namespace tarn::cli {

class FileRunSummary {
 public:
  // Records the exit status of one file's command.
  void Add(const std::string& file, int exit_status);

  // With more than one file: "n of m files done" (kind 10 when all were,
  // else kind 11 followed by the files not done). One file says nothing more
  // than its command did.
  void Report() const;

  // 0 when every file succeeded (and when there were none); otherwise the
  // combined status (objects/command_program.h).
  int ExitStatus() const { return status_; }

 private:
  int total_ = 0;
  int done_ = 0;
  int status_ = 0;
  std::vector<std::string> not_done_;
};

}  // namespace tarn::cli
