#include "tools/tarn/log_layout.h"

#include <cstdio>
#include <string_view>

#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "platform/clock.h"
#include "tools/tarn/json_text.h"

namespace tarn::cli {

namespace {

constexpr std::size_t kValueColumn = 16;
constexpr std::string_view kIndent = "  ";

// "Heading:" and the value in the value column; a heading whose value
// follows on lines of its own ends at its colon, with no blanks behind it.
void Field(std::string& out, const MessageId& heading, std::string_view value) {
  std::string line = MessageText(heading.number);
  line += ':';
  if (value.empty()) {
    out += line + '\n';
    return;
  }
  if (line.size() < kValueColumn)
    line.resize(kValueColumn, ' ');
  else
    line += ' ';
  out += line;
  out += value;
  out += '\n';
}

// A text of several lines, each indented; nothing for an empty text.
void IndentedText(std::string& out, std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out += kIndent;
    out += line;
    out += '\n';
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

std::string JsonArray(const std::vector<std::string>& items) {
  std::string text = "[";
  for (const std::string& item : items) {
    if (text.size() > 1) text += ',';
    text += JsonString(item);
  }
  return text + "]";
}

// The names of a comma-separated list, empty fields left out.
std::vector<std::string> ListNames(std::string_view list) {
  std::vector<std::string> names;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    if (!name.empty()) names.emplace_back(name);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return names;
}

void RevisionText(std::string& out, const RevisionEntry& revision) {
  out += '\n';
  Field(out, msg::kHeadingRevision, revision.number);
  Field(out, msg::kHeadingCreatedBy, revision.creator);
  Field(out, msg::kHeadingCheckedIn, LocalTimeText(revision.checked_in));
  Field(out, msg::kHeadingEdited, LocalTimeText(revision.edited));
  if (revision.locked_by) Field(out, msg::kHeadingLockedBy, *revision.locked_by);
  Field(out, msg::kHeadingSize, std::to_string(revision.size));
  Field(out, msg::kHeadingStoredSize, std::to_string(revision.stored));
  Field(out, msg::kHeadingModuleDescription, "");
  IndentedText(out, revision.description);
}

std::string RevisionJson(const RevisionEntry& revision) {
  JsonObject object;
  object.Text("revision", revision.number)
      .Text("creator", revision.creator)
      .Number("checked_in", revision.checked_in)
      .Number("edited", revision.edited);
  if (revision.locked_by) {
    object.Text("locked_by", *revision.locked_by);
  } else {
    object.Null("locked_by");
  }
  object.Number("size", revision.size)
      .Number("stored_size", static_cast<long long>(revision.stored))
      .Boolean("compressed", revision.compressed)
      .Text("description", revision.description);
  return object.Close();
}

}  // namespace

std::string LocalTimeText(long seconds) {
  const platform::LocalTime time = platform::ToLocalTime(seconds);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return text;
}

std::string LogText(const LogfileHistory& history, const LogFilter& filter) {
  std::string out;
  Field(out, msg::kHeadingLogfile, history.logfile);
  Field(out, msg::kHeadingWorkfile, history.workfile);
  Field(out, msg::kHeadingOwnerName, history.owner);
  Field(out, msg::kHeadingAccess, history.access_list);
  Field(out, msg::kHeadingUsers, history.users);
  Field(out, msg::kHeadingAttributes, Joined(history.attributes));
  Field(out, msg::kHeadingPrefix, JsonString(history.comment_prefix));
  Field(out, msg::kHeadingDefaultBranch, history.default_branch);
  Field(out, msg::kHeadingLocks, std::to_string(history.locks));
  Field(out, msg::kHeadingRevisions, std::to_string(history.revision_count));
  Field(out, msg::kHeadingModuleDescription, "");
  IndentedText(out, history.description);
  Field(out, msg::kHeadingLabels, "");
  for (const LabelEntry& label : history.labels) {
    std::string line = label.label;
    line += ' ';
    if (line.size() < kValueColumn - kIndent.size())
      line.resize(kValueColumn - kIndent.size(), ' ');
    IndentedText(out, line + label.revision);
  }
  if (filter.header_only) return out;
  for (const RevisionEntry& revision : history.revisions) {
    if (filter.Shows(revision)) RevisionText(out, revision);
  }
  return out;
}

std::string LockedLines(const LogfileHistory& history, const LogFilter& filter) {
  std::string out;
  for (const RevisionEntry& revision : history.revisions) {
    if (!revision.locked_by || !filter.Shows(revision)) continue;
    out += FormatMessage(msg::kLockedRevisionLine, std::string_view(history.file),
                         std::string_view(revision.number), std::string_view(*revision.locked_by));
    out += '\n';
  }
  return out;
}

std::string LogJson(const LogfileHistory& history, const LogFilter& filter) {
  JsonObject object;
  object.Text("file", history.file)
      .Text("logfile", history.logfile)
      .Text("workfile", history.workfile)
      .Text("owner", history.owner)
      .Raw("access", JsonArray(ListNames(history.access_list)))
      .Raw("users", JsonArray(ListNames(history.users)))
      .Raw("attributes", JsonArray(history.attributes))
      .Text("comment_prefix", history.comment_prefix)
      .Text("default_branch", history.default_branch)
      .Number("locks", history.locks)
      .Number("revision_count", history.revision_count)
      .Text("description", history.description);
  std::string labels = "[";
  for (const LabelEntry& label : history.labels) {
    if (labels.size() > 1) labels += ',';
    labels += JsonObject().Text("label", label.label).Text("revision", label.revision).Close();
  }
  object.Raw("labels", labels + "]");
  if (!filter.header_only) {
    std::string revisions = "[";
    for (const RevisionEntry& revision : history.revisions) {
      if (!filter.Shows(revision)) continue;
      if (revisions.size() > 1) revisions += ',';
      revisions += RevisionJson(revision);
    }
    object.Raw("revisions", revisions + "]");
  }
  return object.Close() + "\n";
}

}  // namespace tarn::cli
