#include "tools/tarn/export_subcommand.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <vector>

#include "engine/commands/command_line.h"
#include "engine/store/disk_names.h"
#include "engine/support/report.h"
#include "objects/command_program.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "tools/tarn/git_export.h"
#include "tools/tarn/tarn_settings.h"
#include "tools/tarn/usage_listing.h"

namespace tarn::cli {

namespace {

constexpr std::string_view kLabel = "tarn export";
constexpr std::int64_t kLongestWindow = 86400;
// Lock files are a logfile's name with its first character replaced.
constexpr char kLockFileMark = '$';
// The logfile extension of a workfile name without one.
constexpr std::string_view kNoExtension = ".___";

constexpr CommandOption kExportOptions[] = {{&msg::kOptionOutput, OptionValue::kNext},
                                            {&msg::kOptionAuthors, OptionValue::kNext},
                                            {&msg::kOptionTrunk, OptionValue::kNext},
                                            {&msg::kOptionWindow, OptionValue::kNext}};

struct ExportRequest {
  std::optional<std::string> out;
  std::optional<std::string> authors;
  std::optional<std::string> trunk;
  std::int64_t window = 300;
  std::vector<std::string> arguments;
};

std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> components;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = path.find('/', start);
    const std::string_view piece = path.substr(start, slash - start);
    if (!piece.empty() && piece != ".") components.emplace_back(piece);
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  return components;
}

std::string Joined(const std::vector<std::string>& components) {
  std::string path;
  for (const std::string& component : components) {
    if (!path.empty()) path += '/';
    path += component;
  }
  return path;
}

// The value after option `words[i]`; none (reported) when it is missing.
const std::string* Value(std::span<const std::string> words, std::size_t& i, const MessageId& option) {
  if (i + 1 >= words.size()) {
    Report(kAlert, msg::kOptionValueMissing, OptionWord(option));
    return nullptr;
  }
  return &words[++i];
}

bool TakeValue(std::span<const std::string> words, std::size_t& i, const MessageId& option,
               std::optional<std::string>& field) {
  if (field) {
    Report(kAlert, msg::kOptionTwice, OptionWord(option));
    return false;
  }
  const std::string* value = Value(words, i, option);
  if (value == nullptr) return false;
  field = *value;
  return true;
}

bool TakeWindow(std::span<const std::string> words, std::size_t& i, std::int64_t& window) {
  const std::string* value = Value(words, i, msg::kOptionWindow);
  if (value == nullptr) return false;
  const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), window);
  if (value->empty() || error != std::errc() || end != value->data() + value->size() || window < 0 ||
      window > kLongestWindow) {
    Report(kAlert, msg::kBadWindow, std::string_view(*value));
    return false;
  }
  return true;
}

// False after reporting why the line is refused.
bool ParseExportLine(std::span<const std::string> words, ExportRequest& request) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    bool taken = true;
    if (!IsOption(word)) {
      request.arguments.push_back(word);
    } else if (!IsKnownOption(kExportOptions, word)) {
      return false;
    } else if (IsOptionWord(word, msg::kOptionOutput)) {
      taken = TakeValue(words, i, msg::kOptionOutput, request.out);
    } else if (IsOptionWord(word, msg::kOptionAuthors)) {
      taken = TakeValue(words, i, msg::kOptionAuthors, request.authors);
    } else if (IsOptionWord(word, msg::kOptionTrunk)) {
      taken = TakeValue(words, i, msg::kOptionTrunk, request.trunk);
    } else {
      taken = TakeWindow(words, i, request.window);
    }
    if (!taken) return false;
  }
  return !request.arguments.empty();
}

// The logfile directory's name when it is one relative component (TARN):
// logfiles lie only in directories of that name, beside workfiles and
// whatever else a tree holds.
std::optional<std::string> LogfileDirectoryName(const std::string& logfile_directory) {
  const std::vector<std::string> components = Components(logfile_directory);
  if (components.size() != 1 || platform::IsAbsolutePath(logfile_directory)) return std::nullopt;
  return components.front();
}

