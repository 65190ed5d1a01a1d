#include "engine/diff/replace_refinement.h"

#include <algorithm>

#include "engine/format/delta_format.h"

namespace tarn {
namespace {

constexpr std::size_t kMinRefinedLength = 14;

std::int32_t Field(std::size_t value) { return static_cast<std::int32_t>(value); }

}  // namespace

void AppendRefinedReplace(ByteBuffer& delta, std::size_t position,
                          std::span<const std::uint8_t> old_bytes,
                          std::span<const std::uint8_t> new_bytes) {
  std::size_t head = 0;
  while (head < old_bytes.size() && head < new_bytes.size() && old_bytes[head] == new_bytes[head]) {
    ++head;
  }
  position += head;
  old_bytes = old_bytes.subspan(head);
  new_bytes = new_bytes.subspan(head);
  std::size_t tail = 0;
  while (tail < old_bytes.size() && tail < new_bytes.size() &&
         old_bytes[old_bytes.size() - 1 - tail] == new_bytes[new_bytes.size() - 1 - tail]) {
    ++tail;
  }
  old_bytes = old_bytes.first(old_bytes.size() - tail);
  new_bytes = new_bytes.first(new_bytes.size() - tail);

  // `record_start` is where the pending replacement begins, at the same
  // offset in both ranges; `k` walks them in lockstep.
  std::size_t record_start = 0;
  if (old_bytes.size() > kMinRefinedLength && new_bytes.size() > kMinRefinedLength) {
    const std::size_t limit = std::min(old_bytes.size(), new_bytes.size());
    std::size_t k = 0;
    while (k < limit) {
      if (old_bytes[k] == new_bytes[k]) {
        std::size_t run = 1;
        while (k + run < limit && old_bytes[k + run] == new_bytes[k + run]) ++run;
        if (run >= kMinSkippedRun) {
          const std::size_t pending = k - record_start;
          if (pending > 0) {
            AppendDeltaRecord(delta, DeltaKind::kReplace, Field(position + record_start),
                              Field(pending), new_bytes.subspan(record_start, pending));
          }
          record_start = k + run;
        }
        k += run;
      }
      ++k;  // an unequal byte (or the end)
    }
  }

  const std::size_t removed = old_bytes.size() - record_start;
  const std::span<const std::uint8_t> inserted = new_bytes.subspan(record_start);
  if (removed == 0 && inserted.empty()) return;
  const DeltaKind kind = removed == 0       ? DeltaKind::kInsert
                         : inserted.empty() ? DeltaKind::kDelete
                                            : DeltaKind::kReplace;
  AppendDeltaRecord(delta, kind, Field(position + record_start), Field(removed), inserted);
}

}  // namespace tarn
