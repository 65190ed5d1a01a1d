#include "objects/log_file.h"

#include <array>
#include <string_view>

#include "engine/commands/checkin.h"
#include "engine/commands/checkin_command_line.h"
#include "engine/commands/get_command.h"
#include "engine/commands/header_command.h"
#include "engine/commands/label_command.h"
#include "engine/commands/lock_command.h"
#include "engine/format/logfile_header_codec.h"
#include "engine/format/logfile_header_io.h"
#include "engine/store/revision_scan.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/lock_messages.h"
#include "engine/support/report.h"
#include "objects/command_string.h"
#include "objects/object_assert.h"
#include "objects/quiet_host.h"
#include "platform/paths.h"

namespace tarn {

namespace {

// Program labels of the wrappers, cut to the standing label's length while
// they run ("tunlock_w" shows as "tunlock_" beside "TARN 2.3").
constexpr const char* kGetLabel = "tget_w";
constexpr const char* kCheckInLabel = "tput_w";
constexpr const char* kModifyHeaderLabel = "tmh_w";
constexpr const char* kLockLabel = "tlock_w";
constexpr const char* kUnlockLabel = "tunlock_w";
constexpr const char* kLabelLabel = "tstamp_w";
constexpr const char* kUnlabelLabel = "tunstamp_w";

std::string CutToStandingLabel(std::string_view label) {
  return std::string(label.substr(0, std::min(label.size(), ProgramLabel().size())));
}

// A fixed header that a logfile of this format can carry: the right format
// number and a checksum that matches.
bool IsSoundFixedHeader(platform::File& stream) {
  std::array<std::uint8_t, kFixedHeaderSize> bytes{};
  if (!stream.Seek(0) || !stream.ReadExact(bytes)) return false;
  const tLogFileHdr fixed = DecodeFixedHeader(bytes);
  return fixed._iFormat == kLogfileFormat && ComputeChecksum(fixed) == fixed._iChecksum;
}

void ExpandKeywordsAlways(CheckInRecord& record) { record.expandKeywordsAlways = true; }

const tLogfileName& RequiredName(const tLogfileName* name) {
  TARN_OBJECT_ASSERT(name != nullptr);
  return *name;
}

}  // namespace

tLogFile::tLogFile(const tLogfileName* name)
    : _pCtLogfileName(RequiredName(name)),
      _pCtEnvVar(*_pCtLogfileName.EnvVar()),
      _pCLogFileInfo(&_pCtLogfileName) {}

tLogFile::tLogFile(const char* fileName, const tEnvVar* settings)
    : _pCtLogfileName(fileName, settings),
      _pCtEnvVar(*_pCtLogfileName.EnvVar()),
      _pCLogFileInfo(&_pCtLogfileName) {}

tLogFile::~tLogFile() {
  if (_IsValid == ttTRUE) Close();
}

ttBool tLogFile::Open() {
  if (_IsValid == ttTRUE) return ttFALSE;
  const std::string path = _pCtLogfileName.RelativePathName();
  // A path the engine would refuse names no logfile of ours; anything but a
  // plain file (a FIFO, a device) would block or mislead the reader, and a
  // link at the logfile's name is refused as the commands refuse it.
  if (path.size() > platform::kMaxPathLength) return ttFALSE;
  _pCLogFileStream =
      platform::File::OpenRegular(path, platform::OpenMode::kRead, platform::LinkRule::kRefuse);
  if (!_pCLogFileStream) return ttFALSE;
  if (ValidateLogfile() != ttTRUE) {
    _pCLogFileStream.reset();
    return ttFALSE;
  }
  return ttTRUE;
}

void tLogFile::Close() {
  TARN_OBJECT_ASSERT(_IsValid == ttTRUE);
  _pCLogFileStream.reset();
  _IsValid = ttFALSE;
}

ttBool tLogFile::ValidateLogfile() {
  TARN_OBJECT_ASSERT(_pCLogFileStream);
  const QuietHost quiet;
  LogfileHeader scratch;
  if (!IsSoundFixedHeader(*_pCLogFileStream) ||
      ReadLogfileHeader(*_pCLogFileStream, scratch) != 1) {
    return ttFALSE;
  }
  // Every revision record the header counts must at least have its 32
  // bytes: a logfile cut short behind its header is not whole.
  const std::optional<std::int64_t> at = _pCLogFileStream->Tell();
  const std::optional<std::int64_t> size = _pCLogFileStream->Size();
  if (!at || !size ||
      *size - *at < static_cast<std::int64_t>(scratch.fixed._iRevisionCount) *
                        static_cast<std::int64_t>(kRevisionHeaderSize)) {
    return ttFALSE;
  }
  if (!_pCLogFileStream->Seek(0)) return ttFALSE;
  _IsValid = ttTRUE;
  return ttTRUE;
}

ttBool tLogFile::ReadHdr() {
  if (_IsValid != ttTRUE) return ttFALSE;
  const QuietHost quiet;
  LogfileHeader header;
  if (ReadLogfileHeader(*_pCLogFileStream, header) != 1) return ttFALSE;
  const std::optional<std::int64_t> start = _pCLogFileStream->Tell();
  if (!start) return ttFALSE;
  _pCLogFileInfo.HeaderInfo()->Assign(header);
  _tStartOfRevisions = *start;
  return ttTRUE;
}

tLogFileHeaderInfo* tLogFile::HeaderInfo() { return _pCLogFileInfo.HeaderInfo(); }

ttBool tLogFile::CaptureRevisionInfo() {
  TARN_OBJECT_ASSERT(_IsValid == ttTRUE);
  TARN_OBJECT_ASSERT(_tStartOfRevisions != -1L);
  _pCRevHdrInfo.clear();
  _bRevisionsCaptured = false;
  const QuietHost quiet;
  const int count = HeaderInfo()->RevisionCount();
  std::vector<tRevHdrInfo> revisions;
  revisions.reserve(static_cast<std::size_t>(std::max(count, 0)));
  RevisionScanner scanner(*_pCLogFileStream, _tStartOfRevisions);
  RevisionRecord record;
  std::string description;
  for (int i = 0; i < count; ++i) {
    if (scanner.Next(record) != RevisionScanner::Step::kRecord) return ttFALSE;
    if (ReadRevisionDescription(*_pCLogFileStream, record, description) != 1) return ttFALSE;
    std::optional<compressHeader> compression;
    if (record.header.RevSize != 0 && record.header._cCompressed != 0) {
      std::array<std::uint8_t, kCompressHeaderSize> bytes{};
      if (record.header.RevSize < kCompressHeaderSize ||
          !_pCLogFileStream->Seek(record.DataOffset()) || !_pCLogFileStream->ReadExact(bytes)) {
        return ttFALSE;
      }
      compression = DecodeCompressHeader(bytes);
    }
    revisions.emplace_back(record.header, record.number, std::move(description), compression);
    description.clear();
  }
  _pCRevHdrInfo = std::move(revisions);
  _bRevisionsCaptured = true;
  return ttTRUE;
}

tRevHdrInfo* tLogFile::RevHeaderInfo() {
  return _bRevisionsCaptured ? _pCRevHdrInfo.data() : nullptr;
}

int tLogFile::RevisionInfoCount() const { return static_cast<int>(_pCRevHdrInfo.size()); }

void tLogFile::_ParseCmdLine(const char* fileName, const char* commandText) {
  _argv = SplitCommandString(commandText != nullptr ? commandText : "",
                             fileName != nullptr ? fileName : "");
  _argc = static_cast<int>(_argv.size());
  // The engine's argument vectors hold fewer than 50 entries; a longer
  // string is refused like any other bad command line, never cut.
  if (_argv.size() > kMaxCommandArguments) throw tLogFileError(tLogFileError::kBadCommandLine);
}

template <class Args>
ttBool tLogFile::RunCommand(const char* label, const char* fileName, const char* commandText,
                            int (*parse)(CommandArguments, Args&),
                            int (*run)(const Args&, tarnEnvironVars&), void (*adjust)(Args&)) {
  const ScopedProgramLabel scopedLabel(CutToStandingLabel(label));
  _ParseCmdLine(fileName, commandText);
  Args args{};
  if (parse(_argv, args) != 1) throw tLogFileError(tLogFileError::kBadCommandLine);
  if (adjust != nullptr) adjust(args);
  tarnEnvironVars env;
  _pCtEnvVar.CopyToStruct(&env);
  return run(args, env) == 1 ? ttTRUE : ttFALSE;
}

ttBool tLogFile::Get(const char* fileName, const char* commandText) {
  return RunCommand<GetCommandArgs>(kGetLabel, fileName, commandText, ParseGetCommandLine,
                                    RunGetCommand);
}

ttBool tLogFile::CheckIn(const char* fileName, const char* commandText) {
  // A check-in from the object interface always brings the workfile's
  // keywords up to date when the logfile expands them, also where a
  // workfile option alone would not.
  return RunCommand<CheckInRecord>(kCheckInLabel, fileName, commandText, ParseCheckInCommandLine,
                                   RunCheckIn, ExpandKeywordsAlways);
}

ttBool tLogFile::ModifyHdrInfo(const char* fileName, const char* commandText) {
  return RunCommand<HeaderCommandArgs>(kModifyHeaderLabel, fileName, commandText,
                                       ParseHeaderCommandLine, ModifyHeader);
}

ttBool tLogFile::Lock(const char* fileName, const char* commandText) {
  return RunCommand<LockCommandArgs>(kLockLabel, fileName, commandText, ParseLockCommandLine,
                                     LockRevision);
}

ttBool tLogFile::UnLock(const char* fileName, const char* commandText) {
  return RunCommand<LockCommandArgs>(kUnlockLabel, fileName, commandText, ParseUnlockCommandLine,
                                     UnlockRevision);
}

ttBool tLogFile::BreakLock(const char* fileName) {
  const std::string commandText = "-" + std::string(MessageText(msg::kOptionBreak.number));
  return UnLock(fileName, commandText.c_str());
}

ttBool tLogFile::Label(const char* fileName, const char* commandText) {
  return RunCommand<LabelCommandArgs>(kLabelLabel, fileName, commandText, ParseLabelCommandLine,
                                      LabelRevision);
}

ttBool tLogFile::UnLabel(const char* fileName, const char* commandText) {
  return RunCommand<UnlabelCommandArgs>(kUnlabelLabel, fileName, commandText,
                                        ParseUnlabelCommandLine, RemoveLabel);
}

}  // namespace tarn