void CollectLogfiles(const std::string& directory, const std::string& relative,
                     const std::string& logfile_directory, std::map<std::string, std::string>& found) {
  const std::string prefix = platform::WithTrailingSeparator(directory);
  const std::optional<std::string> only_in = LogfileDirectoryName(logfile_directory);
  const bool holds_logfiles =
      !only_in || platform::FinalComponent(Joined(Components(directory))) == *only_in;
  for (const std::string& name : holds_logfiles ? platform::FindFiles(directory, "*")
                                                : std::vector<std::string>{}) {
    if (name.empty() || name.front() == kLockFileMark || !platform::IsRegularFile(prefix + name)) {
      continue;
    }
    found.try_emplace(RepositoryPathOfLogfile(relative + name, logfile_directory), prefix + name);
  }
  for (const std::string& name : platform::FindSubdirectories(directory)) {
    CollectLogfiles(prefix + name, relative + name + "/", logfile_directory, found);
  }
}

// The files to export, sorted by their path in the repository; none
// (reported) when an argument names nothing to export.
std::optional<std::vector<ExportInput>> Inputs(const std::vector<std::string>& arguments,
                                               const tarnEnvironVars& env) {
  std::map<std::string, std::string> found;
  for (const std::string& argument : arguments) {
    if (platform::KindOf(argument) == platform::EntryKind::kDirectory) {
      CollectLogfiles(argument, "", env.logfileDirectory, found);
      continue;
    }
    std::optional<std::string> logfile = LogfileNameFromWorkfile(argument, env.logfileDirectory);
    if (!logfile) return std::nullopt;
    if (!platform::FileExists(*logfile)) {
      Report(kAlert, msg::kNoLogfileFor, std::string_view(argument));
      return std::nullopt;
    }
    found.try_emplace(RepositoryPathOfWorkfile(argument), *logfile);
  }
  std::vector<ExportInput> inputs;
  for (auto& [path, logfile] : found) inputs.push_back(ExportInput{path, logfile});
  return inputs;
}

}  // namespace

std::string RepositoryPathOfWorkfile(const std::string& workfile) {
  if (platform::IsAbsolutePath(workfile)) return platform::FinalComponent(workfile);
  std::vector<std::string> components = Components(workfile);
  // What lies above the current directory is not part of the repository.
  components.erase(std::remove(components.begin(), components.end(), ".."), components.end());
  return Joined(components);
}

std::string RepositoryPathOfLogfile(const std::string& relative, const std::string& logfile_directory) {
  std::vector<std::string> components = Components(relative);
  if (components.empty()) return {};
  // A workfile without an extension and one ending in '.' share the
  // logfile name X.___; the first is by far the more common.
  std::string& name = components.back();
  name = name.ends_with(kNoExtension) ? name.substr(0, name.size() - kNoExtension.size())
                                      : WorkfileNameOf(name);
  const std::vector<std::string> directory = Components(logfile_directory);
  if (directory.size() == 1 && !platform::IsAbsolutePath(logfile_directory)) {
    components.erase(std::remove(components.begin(), components.end() - 1, directory.front()),
                     components.end() - 1);
  }
  return Joined(components);
}

std::span<const CommandOption> ExportCommandOptions() { return kExportOptions; }

int RunExport(std::span<const std::string> words) {
  const ScopedProgramLabel label(kLabel);
  ExportRequest request;
  if (!ParseExportLine(words, request)) return RefuseWithUsage(kLabel);
  ExportOptions options;
  if (request.trunk) options.trunk = *request.trunk;
  options.window = request.window;
  // A faulty authors file stops the export before anything is written.
  if (request.authors) {
    std::optional<AuthorsFile> authors = AuthorsFile::Read(*request.authors);
    if (!authors) return kExitFailed;
    options.authors = std::move(*authors);
  }
  tarnEnvironVars env;
  TarnSettings().CopyToStruct(&env);
  const std::optional<std::vector<ExportInput>> inputs = Inputs(request.arguments, env);
  if (!inputs) return kExitFailed;

  std::FILE* out = stdout;
  std::string out_name = "standard output";
  if (request.out) {
    out = std::fopen(request.out->c_str(), "wb");
    out_name = *request.out;
    if (out == nullptr) {
      Report(kAlert, msg::kExportWriteFailed, std::string_view(out_name));
      return kExitFailed;
    }
  } else {
    // The stream has standard output to itself: notes go where errors go.
    options.note_kind = kAlert;
  }
  int result = ExportToGit(*inputs, options, out, out_name);
  if (request.out && std::fclose(out) != 0) {
    Report(kAlert, msg::kExportWriteFailed, std::string_view(out_name));
    result = -1;
  }
  return result == 1 ? kExitSucceeded : kExitFailed;
}

}  // namespace tarn::cli
