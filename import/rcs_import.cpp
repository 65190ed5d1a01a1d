#include "import/rcs_import.h"

#include <algorithm>

#include "engine/format/logfile_header.h"
#include "engine/store/logfile_lock.h"
#include "engine/store/disk_names.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "engine/support/whole_file.h"
#include "import/imported_header.h"
#include "import/logfile_build.h"
#include "import/removed_file.h"
#include "import/rcs_file.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn::rcs {

namespace {

constexpr std::string_view kRcsSuffix = ",v";
constexpr std::string_view kRcsDirectory = "RCS";
constexpr std::string_view kAtticDirectory = "Attic";

bool HasRcsSuffix(std::string_view name) {
  return name.size() > kRcsSuffix.size() && name.ends_with(kRcsSuffix);
}

void CollectRcsFiles(const std::string& directory, std::vector<std::string>& files) {
  const std::string prefix = platform::WithTrailingSeparator(directory);
  for (const std::string& name : platform::FindFiles(directory, "*,v")) {
    if (HasRcsSuffix(name) && platform::IsRegularFile(prefix + name))
      files.push_back(prefix + name);
  }
  for (const std::string& name : platform::FindSubdirectories(directory)) {
    CollectRcsFiles(prefix + name, files);
  }
}

// The ,v file's text; nothing after the engine's report of why not.
std::optional<std::string> ReadRcsText(const std::string& path) {
  ByteBuffer bytes;
  if (ReadWholeFileOrReport(path, bytes) != 1) return std::nullopt;
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

std::optional<std::vector<std::string>> RcsFilesNamedBy(const std::string& argument) {
  switch (platform::KindOf(argument)) {
    case platform::EntryKind::kRegular:
      if (HasRcsSuffix(argument)) return std::vector<std::string>{argument};
      break;
    case platform::EntryKind::kDirectory: {
      std::vector<std::string> files;
      CollectRcsFiles(argument, files);
      if (files.empty()) {
        Report(kAlert, msg::kImportNoRcsFiles, std::string_view(argument));
        return std::nullopt;
      }
      std::sort(files.begin(), files.end());
      return files;
    }
    default:
      break;
  }
  Report(kAlert, msg::kImportNotRcsFile, std::string_view(argument));
  return std::nullopt;
}

std::string WorkfileOfRcsFile(std::string_view path) {
  std::string directory = platform::DirectoryPart(path);
  std::string name = platform::FinalComponent(path);
  if (HasRcsSuffix(name)) name.resize(name.size() - kRcsSuffix.size());
  std::string trimmed = directory;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  // A file removed in CVS lies in Attic/; it is kept beside its siblings.
  if (platform::FinalComponent(trimmed) == kAtticDirectory) {
    directory = platform::DirectoryPart(trimmed);
    trimmed = directory;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  }
  if (platform::FinalComponent(trimmed) == kRcsDirectory) {
    directory = platform::DirectoryPart(trimmed);
  }
  if (directory.empty()) return name;
  return platform::WithTrailingSeparator(directory) + name;
}

std::optional<History> ReadHistory(const std::string& path) {
  std::optional<std::string> text = ReadRcsText(path);
  if (!text) return std::nullopt;
  std::optional<RcsFile> file = ReadRcsFile(*text, path);
  text.reset();
  if (!file) return std::nullopt;
  std::optional<History> history = BuildHistory(std::move(*file), path);
  if (history) SetAsideRemoval(*history);
  return history;
}

int ImportRcsFile(const std::string& path, const tarnEnvironVars& settings,
                  const ImportChoices& choices) {
  std::optional<History> history = ReadHistory(path);
  if (!history) return -1;
  ImportTarget target;
  target.name = path;
  target.workfile = WorkfileOfRcsFile(path);
  std::optional<std::string> logfile =
      LogfileNameFromWorkfile(target.workfile, settings.logfileDirectory);
  if (!logfile) return -1;
  target.logfile = *logfile;

  const tarnEnvironVars& env = settings;
  std::optional<LogfileLock> lock = AcquireLockFile(target.workfile, env);
  if (!lock) return -1;
  // Whatever takes the name stays, a dangling symbolic link too: the new
  // logfile would replace the link, or a write would follow it elsewhere.
  if (platform::KindOf(target.logfile) == platform::EntryKind::kMissing &&
      platform::FileExists(target.logfile)) {
    Report(kAlert, msg::kLogfileIsLink, target.logfile);
    return -1;
  }
  if (platform::FileExists(target.logfile)) {
    Report(kAlert, msg::kImportLogfileExists, std::string_view(path),
           std::string_view(target.logfile));
    return -1;
  }
  LogfileHeader header;
  // The new logfile's attributes are the settings' (ProtectLogFile
  // included); its replacement is made with the mode they ask.
  if (BuildImportedHeader(*history, target.workfile, path, settings, choices, header) != 1) {
    return -1;
  }
  if (WriteImportedLogfile(*history, std::move(header), target, env) != 1) return -1;
  if (!ReleaseLockFile(lock)) return -1;
  Report(kStatus, msg::kImportDone, std::string_view(path),
         static_cast<int>(history->revisions.size()));
  return 1;
}

}  // namespace tarn::rcs
