#include "objects/rev_hdr_info.h"

#include <utility>

namespace tarn {

tRevHdrInfo::tRevHdrInfo() = default;

tRevHdrInfo::tRevHdrInfo(const tRevHdr& record, const tarnCommandRevDesc& number,
                         std::string description, std::optional<compressHeader> compression)
    : _CCompressHeader(compression),
      _pcRevisionDesc(std::move(description)),
      _pCtRevHdr(record),
      _CRevision(&number) {}

tRevHdrInfo::tRevHdrInfo(const tRevHdrInfo& other) = default;

tRevHdrInfo& tRevHdrInfo::operator=(const tRevHdrInfo& other) = default;

tRevHdrInfo::~tRevHdrInfo() = default;

int tRevHdrInfo::MajorRev() const { return _pCtRevHdr.major; }
int tRevHdrInfo::MinorRev() const { return _pCtRevHdr.minor; }
int tRevHdrInfo::Depth() const { return _pCtRevHdr._iDepth; }
ttBool tRevHdrInfo::IsLocked() const { return _pCtRevHdr._iLocked != 0 ? ttTRUE : ttFALSE; }
ttBool tRevHdrInfo::IsCompressed() const {
  return _pCtRevHdr._cCompressed != 0 ? ttTRUE : ttFALSE;
}
short tRevHdrInfo::LockerIndex() const { return _pCtRevHdr.LockerIndex; }
short tRevHdrInfo::CreatorIndex() const { return _pCtRevHdr.CreatorIndex; }
long tRevHdrInfo::FilePutDate() const { return static_cast<long>(_pCtRevHdr.FilePutDate); }
long tRevHdrInfo::FileEditDate() const { return static_cast<long>(_pCtRevHdr.FileEditDate); }
long tRevHdrInfo::RevSize() const { return static_cast<long>(_pCtRevHdr.RevSize); }
const char* tRevHdrInfo::RevDesc() const { return _pcRevisionDesc.c_str(); }

unsigned long tRevHdrInfo::BeforeCompressionSize() const {
  if (IsCompressed() == ttTRUE && _CCompressHeader) return _CCompressHeader->beforeCompressionSize;
  return _pCtRevHdr.RevSize;
}

unsigned long tRevHdrInfo::AfterCompressionSize() const {
  if (IsCompressed() == ttTRUE && _CCompressHeader) return _CCompressHeader->afterCompressionSize;
  return _pCtRevHdr.RevSize;
}

}  // namespace tarn
