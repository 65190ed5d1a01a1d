// A command's quiet option: information messages are held back for as long
// as the command runs, including those of the services it calls (the
// comparison, the creation of a logfile, the comment prefix note), which
// know nothing of the option.
#pragma once

#include <optional>
#include <string>

#include "engine/support/report.h"

namespace tarn {

// While it lives (when made with `quiet` true) it stands between the engine
// and the host in place: messages of kind 10 are not shown, errors (kind 11)
// are. A question is still asked with its text, which the user needs to
// answer it: the last information message held back before a question is
// shown when the question is asked.
class ScopedQuietReports final : public Host {
 public:
  explicit ScopedQuietReports(bool quiet);
  ~ScopedQuietReports() override;
  ScopedQuietReports(const ScopedQuietReports&) = delete;
  ScopedQuietReports& operator=(const ScopedQuietReports&) = delete;

  void ReportMessage(std::string_view text, int kind) override;
  std::string AskQuestion() override;

 private:
  bool quiet_;
  Host* outer_ = nullptr;            // the host reported to before
  Host* installed_over_ = nullptr;   // what SetHost held before (null: the console)
  std::optional<std::string> held_;  // the last information held back
};

}  // namespace tarn
