// The delta: the stored difference between two revision texts.
//
// A delta is a sequence of records and nothing else. Each record is a 14-byte
// head (kind 2 bytes, position, removed length, inserted length 4 bytes each,
// all signed little-endian) followed, for inserts and replaces, by the
// inserted bytes. Positions refer to the unchanged source text; records
// stand in increasing position order and their source ranges do not overlap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/support/guarded_memory.h"

namespace tarn {

inline constexpr std::size_t kDeltaRecordHeadSize = 14;

enum class DeltaKind : std::int16_t {
  kInsert = 0,
  kDelete = 1,
  kReplace = 2,
};

struct DeltaRecord {
  DeltaKind kind = DeltaKind::kInsert;
  std::int32_t position = 0;
  std::int32_t removed = 0;             // 0 for an insert
  std::int32_t inserted = 0;            // 0 for a delete (the stored field is ignored)
  std::span<const std::uint8_t> bytes;  // the inserted bytes; empty for a delete
};

// Appends one record. A delete gets inserted length 0 and no bytes, an insert
// removed length 0; `inserted` must be empty for a delete.
void AppendDeltaRecord(ByteBuffer& delta, DeltaKind kind, std::int32_t position,
                       std::int32_t removed, std::span<const std::uint8_t> inserted);

// Walks the records of a delta, checking that each is whole.
class DeltaReader {
 public:
  explicit DeltaReader(std::span<const std::uint8_t> delta) : delta_(delta) {}

  // 1: `record` holds the next record. 0: no record is left. -1: the delta is
  // malformed here (head cut short, unknown kind, negative length, inserted
  // bytes running past the end); the reader stays at the bad record.
  int Next(DeltaRecord& record);

 private:
  std::span<const std::uint8_t> delta_;
  std::size_t offset_ = 0;
};

// Applies `delta` to `source` and puts the result into `target`: source bytes
// up to each record's position are copied, a delete skips its removed bytes,
// an insert adds its bytes, a replace does both. 1 on success; -1 when the
// delta is malformed or does not fit the source (records out of order or
// overlapping, a range outside the source), `target` then untouched. Reports
// nothing: the caller knows which logfile the delta came from.
int ApplyDelta(std::span<const std::uint8_t> source, std::span<const std::uint8_t> delta,
               ByteBuffer& target);

}  // namespace tarn
