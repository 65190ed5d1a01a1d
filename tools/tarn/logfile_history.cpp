// Read through the engine's own readers (the header reader and the record
// scan) under the logfile's lock file, the way a command reads.
#include "tools/tarn/logfile_history.h"

#include <algorithm>
#include <array>

#include "engine/format/attribute_words.h"
#include "engine/format/compression.h"
#include "engine/format/logfile_header_io.h"
#include "engine/format/revision_number.h"
#include "engine/format/supplemental_info.h"
#include "engine/format/user_list.h"
#include "engine/store/logfile_lock.h"
#include "engine/store/disk_names.h"
#include "engine/store/revision_scan.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "tools/tarn/silent_host.h"

namespace tarn::cli {

namespace {

// Lock files are the logfile's name with its first character replaced.
constexpr char kLockFileMark = '$';

std::string LabelRevision(const LabelRecord& label) {
  tarnCommandRevDesc number;
  for (int i = 0; i < label.iRevisionCount && i < kMaxRevisionElements; ++i) {
    const auto& element = label.elements[static_cast<std::size_t>(i)];
    AddRevisionElement(number, element.major, element.minor, i);
  }
  return FormatRevision(number);
}

void TakeHeader(const LogfileHeader& header, LogfileHistory& history) {
  history.workfile = WorkfileName(header.supplementalInfo);
  history.owner = header.owner;
  history.access_list = header.accessList;
  history.users = header.modifierList;
  for (const AttributeWord& attribute : kAttributeWords) {
    if ((header.fixed._iAttributes & attribute.bit) != 0) {
      history.attributes.emplace_back(MessageText(attribute.word->number));
    }
  }
  history.comment_prefix = header.commentPrefix;
  history.default_branch = header.defaultRevision ? FormatRevision(*header.defaultRevision)
                                                  : MessageText(msg::kWordTrunkTip.number);
  history.locks = header.fixed._iLockCount;
  history.revision_count = header.fixed._iRevisionCount;
  history.description = header.description;
  history.last_modifier = LastModifierIndex(header.supplementalInfo);
  history.last_update = static_cast<long>(LastLogfileUpdate(header.supplementalInfo));
  history.last_workfile_size = static_cast<long>(LastWorkfileSize(header.supplementalInfo));
  for (const LabelRecord& label : header.labels) {
    history.labels.push_back(LabelEntry{label.text, LabelRevision(label)});
  }
}

// The sizes of a record's data: as stored, and before compression when it
// is compressed (from the data's compression header).
bool TakeSizes(platform::File& file, const RevisionRecord& record, RevisionEntry& entry) {
  entry.stored = record.header.RevSize;
  entry.size = static_cast<long>(record.header.RevSize);
  entry.compressed = record.header._cCompressed != 0;
  if (!entry.compressed || record.header.RevSize < kCompressHeaderSize) return true;
  std::array<std::uint8_t, kCompressHeaderSize> bytes{};
  if (!file.Seek(record.DataOffset()) || !file.ReadExact(bytes)) return false;
  const std::optional<compressHeader> compression = DecodeCompressHeader(bytes);
  if (compression) entry.size = static_cast<long>(compression->beforeCompressionSize);
  return true;
}

bool TakeRevisions(platform::File& file, std::int64_t first_record, LogfileHistory& history) {
  RevisionScanner scanner(file, first_record);
  RevisionRecord record;
  while (true) {
    switch (scanner.Next(record)) {
      case RevisionScanner::Step::kEnd:
        return static_cast<int>(history.revisions.size()) == history.revision_count;
      case RevisionScanner::Step::kFailed:
        return false;
      case RevisionScanner::Step::kRecord:
        break;
    }
    RevisionEntry entry;
    entry.number = FormatRevision(record.number);
    entry.numbers = ParseRevisionNumbers(entry.number).value_or(RevisionNumbers{});
    entry.creator = UserName(history.users, record.header.CreatorIndex);
    entry.checked_in = static_cast<long>(record.header.FilePutDate);
    entry.edited = static_cast<long>(record.header.FileEditDate);
    if (record.header._iLocked != 0) {
      entry.locked_by = UserName(history.users, record.header.LockerIndex);
    }
    if (ReadRevisionDescription(file, record, entry.description) != 1) return false;
    if (!TakeSizes(file, record, entry)) return false;
    history.revisions.push_back(std::move(entry));
  }
}

}  // namespace

HistoryRead ReadLogfileHistory(const std::string& file, const tEnvVar& settings, bool header_only,
                               LogfileHistory& history) {
  history = LogfileHistory{};
  history.file = file;
  tarnEnvironVars env;
  settings.CopyToStruct(&env);
  const SilentHost silent;
  const std::optional<std::string> path = LogfileNameFromWorkfile(file, env.logfileDirectory);
  if (!path) return HistoryRead::kDamaged;
  history.logfile = platform::FullPathName(*path);
  if (!platform::FileExists(*path)) return HistoryRead::kNoLogfile;

  std::optional<LogfileLock> lock = AcquireLockFile(file, env);
  if (!lock) return HistoryRead::kDamaged;
  std::optional<platform::File> logfile = platform::File::Open(*path, platform::OpenMode::kRead);
  LogfileHeader header;
  bool read = logfile && ReadLogfileHeader(*logfile, header) == 1;
  const std::optional<std::int64_t> first_record = read ? logfile->Tell() : std::nullopt;
  if (read) TakeHeader(header, history);
  if (read && !header_only) read = first_record && TakeRevisions(*logfile, *first_record, history);
  logfile.reset();
  ReleaseLockFile(lock);
  return read ? HistoryRead::kRead : HistoryRead::kDamaged;
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
