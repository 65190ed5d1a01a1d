#include "objects/env_var.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "engine/format/logfile_header.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "platform/environment_variables.h"
#include "platform/paths.h"

namespace tarn {

namespace {

constexpr std::string_view kDefaultLogfileDirectory = "TARN";
constexpr std::string_view kCurrentDirectory = "./";
constexpr std::int16_t kDefaultRetryCount = 4;
constexpr std::uint8_t kAutoMergeBit = 0x01;

// The prefixes keep their trailing blanks: they start the lines of the Log
// keyword's history.
constexpr std::string_view kDefaultCommentPrefixes =
    ".C: *  ~.CPP: *  ~.H: *  ~.ASM:;  ~.A:;  ~.BAS:REM ~.FOR:C  ~.PAS: * ~:#  ~";

// The variables' names are catalogue texts, so an installation can rename
// them without a rebuild. A variable set to "" counts as not set: "TARNPATH="
// must leave the project's value in force, not fall back to a default.
std::optional<std::string> Variable(const MessageId& name) {
  const std::string_view text = MessageText(name.number);
  if (text.empty()) return std::nullopt;
  std::optional<std::string> value = platform::GetEnvironmentVariable(text);
  if (value && value->empty()) return std::nullopt;
  return value;
}

std::string VariableOr(const MessageId& name, std::string_view fallback) {
  std::optional<std::string> value = Variable(name);
  return value ? std::move(*value) : std::string(fallback);
}

// A directory variable set to "" counts as not set: with the separator
// appended it would name the root directory.
std::optional<std::string> DirectoryVariable(const MessageId& name) {
  std::optional<std::string> value = Variable(name);
  if (value && value->empty()) return std::nullopt;
  return value;
}

std::string WithSeparator(std::string path) {
  if (path.empty() || path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
  return path;
}

// A retry count is a decimal number (blanks around it allowed); anything else,
// or a number beyond 16 bits, gives the default.
std::int16_t RetryCountFrom(const std::optional<std::string>& value) {
  if (!value) return kDefaultRetryCount;
  std::string_view text = *value;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::int16_t count = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return kDefaultRetryCount;
  }
  return count;
}

// On by default: any value but the catalogue's "yes" turns it off.
bool OnUnlessSetOtherwise(const MessageId& name) {
  const std::optional<std::string> value = Variable(name);
  return !value || EqualsWord(*value, msg::kWordYes.number);
}

// Off by default: only the catalogue's "yes" turns it on.
bool OffUnlessYes(const MessageId& name) {
  const std::optional<std::string> value = Variable(name);
  return value && EqualsWord(*value, msg::kWordYes.number);
}

std::uint8_t Bit(bool on, std::uint16_t bit) { return on ? static_cast<std::uint8_t>(bit) : 0; }

void ReplaceUnlessEmpty(std::string& member, const char* text) {
  if (text != nullptr && *text != '\0') member = text;
}

}  // namespace

tEnvVar::tEnvVar() {
  _pcShadowPath = kCurrentDirectory;
  _pcCommentPrefix = VariableOr(msg::kEnvCommentPrefix, kDefaultCommentPrefixes);
  _pcWorkfilePath = kCurrentDirectory;
  _cAttributes = static_cast<std::uint8_t>(
      Bit(OffUnlessYes(msg::kEnvBinaryFile), kAttrBinaryFile) |
      Bit(OnUnlessSetOtherwise(msg::kEnvCheckLock), kAttrCheckLock) |
      Bit(OffUnlessYes(msg::kEnvDeleteWork), kAttrDeleteWork) |
      Bit(OffUnlessYes(msg::kEnvExpandKeywords), kAttrExpandKeywords) |
      Bit(OnUnlessSetOtherwise(msg::kEnvCompression), kAttrCompression) |
      Bit(OnUnlessSetOtherwise(msg::kEnvJournalFile), kAttrJournalFile) |
      Bit(OnUnlessSetOtherwise(msg::kEnvProtectLogFile), kAttrProtectLogFile) |
      Bit(OnUnlessSetOtherwise(msg::kEnvProtectWorkFile), kAttrProtectWorkFile));
  _cFurtherBits = Bit(OffUnlessYes(msg::kEnvAutoMerge), kAutoMergeBit);
  _iRetryCount = RetryCountFrom(Variable(msg::kEnvRetryCount));
  _pcOwnerID = VariableOr(msg::kEnvUserName, MessageText(msg::kWordNone.number));
  _pcAccessList = VariableOr(msg::kEnvAccessList, MessageText(msg::kWordNone.number));
  _pcGblJournalName = Variable(msg::kEnvGlobalJournal);
  _pcJournalName = VariableOr(msg::kEnvJournalName, MessageText(msg::kDefaultJournalName.number));
  _pcJournalPath = VariableOr(msg::kEnvJournalPath, kCurrentDirectory);
  std::optional<std::string> temp = DirectoryVariable(msg::kEnvTempDirectory);
  _pcTempFilePrefix = WithSeparator(temp ? std::move(*temp) : platform::TemporaryDirectory());
  _pcTARNPath = WithSeparator(
      DirectoryVariable(msg::kEnvLogfileDirectory).value_or(std::string(kDefaultLogfileDirectory)));
}

tEnvVar::tEnvVar(const tEnvVar& other) = default;

tEnvVar& tEnvVar::operator=(const tEnvVar& other) = default;

tEnvVar::~tEnvVar() = default;

const char* tEnvVar::TARNPath() const { return _pcTARNPath.c_str(); }
void tEnvVar::TARNPath(const char* path) { ReplaceUnlessEmpty(_pcTARNPath, path); }

const char* tEnvVar::WorkfilePath() const { return _pcWorkfilePath.c_str(); }
void tEnvVar::WorkfilePath(const char* path) {
  if (path == nullptr || *path == '\0') return;
  // Held at any length: a path cut to fit a buffer would name another
  // directory. An empty result (the current directory was removed) keeps the
  // old value rather than turning into "/".
  const std::string full = platform::FullPathName(path);
  if (!full.empty()) _pcWorkfilePath = WithSeparator(full);
}

const char* tEnvVar::UserName() const { return _pcOwnerID.c_str(); }
void tEnvVar::UserName(const char* name) { ReplaceUnlessEmpty(_pcOwnerID, name); }

const char* tEnvVar::AccessList() const { return _pcAccessList.c_str(); }
void tEnvVar::AccessList(const char* list) { ReplaceUnlessEmpty(_pcAccessList, list); }

const char* tEnvVar::CommentPrefix() const { return _pcCommentPrefix.c_str(); }
void tEnvVar::CommentPrefix(const char* table) { ReplaceUnlessEmpty(_pcCommentPrefix, table); }

const char* tEnvVar::GblJournalName() const {
  return _pcGblJournalName ? _pcGblJournalName->c_str() : nullptr;
}
void tEnvVar::GblJournalName(const char* name) {
  if (name == nullptr) {
    _pcGblJournalName.reset();
  } else {
    _pcGblJournalName = name;
  }
}

const char* tEnvVar::JournalName() const { return _pcJournalName.c_str(); }
void tEnvVar::JournalName(const char* name) { ReplaceUnlessEmpty(_pcJournalName, name); }

const char* tEnvVar::JournalPath() const { return _pcJournalPath.c_str(); }
void tEnvVar::JournalPath(const char* path) { ReplaceUnlessEmpty(_pcJournalPath, path); }

const char* tEnvVar::TempFilePrefix() const { return _pcTempFilePrefix.c_str(); }
void tEnvVar::TempFilePrefix(const char* path) { ReplaceUnlessEmpty(_pcTempFilePrefix, path); }

const char* tEnvVar::ShadowPath() const { return _pcShadowPath.c_str(); }
void tEnvVar::ShadowPath(const char* path) { ReplaceUnlessEmpty(_pcShadowPath, path); }

ttBool tEnvVar::AttributeBit(std::uint8_t bit) const {
  return (_cAttributes & bit) != 0 ? ttTRUE : ttFALSE;
}
void tEnvVar::AttributeBit(std::uint8_t bit, ttBool on) {
  _cAttributes = static_cast<std::uint8_t>(on == ttTRUE ? _cAttributes | bit : _cAttributes & ~bit);
}

ttBool tEnvVar::IsCheckLock() const { return AttributeBit(kAttrCheckLock); }
void tEnvVar::IsCheckLock(ttBool on) { AttributeBit(kAttrCheckLock, on); }
ttBool tEnvVar::IsDeleteWork() const { return AttributeBit(kAttrDeleteWork); }
void tEnvVar::IsDeleteWork(ttBool on) { AttributeBit(kAttrDeleteWork, on); }
ttBool tEnvVar::IsExpandKeywords() const { return AttributeBit(kAttrExpandKeywords); }
void tEnvVar::IsExpandKeywords(ttBool on) { AttributeBit(kAttrExpandKeywords, on); }
ttBool tEnvVar::IsProtectLogFile() const { return AttributeBit(kAttrProtectLogFile); }
void tEnvVar::IsProtectLogFile(ttBool on) { AttributeBit(kAttrProtectLogFile, on); }
ttBool tEnvVar::IsProtectWorkfile() const { return AttributeBit(kAttrProtectWorkFile); }
void tEnvVar::IsProtectWorkfile(ttBool on) { AttributeBit(kAttrProtectWorkFile, on); }
ttBool tEnvVar::IsBinaryFile() const { return AttributeBit(kAttrBinaryFile); }
void tEnvVar::IsBinaryFile(ttBool on) { AttributeBit(kAttrBinaryFile, on); }
ttBool tEnvVar::IsJournalFile() const { return AttributeBit(kAttrJournalFile); }
void tEnvVar::IsJournalFile(ttBool on) { AttributeBit(kAttrJournalFile, on); }
ttBool tEnvVar::IsCompression() const { return AttributeBit(kAttrCompression); }
void tEnvVar::IsCompression(ttBool on) { AttributeBit(kAttrCompression, on); }

ttBool tEnvVar::IsAutoMerge() const {
  return (_cFurtherBits & kAutoMergeBit) != 0 ? ttTRUE : ttFALSE;
}
void tEnvVar::IsAutoMerge(ttBool on) {
  _cFurtherBits = static_cast<std::uint8_t>(on == ttTRUE ? _cFurtherBits | kAutoMergeBit
                                                         : _cFurtherBits & ~kAutoMergeBit);
}

int tEnvVar::LockfileRetryCount() const { return _iRetryCount; }
tEnvVar& tEnvVar::LockfileRetryCount(short count) {
  _iRetryCount = count;
  return *this;
}
int tEnvVar::JournalRetryCount() const { return _iRetryCount; }
void tEnvVar::JournalRetryCount(int count) {
  // The count is stored in 16 bits; a larger one means "many", not a wrapped
  // negative that would make no attempt at all.
  _iRetryCount = static_cast<std::int16_t>(std::clamp(count, -32768, 32767));
}

void tEnvVar::CopyToStruct(tarnEnvironVars* record) const {
  if (record == nullptr) return;
  *record = tarnEnvironVars{};
  record->attributes = static_cast<std::uint16_t>(_cAttributes | (_cFurtherBits << 8));
  record->retryCount = _iRetryCount;
  record->accessList = _pcAccessList;
  record->globalJournalName = _pcGblJournalName;
  record->journalName = _pcJournalName;
  record->journalPath = _pcJournalPath;
  record->commentPrefix = _pcCommentPrefix;
  record->userName = _pcOwnerID;
  record->tempDirectory = _pcTempFilePrefix;
  record->logfileDirectory = _pcTARNPath;
  // The root directory keeps its separator: without it the engine would take
  // the empty name for the current directory.
  if (record->logfileDirectory.size() > 1 &&
      record->logfileDirectory.back() == platform::kPathSeparator) {
    record->logfileDirectory.pop_back();
  }
}

}  // namespace tarn
