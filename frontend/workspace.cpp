#include "frontend/workspace.h"

#include <QDir>
#include <QFileInfo>
#include <array>

#include "engine/commands/checkin.h"
#include "engine/commands/checkin_command_line.h"
#include "engine/commands/get_command.h"
#include "engine/commands/label_command.h"
#include "engine/commands/lock_command.h"
#include "engine/format/compression.h"
#include "engine/format/logfile_header_io.h"
#include "engine/format/revision_number.h"
#include "engine/format/supplemental_info.h"
#include "engine/revisions/labels.h"
#include "engine/store/logfile_names.h"
#include "engine/store/revision_scan.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/report.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace tarn::dorn {
namespace {

// Reading for display is silent: a logfile that cannot be read is simply
// left out (or leaves the tabs empty), never a message box per file.
class SilentHost : public Host {
 public:
  void ReportMessage(std::string_view, int) override {}
  std::string AskQuestion() override { return MessageText(msg::kWordNo.number); }
};

class ScopedSilence {
 public:
  ScopedSilence() : previous_(SetHost(&silent_)) {}
  ~ScopedSilence() { SetHost(previous_); }
  ScopedSilence(const ScopedSilence&) = delete;
  ScopedSilence& operator=(const ScopedSilence&) = delete;

 private:
  SilentHost silent_;
  Host* previous_;
};

struct OpenedLogfile {
  platform::File stream;
  LogfileHeader header;
};

std::optional<OpenedLogfile> ReadHeader(const std::string& path) {
  std::optional<platform::File> stream = platform::File::Open(path, platform::OpenMode::kRead);
  if (!stream) return std::nullopt;
  OpenedLogfile opened{std::move(*stream), {}};
  if (ReadLogfileHeader(opened.stream, opened.header) != 1) return std::nullopt;
  return opened;
}

std::string RevisionNumberText(std::int16_t major, std::int16_t minor) {
  return std::to_string(major) + "." + std::to_string(minor);
}

// Splits a command string as the object interface does: tokens end at a
// blank; a token that starts with a double quote runs to the next double
// quote after a workfile option, to the last one of the line otherwise.
std::vector<std::string> SplitCommand(const std::string& text, const std::string& fileName) {
  std::vector<std::string> tokens;
  std::size_t at = 0;
  auto skipBlanks = [&] {
    while (at < text.size() && std::string_view(" \t\n\v\f\r").find(text[at]) != std::string_view::npos) ++at;
  };
  skipBlanks();
  while (at < text.size()) {
    std::size_t end;
    if (text[at] == '"') {
      ++at;
      const bool afterWorkfile =
          !tokens.empty() && (EqualsWord(std::string_view(tokens.back()).substr(1), 44) ||
                              EqualsWord(std::string_view(tokens.back()).substr(1), 58)) &&
          tokens.back().starts_with('-');
      end = afterWorkfile ? text.find('"', at) : text.rfind('"');
      if (end != std::string::npos && end < at) end = std::string::npos;
    } else {
      end = text.find(' ', at);
    }
    if (end == std::string::npos) {
      tokens.push_back(text.substr(at));
      break;
    }
    tokens.push_back(text.substr(at, end - at));
    at = end + 1;
    skipBlanks();
  }
  tokens.push_back(fileName);
  return tokens;
}

template <class Args>
int ParseAndRun(const std::vector<std::string>& argv, int (*parse)(CommandArguments, Args&),
                int (*run)(const Args&, tarnEnvironVars&), tarnEnvironVars& env) {
  Args args{};
  if (parse(argv, args) != 1) return -1;
  return run(args, env);
}

int RunCheckInOnce(const std::vector<std::string>& argv, tarnEnvironVars& env) {
  CheckInRecord record;
  if (ParseCheckInCommandLine(argv, record) != 1) return -1;
  record.expandKeywordsAlways = true;
  return RunCheckIn(record, env);
}

}  // namespace

Workspace::Workspace(const tEnvVar& settings) : settings_(settings) {}

