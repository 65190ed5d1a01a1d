// tRevHdrInfo: one revision of a logfile as a client sees it.
//
// The 32-byte revision record (tRevHdr, the engine's record type), the
// revision's full number, its check-in description and, for compressed
// data, the sizes from the compression header in front of it. Filled by
// tLogFile::CaptureRevisionInfo through the engine's revision scanner.
// Copies are deep.
#pragma once

#include <optional>
#include <string>

#include "engine/format/compression.h"
#include "engine/format/revision_header.h"
#include "objects/rev_desc.h"
#include "objects/tt_bool.h"

namespace tarn {

class tRevHdrInfo {
 public:
  // A zeroed record, no description, no number.
  tRevHdrInfo();
  tRevHdrInfo(const tRevHdr& record, const tarnCommandRevDesc& number, std::string description,
              std::optional<compressHeader> compression);
  tRevHdrInfo(const tRevHdrInfo& other);
  tRevHdrInfo& operator=(const tRevHdrInfo& other);
  ~tRevHdrInfo();

  int MajorRev() const;
  int MinorRev() const;
  int Depth() const;
  ttBool IsLocked() const;
  ttBool IsCompressed() const;
  short LockerIndex() const;
  short CreatorIndex() const;
  long FilePutDate() const;
  long FileEditDate() const;
  long RevSize() const;
  const char* RevDesc() const;
  // The compression header's sizes when the data is compressed, otherwise
  // RevSize.
  unsigned long BeforeCompressionSize() const;
  unsigned long AfterCompressionSize() const;

  // The revision's full number ("1.2.1.1").
  const tRevDesc& Revision() const { return _CRevision; }
  const tRevHdr& RevHdr() const { return _pCtRevHdr; }

 private:
  std::optional<compressHeader> _CCompressHeader;
  std::string _pcRevisionDesc;
  tRevHdr _pCtRevHdr;
  tRevDesc _CRevision;
};

}  // namespace tarn
