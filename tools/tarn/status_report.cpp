#include "tools/tarn/status_report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>

#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "objects/command_program.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "tools/tarn/log_layout.h"
#include "tools/tarn/logfile_history.h"
#include "tools/tarn/tarn_settings.h"
#include "tools/tarn/usage_listing.h"

namespace tarn::cli {

namespace {

constexpr std::string_view kLabel = "tarn status";
constexpr std::size_t kColumnGap = 2;

// The Locked By column of a locked logfile: the user recorded as last
// modifier, which the lock command sets.
std::string LockedBy(const LogfileHistory& history) {
  if (history.locks <= 0) return std::string();
  if (history.last_modifier < 0) return MessageText(msg::kWordLocked.number);
  return ListField(history.users, history.last_modifier);
}

StatusRow RowOf(const std::string& name, const std::string& workfile_path,
                const LogfileHistory& history) {
  StatusRow row;
  row.file = name;
  row.locked_by = LockedBy(history);
  if (history.last_update > 0) row.last_changed = LocalTimeText(history.last_update);
  if (history.locks > 0) row.workfile_in = history.workfile;
  if (history.last_workfile_size > 0) row.size = std::to_string(history.last_workfile_size);
  const std::optional<std::int64_t> modified = platform::ModificationTime(workfile_path);
  row.is_new = !modified || *modified < history.last_update;
  return row;
}

std::string JoinedPath(const std::string& directory, const std::string& name) {
  return directory.empty() ? name : platform::WithTrailingSeparator(directory) + name;
}

}  // namespace

std::string StatusTable(const std::vector<StatusRow>& rows,
                        const std::vector<std::string>& not_under_control) {
  const std::string mark_new = MessageText(msg::kMarkNew.number);
  const std::array<const MessageId*, 5> headings = {&msg::kColumnFilename, &msg::kColumnLockedBy,
                                                    &msg::kColumnLastChanged,
                                                    &msg::kColumnWorkfileIn, &msg::kColumnFileSize};
  std::vector<std::array<std::string, 6>> table;
  std::array<std::string, 6> heading_row;
  for (std::size_t i = 0; i < headings.size(); ++i) {
    heading_row[i + 1] = MessageText(headings[i]->number);
  }
  table.push_back(heading_row);
  for (const StatusRow& row : rows) {
    table.push_back({row.is_new ? mark_new : std::string(), row.file, row.locked_by,
                     row.last_changed, row.workfile_in, row.size});
  }
  std::array<std::size_t, 6> widths{};
  for (const auto& line : table) {
    for (std::size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], line[i].size());
  }
  std::string out;
  for (const auto& line : table) {
    std::string text;
    for (std::size_t i = 0; i < line.size(); ++i) {
      text += line[i];
      if (i + 1 < line.size()) text.append(widths[i] - line[i].size() + kColumnGap, ' ');
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out += text + "\n";
  }
  if (!not_under_control.empty()) {
    out += "\n";
    out += MessageText(msg::kHeadingNotUnderControl.number);
    out += ":\n";
    for (const std::string& name : not_under_control) out += "  " + name + "\n";
  }
  return out;
}

int RunStatusReport(std::span<const std::string> words) {
  const ScopedProgramLabel label(kLabel);
  std::string directory;
  for (const std::string& word : words) {
    if (IsOption(word)) {  // it takes none
      ReportUnknownOption({}, word);
      return RefuseWithUsage(kLabel);
    }
    if (!directory.empty()) {
      Report(kAlert, msg::kSecondFileName, std::string_view(directory));
      return RefuseWithUsage(kLabel);
    }
    directory = word;
  }
  if (!directory.empty() && !platform::DirectoryExists(directory)) {
    Report(kAlert, msg::kNotADirectory, std::string_view(directory));
    return kExitFailed;
  }
  // A relative logfile directory lies in the directory listed.
  tEnvVar settings = TarnSettings();
  const std::string logfile_directory = settings.TARNPath();
  if (!logfile_directory.empty() && logfile_directory.front() != platform::kPathSeparator) {
    settings.TARNPath(JoinedPath(directory, logfile_directory).c_str());
  }

  std::vector<StatusRow> rows;
  std::set<std::string> under_control;
  for (const std::string& name : FilesUnderControl(settings)) {
    LogfileHistory history;
    // Anything in the logfile directory that is no sound logfile is not
    // part of the list, as in the desktop front end.
    if (ReadLogfileHistory(name, settings, true, history) != HistoryRead::kRead) continue;
    under_control.insert(name);
    rows.push_back(RowOf(name, JoinedPath(directory, name), history));
  }

  std::vector<std::string> not_under_control;
  for (const std::string& name : platform::FindFiles(directory.empty() ? "." : directory, "*")) {
    // Lock and backup files are the system's own.
    if (under_control.contains(name) || name.find_first_of("$!") != std::string::npos) continue;
    not_under_control.push_back(name);
  }

  const std::string table = StatusTable(rows, not_under_control);
  std::fwrite(table.data(), 1, table.size(), stdout);
  return kExitSucceeded;
}

}  // namespace tarn::cli
