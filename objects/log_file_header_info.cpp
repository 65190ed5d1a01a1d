#include "objects/log_file_header_info.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/format/logfile_header_io.h"
#include "engine/format/supplemental_info.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "objects/object_assert.h"

namespace tarn {

namespace {

// "%d~%lu~%lu" with 64-bit numbers at their longest.
constexpr std::size_t kMaxStatisticsLength = 64;

tLogFileHdr ZeroedRecord() {
  tLogFileHdr record;
  record._iFormat = 0;
  record._iMajorNumber = 0;
  record._iMinorNumber = 0;
  return record;
}

// The size field of a header text counts its terminating NUL; a text too
// long for the field is cut where the field's range ends, as the writer
// would refuse it whole.
std::int16_t SizeFieldFor(std::size_t length) {
  return static_cast<std::int16_t>(std::min<std::size_t>(length + 1, INT16_MAX));
}

}  // namespace

tLogFileHeaderInfo::tLogFileHeaderInfo() : _CLogFileHdr(ZeroedRecord()) {}

tLogFileHeaderInfo::tLogFileHeaderInfo(const tLogFileHeaderInfo& other) = default;

tLogFileHeaderInfo& tLogFileHeaderInfo::operator=(const tLogFileHeaderInfo& other) = default;

tLogFileHeaderInfo::~tLogFileHeaderInfo() = default;

ttBool tLogFileHeaderInfo::ReadFrom(platform::File& stream) {
  LogfileHeader header;
  if (ReadLogfileHeader(stream, header) != 1) return ttFALSE;
  Assign(header);
  return ttTRUE;
}

void tLogFileHeaderInfo::Assign(const LogfileHeader& header) {
  _iVersionIndex = 0;
  _CLogFileHdr = header.fixed;
  _pCDefaultRevDesc.reset();
  if (header.defaultRevision) _pCDefaultRevDesc.emplace(&*header.defaultRevision);
  _pCVersionDesc.clear();
  _pCVersionDesc.reserve(header.labels.size());
  for (const LabelRecord& label : header.labels) _pCVersionDesc.emplace_back(label);
  _pcAccessList = header.accessList;
  _pcModifierList = header.modifierList;
  _pcCommentPrefix = header.commentPrefix;
  _pcOwner = header.owner;
  _pcModDesc = header.description;
  _pcSupplementalInfo = header.supplementalInfo;
  _pcWorkfileName = tarn::WorkfileName(_pcSupplementalInfo);
}

void tLogFileHeaderInfo::SetText(std::string& member, std::int16_t& sizeField, const char* text) {
  member = text != nullptr ? text : "";
  sizeField = SizeFieldFor(member.size());
}

const char* tLogFileHeaderInfo::AccessList() const { return _pcAccessList.c_str(); }
tLogFileHeaderInfo& tLogFileHeaderInfo::AccessList(const char* text) {
  SetText(_pcAccessList, _CLogFileHdr._iAccessSize, text);
  return *this;
}

const char* tLogFileHeaderInfo::ModifierList() const { return _pcModifierList.c_str(); }
tLogFileHeaderInfo& tLogFileHeaderInfo::ModifierList(const char* text) {
  SetText(_pcModifierList, _CLogFileHdr._iModifierSize, text);
  return *this;
}

const char* tLogFileHeaderInfo::CommentPrefix() const { return _pcCommentPrefix.c_str(); }
tLogFileHeaderInfo& tLogFileHeaderInfo::CommentPrefix(const char* text) {
  SetText(_pcCommentPrefix, _CLogFileHdr._iCommentSize, text);
  return *this;
}

const char* tLogFileHeaderInfo::Owner() const { return _pcOwner.c_str(); }
tLogFileHeaderInfo& tLogFileHeaderInfo::Owner(const char* text) {
  SetText(_pcOwner, _CLogFileHdr._iOwnerSize, text);
  return *this;
}

const char* tLogFileHeaderInfo::ModDesc() const { return _pcModDesc.c_str(); }
tLogFileHeaderInfo& tLogFileHeaderInfo::ModDesc(const char* text) {
  SetText(_pcModDesc, _CLogFileHdr._iDescSize, text);
  return *this;
}

const char* tLogFileHeaderInfo::WorkfileName() const { return _pcWorkfileName.c_str(); }

tLogFileHeaderInfo& tLogFileHeaderInfo::WorkfileName(const char* name) {
  TARN_OBJECT_ASSERT(name != nullptr && std::strlen(name) > 0);
  // The statistics are the text after the old information's first NUL.
  std::string statistics;
  const auto nul = std::find(_pcSupplementalInfo.begin(), _pcSupplementalInfo.end(), 0);
  if (nul != _pcSupplementalInfo.end()) {
    const auto end = std::find(nul + 1, _pcSupplementalInfo.end(), 0);
    statistics.assign(nul + 1, end);
  }
  // The fixed field never runs over. The statistics are three numbers; a
  // damaged old information may hold more text there, of which only what
  // numbers can fill is kept. A name too long to leave room for its NUL and
  // the statistics is stored cut (the full name stays the workfile name).
  statistics.resize(std::min(statistics.size(), kMaxStatisticsLength));
  const std::string_view given(name);
  const std::string_view stored =
      given.substr(0, std::min(given.size(), kSupplementalInfoSize - 2 - statistics.size()));
  std::vector<std::uint8_t> info(kSupplementalInfoSize, 0);
  std::copy(stored.begin(), stored.end(), info.begin());
  std::copy(statistics.begin(), statistics.end(),
            info.begin() + static_cast<std::ptrdiff_t>(stored.size() + 1));
  _pcSupplementalInfo = std::move(info);
  _CLogFileHdr._iSupplementalInfoSize = static_cast<std::int16_t>(kSupplementalInfoSize);
  _pcWorkfileName = given;
  return *this;
}

short tLogFileHeaderInfo::MajorNumber() const { return _CLogFileHdr._iMajorNumber; }
short tLogFileHeaderInfo::MinorNumber() const { return _CLogFileHdr._iMinorNumber; }
int tLogFileHeaderInfo::LockCount() const { return _CLogFileHdr._iLockCount; }
int tLogFileHeaderInfo::RevisionCount() const { return _CLogFileHdr._iRevisionCount; }
int tLogFileHeaderInfo::VersionCount() const { return static_cast<int>(_pCVersionDesc.size()); }

ttBool tLogFileHeaderInfo::Attribute(std::uint16_t bit) const {
  return (_CLogFileHdr._iAttributes & bit) != 0 ? ttTRUE : ttFALSE;
}

ttBool tLogFileHeaderInfo::IsCheckLock() const { return Attribute(kAttrCheckLock); }
ttBool tLogFileHeaderInfo::IsDeleteWork() const { return Attribute(kAttrDeleteWork); }
ttBool tLogFileHeaderInfo::IsExpandKeywords() const { return Attribute(kAttrExpandKeywords); }
ttBool tLogFileHeaderInfo::IsProtectLogFile() const { return Attribute(kAttrProtectLogFile); }
ttBool tLogFileHeaderInfo::IsProtectWorkFile() const { return Attribute(kAttrProtectWorkFile); }
ttBool tLogFileHeaderInfo::IsBinaryFile() const { return Attribute(kAttrBinaryFile); }
ttBool tLogFileHeaderInfo::IsJournalFile() const { return Attribute(kAttrJournalFile); }
ttBool tLogFileHeaderInfo::IsCompression() const { return Attribute(kAttrCompression); }

const char* tLogFileHeaderInfo::DefaultRevision() const {
  if (_pCDefaultRevDesc) return _pCDefaultRevDesc->RevisionString();
  _pcDefaultRevision = MessageText(msg::kWordTrunkTip.number);
  return _pcDefaultRevision.c_str();
}

const tRevDesc* tLogFileHeaderInfo::DefaultRevDesc() const {
  return _pCDefaultRevDesc ? &*_pCDefaultRevDesc : nullptr;
}

tVersionDesc* tLogFileHeaderInfo::FirstVersion() {
  _iVersionIndex = 0;
  return NextVersion();
}

tVersionDesc* tLogFileHeaderInfo::NextVersion() {
  if (_iVersionIndex >= _pCVersionDesc.size()) return nullptr;
  return &_pCVersionDesc[_iVersionIndex++];
}

ttBool tLogFileHeaderInfo::IsValidUser(const char* name) const {
  if (name == nullptr || _pcAccessList.empty()) return ttFALSE;
  const std::string_view wanted(name);
  std::string_view rest(_pcAccessList);
  while (true) {
    const std::size_t comma = rest.find(',');
    if (rest.substr(0, comma) == wanted) return ttTRUE;
    if (comma == std::string_view::npos) return ttFALSE;
    rest.remove_prefix(comma + 1);
  }
}

int tLogFileHeaderInfo::LastModifierIndex() const {
  return tarn::LastModifierIndex(_pcSupplementalInfo);
}

long tLogFileHeaderInfo::LastLogfileUpdate() const {
  return static_cast<long>(tarn::LastLogfileUpdate(_pcSupplementalInfo));
}

long tLogFileHeaderInfo::LastWorkfileSize() const {
  return static_cast<long>(tarn::LastWorkfileSize(_pcSupplementalInfo));
}

}  // namespace tarn
