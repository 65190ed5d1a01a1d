#include "tools/tarn/file_run_summary.h"

#include "engine/support/report.h"
#include "objects/command_program.h"

namespace tarn::cli {

void FileRunSummary::Add(const std::string& file, int exit_status) {
  ++total_;
  if (exit_status == kExitSucceeded) {
    ++done_;
  } else {
    not_done_.push_back(file);
  }
  status_ = total_ == 1 ? exit_status : CombinedExitStatus(status_, exit_status);
}

void FileRunSummary::Report() const {
  if (total_ < 2) return;
  if (not_done_.empty()) {
    tarn::Report(kStatus, msg::kFilesDone, done_, total_);
    return;
  }
  tarn::Report(kAlert, msg::kFilesDone, done_, total_);
  std::string names;
  for (const std::string& name : not_done_) {
    if (!names.empty()) names += ", ";
    names += name;
  }
  tarn::Report(kAlert, msg::kFilesNotDone, std::string_view(names));
}

}  // namespace tarn::cli
