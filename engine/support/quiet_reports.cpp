#include "engine/support/quiet_reports.h"

namespace tarn {

ScopedQuietReports::ScopedQuietReports(bool quiet) : quiet_(quiet) {
  if (!quiet_) return;
  outer_ = &CurrentHost();
  installed_over_ = SetHost(this);
}

ScopedQuietReports::~ScopedQuietReports() {
  if (quiet_) SetHost(installed_over_);
}

void ScopedQuietReports::ReportMessage(std::string_view text, int kind) {
  if (kind == kStatus) {
    held_ = std::string(text);
    return;
  }
  held_.reset();
  outer_->ReportMessage(text, kind);
}

std::string ScopedQuietReports::AskQuestion() {
  if (held_) {
    outer_->ReportMessage(*held_, kStatus);
    held_.reset();
  }
  return outer_->AskQuestion();
}

}  // namespace tarn
