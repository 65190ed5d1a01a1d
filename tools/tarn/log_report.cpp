#include "tools/tarn/log_report.h"

#include <cstdio>
#include <vector>

#include "engine/commands/command_line.h"
#include "engine/support/report.h"
#include "objects/command_program.h"
#include "tools/tarn/log_layout.h"
#include "tools/tarn/tarn_settings.h"
#include "tools/tarn/usage_listing.h"

namespace tarn::cli {

namespace {

constexpr std::string_view kLabel = "tarn log";

constexpr CommandOption kLogOptions[] = {
    {&msg::kOptionHeaderOnly, OptionValue::kNone},
    {&msg::kOptionLockedOnly, OptionValue::kNone},
    {&msg::kOptionRevision, OptionValue::kNext},
    {&msg::kOptionJson, OptionValue::kNone},
};
constexpr std::string_view kFileSeparator =
    "========================================================================"
    "\n";

struct LogRequest {
  LogFilter filter;
  bool json = false;
  std::vector<std::string> files;
};

// False after reporting why the line is refused.
bool ParseLogLine(std::span<const std::string> words, LogRequest& request) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (!IsOption(word)) {
      request.files.push_back(word);
    } else if (!IsKnownOption(kLogOptions, word)) {
      return false;
    } else if (IsOptionWord(word, msg::kOptionHeaderOnly)) {
      request.filter.header_only = true;
    } else if (IsOptionWord(word, msg::kOptionLockedOnly)) {
      request.filter.locked_only = true;
    } else if (IsOptionWord(word, msg::kOptionJson)) {
      request.json = true;
    } else if (IsOptionWord(word, msg::kOptionRevision)) {
      if (i + 1 >= words.size()) {
        Report(kAlert, msg::kRevisionMissing);
        return false;
      }
      const std::string& value = words[++i];
      std::optional<RevisionSelection> selection = RevisionSelection::Parse(value);
      if (!selection) {
        Report(kAlert, msg::kBadRevisionSelection, std::string_view(value));
        return false;
      }
      request.filter.revisions = *selection;
    } else {
      Report(kAlert, msg::kUnknownOption, std::string_view(word));
      return false;
    }
  }
  return !request.files.empty();
}

void Write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

std::span<const CommandOption> LogReportOptions() { return kLogOptions; }

int RunLogReport(std::span<const std::string> words) {
  const ScopedProgramLabel label(kLabel);
  LogRequest request;
  if (!ParseLogLine(words, request)) return RefuseWithUsage(kLabel);
  const tEnvVar settings = TarnSettings();
  int status = kExitSucceeded;
  bool first = true;
  for (const std::string& file : request.files) {
    LogfileHistory history;
    switch (ReadLogfileHistory(file, settings, request.filter.header_only, history)) {
      case HistoryRead::kRead:
        break;
      case HistoryRead::kNoLogfile:
        Report(kAlert, msg::kNoLogfileFor, std::string_view(file));
        status = kExitFailed;
        continue;
      case HistoryRead::kDamaged:
        Report(kAlert, msg::kLogfileUnreadable, std::string_view(history.logfile));
        status = kExitFailed;
        continue;
    }
    if (request.json) {
      Write(LogJson(history, request.filter));
      continue;
    }
    if (request.filter.locked_only) {
      Write(LockedLines(history, request.filter));
      continue;
    }
    if (!first) Write(std::string(kFileSeparator));
    first = false;
    Write(LogText(history, request.filter));
  }
  return status;
}

}  // namespace tarn::cli
