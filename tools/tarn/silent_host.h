// A host that drops every message, for reading logfiles for a report: the
// report says itself which file it could not read, once, instead of the
// readers' fault messages.
#pragma once

#include <string>
#include <string_view>

#include "engine/support/report.h"

namespace tarn::cli {

// Installs itself for its lifetime and restores the previous host after.
class SilentHost final : public Host {
 public:
  SilentHost() : previous_(SetHost(this)) {}
  ~SilentHost() override { SetHost(previous_); }
  SilentHost(const SilentHost&) = delete;
  SilentHost& operator=(const SilentHost&) = delete;

  void ReportMessage(std::string_view, int) override {}
  // Reading asks nothing; should it, the answer is no.
  std::string AskQuestion() override;

 private:
  Host* previous_;
};

}  // namespace tarn::cli