bool Workspace::Enter(const std::string& directory) {
  if (!QDir::setCurrent(QString::fromStdString(directory))) return false;
  directory_ = platform::WithTrailingSeparator(platform::CurrentDirectory());
  projectName_ = MessageText(msg::kIniDefaultProject.number);
  systemProject_ = true;
  settings_.WorkfilePath(directory_.c_str());
  return true;
}

std::string Workspace::WorkfilePath() const { return settings_.WorkfilePath(); }

std::string Workspace::WorkfileFullName(const std::string& name) const {
  return WorkfilePath() + name;
}

std::string Workspace::LogfilePath(const std::string& name) const {
  const std::string relative =
      LogfileNameFromWorkfile(name, settings_.TARNPath()).value_or(LogfileNameOf(name));
  return platform::FullPathName(relative);
}

std::string Workspace::LogfileDirectory(const std::string& name) const {
  return platform::DirectoryPart(LogfilePath(name));
}

std::string ListedWorkfileName(const std::string& scanned) {
  // A logfile of a name without extension ends in ".___", which converts
  // back to the name with a trailing dot. Where trailing dots are part of a
  // file name, that names another file; both spellings share the logfile,
  // so the list shows the one that names the workfile.
  if (scanned.size() > 1 && scanned.back() == '.') {
    const std::string plain = scanned.substr(0, scanned.size() - 1);
    const std::string last = plain.substr(plain.find_last_of('/') + 1);
    if (last.find('.') == std::string::npos && LogfileNameOf(plain) == LogfileNameOf(scanned)) {
      return plain;
    }
  }
  return scanned;
}

void Workspace::ScanLogfiles(const std::function<void(ProjectFile)>& each) const {
  const std::string directory = LogfileDirectory("x");
  for (const std::string& logfile : platform::FindFiles(directory, LogfileNameOf("*.*"))) {
    if (logfile.starts_with('$')) continue;
    const std::string name = ListedWorkfileName(WorkfileNameOf(logfile));
    if (std::optional<ProjectFile> file = ReadFile(name)) each(std::move(*file));
  }
}

std::vector<std::string> Workspace::Workfiles() const {
  std::vector<std::string> names;
  for (std::string& name : platform::FindFiles(WorkfilePath(), "*")) {
    if (name.find_first_of("$!") == std::string::npos) names.push_back(std::move(name));
  }
  return names;
}

std::optional<ProjectFile> Workspace::ReadFile(const std::string& name) const {
  const ScopedSilence silence;
  ProjectFile file;
  file.name = name;
  file.logfilePath = LogfilePath(name);
  std::optional<OpenedLogfile> opened = ReadHeader(file.logfilePath);
  if (!opened) return std::nullopt;
  const LogfileHeader& header = opened->header;
  file.lockCount = header.fixed._iLockCount;
  file.modifierList = header.modifierList;
  file.lastModifierIndex = LastModifierIndex(header.supplementalInfo);
  file.lastUpdate = LastLogfileUpdate(header.supplementalInfo);
  file.workfileIn = WorkfileName(header.supplementalInfo);
  file.lastWorkfileSize = LastWorkfileSize(header.supplementalInfo);
  const std::string workfile = WorkfileFullName(name);
  const std::optional<std::int64_t> modified = platform::ModificationTime(workfile);
  file.workfileExists = modified.has_value() && platform::FileExists(workfile);
  file.workfileModified = modified.value_or(0);
  return file;
}

