#include "tools/tarn/diff_report.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "engine/commands/command_line.h"
#include "engine/commands/get_command.h"
#include "engine/diff/line_changes.h"
#include "engine/format/revision_number.h"
#include "engine/store/temporary_files.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "engine/support/whole_file.h"
#include "engine/text/keyword_expansion.h"
#include "objects/command_program.h"
#include "tools/tarn/tarn_settings.h"
#include "tools/tarn/unified_diff.h"
#include "tools/tarn/usage_listing.h"

namespace tarn::cli {

namespace {

constexpr std::string_view kLabel = "tarn diff";
constexpr std::size_t kMaxRevisions = 2;

constexpr CommandOption kDiffOptions[] = {{&msg::kOptionRevision, OptionValue::kNext},
                                           {&msg::kOptionDate, OptionValue::kNext}};

// One compared revision: given by number, or by date (the newest on the
// default revision's line checked in at or before it).
struct RevisionChoice {
  std::string text;  // as given
  std::optional<tarnCommandRevDesc> revision;
  std::optional<std::int64_t> date;
};

struct DiffRequest {
  // None given: the default revision against the workfile.
  std::vector<RevisionChoice> revisions;
  std::vector<std::string> files;
};

// False after reporting why the line is refused.
bool ParseDiffLine(std::span<const std::string> words, DiffRequest& request) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (!IsOption(word)) {
      request.files.push_back(word);
      continue;
    }
    if (!IsKnownOption(kDiffOptions, word)) return false;
    const bool by_date = IsOptionWord(word, msg::kOptionDate);
    if (i + 1 >= words.size()) {
      if (by_date) {
        Report(kAlert, msg::kOptionValueMissing, OptionWord(msg::kOptionDate));
      } else {
        Report(kAlert, msg::kRevisionMissing);
      }
      return false;
    }
    if (request.revisions.size() == kMaxRevisions) {
      Report(kAlert, msg::kTooManyRevisionOptions);
      return false;
    }
    RevisionChoice choice;
    choice.text = words[++i];
    if (by_date) {
      choice.date = ReadDateOrReport(choice.text);
      if (!choice.date) return false;
    } else {
      choice.revision = ParseSingleRevisionArgument(choice.text);
      if (!choice.revision) return false;
    }
    request.revisions.push_back(std::move(choice));
  }
  return !request.files.empty();
}

// One side of the comparison: the bytes and how the listing names them.
struct Side {
  std::vector<std::uint8_t> bytes;
  std::string label;
};

std::string SideLabel(const std::string& file, std::string_view what) {
  return file + "\t" + std::string(what);
}

// Names the revision by its number, the one the get wrote, whatever the
// request was (none, a branch, a label).
std::string RevisionWhat(const std::string& number) {
  std::string what = MessageText(msg::kWordRevision.number);
  what += ' ';
  what += number;
  return what;
}

// A revision of `file` through the get command, into a temporary file.
// The file's bytes; nothing after the engine's report of why not.
std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& path) {
  ByteBuffer contents;
  if (ReadWholeFileOrReport(path, contents) != 1) return std::nullopt;
  return std::vector<std::uint8_t>(contents.begin(), contents.end());
}

std::optional<Side> FetchRevision(const std::string& file, const RevisionChoice* choice) {
  tarnEnvironVars env;
  TarnSettings().CopyToStruct(&env);
  std::optional<std::string> reserved = MakeTemporaryFile(env);
  if (!reserved) {
    Report(kAlert, msg::kTempNameFailed);
    return std::nullopt;
  }
  const ScopedTemporaryFile temporary(std::move(*reserved));
  GetCommandArgs get;
  get.fileName = file;
  get.workfile = temporary.path();
  if (choice != nullptr) {
    get.revision = choice->revision;
    get.date = choice->date;
    get.dateText = choice->text;
  }
  get.quiet = true;
  std::string number;
  get.fetchedRevision = &number;
  // The reserved file is empty and ours: replace it without asking.
  get.writableAnswer = MessageText(msg::kWordYes.number);
  {
    // Keywords name the workfile, not the temporary file: an unchanged
    // workfile with keywords then compares equal to its revision.
    const ScopedWorkfileDisplayName keywords_for(file);
    if (RunGetCommand(get, env) != 1) return std::nullopt;
  }
  // A date is named beside the revision it chose.
  if (get.date) number += " (" + choice->text + ")";
  std::optional<std::vector<std::uint8_t>> bytes = ReadBytes(temporary.path());
  if (!bytes) return std::nullopt;
  return Side{std::move(*bytes), SideLabel(file, RevisionWhat(number))};
}

std::optional<Side> ReadWorkfile(const std::string& file) {
  std::optional<std::vector<std::uint8_t>> bytes = ReadBytes(file);
  if (!bytes) return std::nullopt;
  return Side{std::move(*bytes), SideLabel(file, MessageText(msg::kWordWorkfile.number))};
}

bool LooksBinary(const std::vector<std::uint8_t>& bytes) {
  return std::ranges::find(bytes, std::uint8_t{0}) != bytes.end();
}

int CompareSides(const Side& first, const Side& second) {
  if (LooksBinary(first.bytes) || LooksBinary(second.bytes)) {
    if (first.bytes == second.bytes) return kDiffEqual;
    std::printf("%s\n", FormatMessage(msg::kBinaryFilesDiffer, std::string_view(first.label),
                                      std::string_view(second.label))
                            .c_str());
    return kDiffDifferent;
  }
  TextLineChanges changes;
  const int found = FindLineChanges(first.bytes, second.bytes, '\n', changes);
  if (found < 0) return kDiffTrouble;
  if (found == 0) return kDiffEqual;
  const std::string listing =
      UnifiedDiff(first.label, first.bytes, second.label, second.bytes, changes);
  std::fwrite(listing.data(), 1, listing.size(), stdout);
  return kDiffDifferent;
}

int DiffOneFile(const DiffRequest& request, const std::string& file) {
  auto choice = [&](std::size_t n) -> const RevisionChoice* {
    return n < request.revisions.size() ? &request.revisions[n] : nullptr;
  };
  const std::optional<Side> first = FetchRevision(file, choice(0));
  if (!first) return kDiffTrouble;
  const std::optional<Side> second = request.revisions.size() == kMaxRevisions
                                         ? FetchRevision(file, choice(1))
                                         : ReadWorkfile(file);
  if (!second) return kDiffTrouble;
  const int result = CompareSides(*first, *second);
  std::fflush(stdout);
  return result;
}

}  // namespace

std::span<const CommandOption> DiffReportOptions() { return kDiffOptions; }

int RunDiffReport(std::span<const std::string> words) {
  const ScopedProgramLabel label(kLabel);
  DiffRequest request;
  if (!ParseDiffLine(words, request)) return RefuseWithUsage(kLabel);
  int status = kDiffEqual;
  for (const std::string& file : request.files) {
    status = std::max(status, DiffOneFile(request, file));
  }
  return status;
}

}  // namespace tarn::cli
