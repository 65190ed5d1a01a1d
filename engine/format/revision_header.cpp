#include "engine/format/revision_header.h"

#include "engine/format/byte_order.h"

namespace tarn {

tRevHdr DecodeRevisionHeader(std::span<const std::uint8_t, kRevisionHeaderSize> bytes) {
  tRevHdr header;
  header.major = LoadI16(bytes, 0);
  header.minor = LoadI16(bytes, 2);
  header._iLocked = LoadI16(bytes, 4);
  header._iBranchCount = LoadI16(bytes, 6);
  header._iDepth = LoadI16(bytes, 8);
  header._cTip = bytes[10];
  header._cCompressed = bytes[11];
  header.reserved = LoadU16(bytes, 12);
  header.FilePutDate = LoadU32(bytes, 14);
  header.FileEditDate = LoadU32(bytes, 18);
  header.RevSize = LoadU32(bytes, 22);
  header.LockerIndex = LoadI16(bytes, 26);
  header.CreatorIndex = LoadI16(bytes, 28);
  header._iDescSize = LoadI16(bytes, 30);
  return header;
}

std::array<std::uint8_t, kRevisionHeaderSize> EncodeRevisionHeader(const tRevHdr& header) {
  std::array<std::uint8_t, kRevisionHeaderSize> bytes{};
  StoreI16(bytes, 0, header.major);
  StoreI16(bytes, 2, header.minor);
  StoreI16(bytes, 4, header._iLocked);
  StoreI16(bytes, 6, header._iBranchCount);
  StoreI16(bytes, 8, header._iDepth);
  bytes[10] = header._cTip;
  bytes[11] = header._cCompressed;
  StoreU16(bytes, 12, header.reserved);
  StoreU32(bytes, 14, header.FilePutDate);
  StoreU32(bytes, 18, header.FileEditDate);
  StoreU32(bytes, 22, header.RevSize);
  StoreI16(bytes, 26, header.LockerIndex);
  StoreI16(bytes, 28, header.CreatorIndex);
  StoreI16(bytes, 30, header._iDescSize);
  return bytes;
}

}  // namespace tarn