std::optional<LogfileDetails> Workspace::ReadDetails(const std::string& name) const {
  const ScopedSilence silence;
  std::optional<OpenedLogfile> opened = ReadHeader(LogfilePath(name));
  if (!opened) return std::nullopt;
  const LogfileHeader& header = opened->header;
  LogfileDetails details;
  details.owner = header.owner;
  details.newestTrunk = RevisionNumberText(header.fixed._iMajorNumber, header.fixed._iMinorNumber);
  details.lockCount = header.fixed._iLockCount;
  details.commentPrefix = header.commentPrefix;
  details.defaultBranch = header.defaultRevision ? FormatRevision(*header.defaultRevision)
                                                 : MessageText(msg::kWordTrunkTip.number);
  details.revisionCount = header.fixed._iRevisionCount;
  details.accessList = header.accessList;
  details.description = header.description;
  details.attributes = header.fixed._iAttributes;
  for (const LabelRecord& label : header.labels) {
    details.labels.push_back({FormatLabel(label), label.text});
  }
  const std::optional<std::int64_t> start = opened->stream.Tell();
  if (!start) return std::nullopt;
  RevisionScanner scanner(opened->stream, *start);
  RevisionRecord record;
  for (;;) {
    const RevisionScanner::Step step = scanner.Next(record);
    if (step == RevisionScanner::Step::kEnd) break;
    if (step == RevisionScanner::Step::kFailed) return std::nullopt;
    RevisionDetails revision;
    revision.number = FormatRevision(record.number);
    revision.creator = ListField(header.modifierList, record.header.CreatorIndex);
    if (record.header._iLocked != 0) {
      revision.locker = ListField(header.modifierList, record.header.LockerIndex);
    }
    revision.editTime = record.header.FileEditDate;
    revision.checkinTime = record.header.FilePutDate;
    revision.sizeBefore = revision.sizeAfter = record.header.RevSize;
    if (record.header._cCompressed != 0 && record.header.RevSize >= kCompressHeaderSize) {
      std::array<std::uint8_t, kCompressHeaderSize> bytes{};
      if (opened->stream.Seek(record.DataOffset()) && opened->stream.ReadExact(bytes)) {
        if (std::optional<compressHeader> compressed = DecodeCompressHeader(bytes)) {
          revision.compressed = true;
          revision.sizeBefore = compressed->beforeCompressionSize;
          revision.sizeAfter = compressed->afterCompressionSize;
        }
      }
    }
    if (ReadRevisionDescription(opened->stream, record, revision.description) != 1) {
      return std::nullopt;
    }
    details.revisions.push_back(std::move(revision));
  }
  return details;
}

bool Workspace::Run(Operation operation, const std::string& name, const std::string& command) {
  static constexpr std::array<const char*, 6> kLabels{"tget_w", "tput_w", "tlock_w",
                                                       "tunlock_", "tstamp_w", "tunstamp"};
  const ScopedProgramLabel label(kLabels[static_cast<std::size_t>(operation)]);
  const std::vector<std::string> argv = SplitCommand(command, name);
  tarnEnvironVars env;
  settings_.CopyToStruct(&env);
  int result = -1;
  switch (operation) {
    case Operation::kGet:
      result = ParseAndRun<GetCommandArgs>(argv, ParseGetCommandLine, RunGetCommand, env);
      break;
    case Operation::kCheckIn:
      result = RunCheckInOnce(argv, env);
      break;
    case Operation::kLock:
      result = ParseAndRun<LockCommandArgs>(argv, ParseLockCommandLine, LockRevision, env);
      break;
    case Operation::kUnlock:
      result = ParseAndRun<LockCommandArgs>(argv, ParseUnlockCommandLine, UnlockRevision, env);
      break;
    case Operation::kLabel:
      result = ParseAndRun<LabelCommandArgs>(argv, ParseLabelCommandLine, LabelRevision, env);
      break;
    case Operation::kUnlabel:
      result = ParseAndRun<UnlabelCommandArgs>(argv, ParseUnlabelCommandLine, RemoveLabel, env);
      break;
  }
  return result == 1 || result == 2;
}

std::vector<ProjectEntry> Workspace::Projects(bool) const { return {}; }

bool Workspace::DeleteLogfile(const std::string& name) {
  const std::string path = LogfilePath(name);
  platform::SetReadOnly(path, false);
  return platform::DeleteFile(path) || !platform::FileExists(path);
}

}  // namespace tarn::dorn
