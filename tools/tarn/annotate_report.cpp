#include "tools/tarn/annotate_report.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/commands/command_line.h"
#include "engine/format/revision_number.h"
#include "engine/support/report.h"
#include "objects/command_program.h"
#include "tools/tarn/json_text.h"
#include "tools/tarn/log_layout.h"
#include "tools/tarn/revision_choice.h"
#include "tools/tarn/tarn_settings.h"
#include "tools/tarn/usage_listing.h"

namespace tarn::cli {

namespace {

constexpr std::string_view kLabel = "tarn annotate";
// "2020-01-01" of the local date and time text.
constexpr std::size_t kDayLength = 10;

constexpr CommandOption kAnnotateOptions[] = {{&msg::kOptionRevision, OptionValue::kNext},
                                              {&msg::kOptionDate, OptionValue::kNext},
                                              {&msg::kOptionJson, OptionValue::kNone}};

struct AnnotateRequest {
  RevisionChoiceOptions choice;
  bool json = false;
  std::vector<std::string> files;
};

// False after reporting why the line is refused.
bool ParseAnnotateLine(std::span<const std::string> words, AnnotateRequest& request) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    bool refused = false;
    if (!IsOption(word)) {
      request.files.push_back(word);
    } else if (!IsKnownOption(kAnnotateOptions, word)) {
      return false;
    } else if (IsOptionWord(word, msg::kOptionJson)) {
      request.json = true;
    } else if (request.choice.Take(words, i, refused) && refused) {
      return false;
    }
  }
  return !request.files.empty();
}

void Write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

int AnnotateOneFile(const AnnotateRequest& request, const std::string& file,
                    const tarnEnvironVars& env, bool heading) {
  LogfileReading logfile;
  if (logfile.Open(file, env) != 1) return kExitFailed;
  // A date's choice is named where errors go: standard output holds the
  // listing alone.
  const std::optional<tarnCommandRevDesc> wanted = request.choice.RequestFor(logfile, file, kAlert);
  if (!wanted) return kExitFailed;
  AnnotatedRevision annotated;
  switch (AnnotateRevision(logfile, *wanted, annotated)) {
    case AnnotateResult::kDone:
      break;
    case AnnotateResult::kNotFound:
      Report(kAlert, msg::kRevisionNotFound, FormatRevision(*wanted));
      return kExitFailed;
    case AnnotateResult::kFailed:
      Report(kAlert, msg::kLogfileUnreadable, std::string_view(logfile.path()));
      return kExitFailed;
  }
  if (request.json) {
    Write(AnnotateJson(file, annotated) + "\n");
  } else {
    if (heading) Write("==> " + file + " " + annotated.number + " <==\n");
    Write(AnnotateText(annotated));
  }
  return kExitSucceeded;
}

}  // namespace

std::string AnnotateText(const AnnotatedRevision& annotated) {
  std::size_t number_width = 0;
  std::size_t creator_width = 0;
  for (const OriginRevision& origin : annotated.origins) {
    number_width = std::max(number_width, origin.number.size());
    creator_width = std::max(creator_width, origin.creator.size());
  }
  std::string out;
  for (const AnnotatedLine& line : annotated.lines) {
    const OriginRevision& origin = annotated.origins[line.origin];
    out += origin.number;
    out.append(number_width - origin.number.size() + 1, ' ');
    out += origin.creator;
    out.append(creator_width - origin.creator.size() + 1, ' ');
    out += LocalTimeText(static_cast<long>(origin.checked_in)).substr(0, kDayLength);
    out += " | ";
    out += line.text;
    out += '\n';
  }
  return out;
}

std::string AnnotateJson(const std::string& file, const AnnotatedRevision& annotated) {
  std::string lines = "[";
  for (std::size_t i = 0; i < annotated.lines.size(); ++i) {
    const AnnotatedLine& line = annotated.lines[i];
    const OriginRevision& origin = annotated.origins[line.origin];
    if (i > 0) lines += ',';
    lines += JsonObject()
                 .Number("line", static_cast<long long>(i + 1))
                 .Text("revision", origin.number)
                 .Text("creator", origin.creator)
                 .Number("checked_in", origin.checked_in)
                 .Text("text", line.text)
                 .Close();
  }
  lines += ']';
  return JsonObject().Text("file", file).Text("revision", annotated.number).Raw("lines", lines).Close();
}

std::span<const CommandOption> AnnotateOptions() { return kAnnotateOptions; }

int RunAnnotateReport(std::span<const std::string> words) {
  const ScopedProgramLabel label(kLabel);
  AnnotateRequest request;
  if (!ParseAnnotateLine(words, request)) return RefuseWithUsage(kLabel);
  tarnEnvironVars env;
  TarnSettings().CopyToStruct(&env);
  int status = kExitSucceeded;
  for (const std::string& file : request.files) {
    status = std::max(status, AnnotateOneFile(request, file, env, request.files.size() > 1));
  }
  return status;
}

}  // namespace tarn::cli
