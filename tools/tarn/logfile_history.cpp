// Read through the object interface, as every client of the engine reads:
// a logfile object opens the logfile under its lock file and takes the
// header and the revision records apart.
#include "tools/tarn/logfile_history.h"

#include <algorithm>

#include "engine/format/attribute_words.h"
#include "engine/format/user_list.h"
#include "engine/store/disk_names.h"
#include "engine/support/message_catalogue.h"
#include "objects/log_file.h"
#include "platform/file_system.h"
#include "tools/tarn/silent_host.h"

namespace tarn::cli {

namespace {

// Lock files are the logfile's name with its first character replaced.
constexpr char kLockFileMark = '$';

void TakeHeader(tLogFileHeaderInfo& header, LogfileHistory& history) {
  history.workfile = header.WorkfileName();
  history.owner = header.Owner();
  history.access_list = header.AccessList();
  history.users = header.ModifierList();
  for (const AttributeWord& attribute : kAttributeWords) {
    if ((header.LogFileHdr()._iAttributes & attribute.bit) != 0) {
      history.attributes.emplace_back(MessageText(attribute.word->number));
    }
  }
  history.comment_prefix = header.CommentPrefix();
  history.default_branch = header.DefaultRevision();
  history.locks = header.LockCount();
  history.revision_count = header.RevisionCount();
  history.description = header.ModDesc();
  history.last_modifier = header.LastModifierIndex();
  history.last_update = header.LastLogfileUpdate();
  history.last_workfile_size = header.LastWorkfileSize();
  for (const tVersionDesc* label = header.FirstVersion(); label != nullptr;
       label = header.NextVersion()) {
    history.labels.push_back(LabelEntry{label->Version(), label->Revision()});
  }
}

RevisionEntry TakeRevision(const tRevHdrInfo& info, const std::string& users) {
  RevisionEntry entry;
  entry.number = info.Revision().RevisionString();
  entry.numbers = ParseRevisionNumbers(entry.number).value_or(RevisionNumbers{});
  entry.creator = UserName(users, info.CreatorIndex());
  entry.checked_in = info.FilePutDate();
  entry.edited = info.FileEditDate();
  if (info.IsLocked() == ttTRUE) entry.locked_by = UserName(users, info.LockerIndex());
  entry.compressed = info.IsCompressed() == ttTRUE;
  entry.stored = info.AfterCompressionSize();
  entry.size = static_cast<long>(info.BeforeCompressionSize());
  entry.description = info.RevDesc();
  return entry;
}

}  // namespace

HistoryRead ReadLogfileHistory(const std::string& file, const tEnvVar& settings, bool header_only,
                               LogfileHistory& history) {
  history = LogfileHistory{};
  history.file = file;
  const SilentHost silent;
  tLogFile logfile(file.c_str(), &settings);
  history.logfile = logfile.LogfileName()->FullPathName();
  if (!platform::FileExists(logfile.LogfileName()->RelativePathName())) {
    return HistoryRead::kNoLogfile;
  }
  if (logfile.Open() != ttTRUE) return HistoryRead::kDamaged;
  const bool read =
      logfile.ReadHdr() == ttTRUE && (header_only || logfile.CaptureRevisionInfo() == ttTRUE);
  logfile.Close();
  if (!read) return HistoryRead::kDamaged;
  TakeHeader(*logfile.HeaderInfo(), history);
  if (header_only) return HistoryRead::kRead;
  const tRevHdrInfo* revisions = logfile.RevHeaderInfo();
  for (int i = 0; i < logfile.RevisionInfoCount(); ++i) {
    history.revisions.push_back(TakeRevision(revisions[i], history.users));
  }
  return HistoryRead::kRead;
}

std::vector<std::string> FilesUnderControl(const tEnvVar& settings) {
  tarnEnvironVars env;
  settings.CopyToStruct(&env);
  const std::string directory = env.logfileDirectory.empty() ? "." : env.logfileDirectory;
  std::vector<std::string> files;
  for (const std::string& name : platform::FindFiles(directory, "*")) {
    if (name.empty() || name.front() == kLockFileMark) continue;
    files.push_back(WorkfileNameOf(name));
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace tarn::cli
