#include "engine/diff/delta_writer.h"

#include <algorithm>
#include <stdexcept>

#include "engine/diff/replace_refinement.h"
#include "engine/format/delta_format.h"

namespace tarn {
namespace {

// Byte ranges of one change: source[from1, to1) becomes target[from2, to2).
// Offsets are in the completed texts until they are clipped.
struct ByteChange {
  std::size_t from1;
  std::size_t to1;
  std::size_t from2;
  std::size_t to2;
};

ByteChange ByteRanges(const LineChange& change, const LineTable& lines1, const LineTable& lines2) {
  return ByteChange{lines1.Start(change.first1), lines1.Start(change.first1 + change.count1),
                    lines2.Start(change.first2), lines2.Start(change.first2 + change.count2)};
}

std::int32_t Field(std::size_t value) { return static_cast<std::int32_t>(value); }

void AppendChange(ByteBuffer& delta, const ByteChange& range, std::span<const std::uint8_t> source,
                  std::span<const std::uint8_t> target) {
  const std::size_t removed = range.to1 - range.from1;
  const std::span<const std::uint8_t> inserted =
      target.subspan(range.from2, range.to2 - range.from2);
  if (removed == 0 && inserted.empty()) return;
  if (inserted.empty()) {
    AppendDeltaRecord(delta, DeltaKind::kDelete, Field(range.from1), Field(removed), {});
  } else if (removed == 0) {
    AppendDeltaRecord(delta, DeltaKind::kInsert, Field(range.from1), 0, inserted);
  } else {
    AppendRefinedReplace(delta, range.from1, source.subspan(range.from1, removed), inserted);
  }
}

void Require(bool condition) {
  if (!condition) throw std::logic_error("final separator correction out of place");
}

}  // namespace

void WriteDeltaRecords(const ComparedText& source, const LineTable& source_lines,
                       const ComparedText& target, const LineTable& target_lines,
                       std::span<const LineChange> changes, std::uint8_t separator,
                       ByteBuffer& delta) {
  const std::span<const std::uint8_t> text1 = source.bytes;
  const std::span<const std::uint8_t> text2 = target.bytes;
  const std::size_t size1 = source.size_as_read;
  const std::size_t size2 = target.size_as_read;

  // Whether the last line of each text lies inside the last change. If it
  // lies in neither, the last lines are unchanged and correspond.
  const ByteChange last = ByteRanges(changes.back(), source_lines, target_lines);
  const bool last_line_removed = changes.back().count1 > 0 && last.to1 == text1.size();
  const bool last_line_inserted = changes.back().count2 > 0 && last.to2 == text2.size();

  for (std::size_t c = 0; c < changes.size(); ++c) {
    ByteChange range = ByteRanges(changes[c], source_lines, target_lines);
    // A separator that was only appended for the comparison is neither
    // removed nor inserted.
    range.from1 = std::min(range.from1, size1);
    range.to1 = std::min(range.to1, size1);
    range.to2 = std::min(range.to2, size2);
    if (c + 1 == changes.size()) {
      if (source.missing_separator && !last_line_removed && last_line_inserted) {
        // Lines added behind a source line that has no separator: the
        // target's separator after that line goes in first.
        Require(range.from2 > 0 && text2[range.from2 - 1] == separator);
        --range.from2;
      }
      if (target.missing_separator && !last_line_inserted && last_line_removed) {
        // Lines removed behind the target's unterminated last line: its
        // separator in the source goes too.
        Require(range.from1 > 0 && text1[range.from1 - 1] == separator);
        --range.from1;
      }
    }
    AppendChange(delta, range, text1, text2);
  }

  // The last lines correspond but only one of them is terminated.
  if (!last_line_removed && !last_line_inserted) {
    if (source.missing_separator && !target.missing_separator) {
      const std::uint8_t terminator[] = {separator};
      AppendDeltaRecord(delta, DeltaKind::kInsert, Field(size1), 0, terminator);
    } else if (target.missing_separator && !source.missing_separator) {
      Require(size1 > 0);
      AppendDeltaRecord(delta, DeltaKind::kDelete, Field(size1 - 1), 1, {});
    }
  }
}

}  // namespace tarn
