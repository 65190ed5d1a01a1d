#include "engine/format/delta_format.h"

#include <array>
#include <new>

#include "engine/format/byte_order.h"

namespace tarn {

void AppendDeltaRecord(ByteBuffer& delta, DeltaKind kind, std::int32_t position,
                       std::int32_t removed, std::span<const std::uint8_t> inserted) {
  std::array<std::uint8_t, kDeltaRecordHeadSize> head{};
  StoreI16(head, 0, static_cast<std::int16_t>(kind));
  StoreI32(head, 2, position);
  StoreI32(head, 6, kind == DeltaKind::kInsert ? 0 : removed);
  StoreI32(head, 10, kind == DeltaKind::kDelete ? 0 : static_cast<std::int32_t>(inserted.size()));
  delta.insert(delta.end(), head.begin(), head.end());
  if (kind != DeltaKind::kDelete) delta.insert(delta.end(), inserted.begin(), inserted.end());
}

int DeltaReader::Next(DeltaRecord& record) {
  const std::size_t left = delta_.size() - offset_;
  if (left == 0) return 0;
  if (left < kDeltaRecordHeadSize) return -1;
  const std::int16_t kind = LoadI16(delta_, offset_);
  if (kind < 0 || kind > static_cast<std::int16_t>(DeltaKind::kReplace)) return -1;
  DeltaRecord next;
  next.kind = static_cast<DeltaKind>(kind);
  next.position = LoadI32(delta_, offset_ + 2);
  next.removed = next.kind == DeltaKind::kInsert ? 0 : LoadI32(delta_, offset_ + 6);
  next.inserted = next.kind == DeltaKind::kDelete ? 0 : LoadI32(delta_, offset_ + 10);
  if (next.position < 0 || next.removed < 0 || next.inserted < 0) return -1;
  const std::size_t body = static_cast<std::size_t>(next.inserted);
  if (body > left - kDeltaRecordHeadSize) return -1;
  next.bytes = delta_.subspan(offset_ + kDeltaRecordHeadSize, body);
  offset_ += kDeltaRecordHeadSize + body;
  record = next;
  return 1;
}

int ApplyDelta(std::span<const std::uint8_t> source, std::span<const std::uint8_t> delta,
               ByteBuffer& target) {
  try {
    ByteBuffer result;
    // Every byte of the result is a source byte or an inserted byte.
    result.reserve(source.size() + delta.size());
    DeltaReader reader(delta);
    DeltaRecord record;
    std::size_t copied_to = 0;  // source bytes before this are done with
    int status;
    while ((status = reader.Next(record)) == 1) {
      const auto position = static_cast<std::size_t>(record.position);
      const auto removed = static_cast<std::size_t>(record.removed);
      if (position < copied_to || position > source.size() || removed > source.size() - position) {
        return -1;
      }
      result.insert(result.end(), source.begin() + static_cast<std::ptrdiff_t>(copied_to),
                    source.begin() + static_cast<std::ptrdiff_t>(position));
      result.insert(result.end(), record.bytes.begin(), record.bytes.end());
      copied_to = position + removed;
    }
    if (status < 0) return -1;
    result.insert(result.end(), source.begin() + static_cast<std::ptrdiff_t>(copied_to),
                  source.end());
    target.swap(result);
    return 1;
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

}  // namespace tarn
