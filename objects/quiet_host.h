// A host that hears nothing, for the reading the object interface does.
//
// Reading a logfile for display reports its outcome as a ttBool: a project
// listing that meets a damaged logfile or an unrelated file skips it, and
// the engine readers' fault messages would only fill the user's screen with
// message boxes for files they never asked about.
#pragma once

#include <string>
#include <string_view>

#include "engine/support/report.h"

namespace tarn {

// Installs itself for its lifetime and restores the previous host after.
class QuietHost final : public Host {
 public:
  QuietHost();
  ~QuietHost() override;
  QuietHost(const QuietHost&) = delete;
  QuietHost& operator=(const QuietHost&) = delete;

  void ReportMessage(std::string_view text, int kind) override;
  // Nothing is ever asked while reading; should it be, the answer is no.
  std::string AskQuestion() override;

 private:
  Host* previous_;
};

}  // namespace tarn
