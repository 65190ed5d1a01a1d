#include "engine/diff/line_changes.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "engine/diff/common_ends.h"
#include "engine/diff/compared_text.h"
#include "engine/diff/confusing_lines.h"
#include "engine/diff/line_classes.h"
#include "engine/diff/line_table.h"
#include "engine/support/report.h"

namespace tarn {

namespace {

std::int32_t LineCount(const ComparedText& text, std::uint8_t separator) {
  return static_cast<std::int32_t>(std::count(text.bytes.begin(), text.bytes.end(), separator));
}

void Compare(const ComparedText& first, const ComparedText& second, std::uint8_t separator,
             TextLineChanges& result) {
  const CommonEnds ends = FindCommonEnds(first.bytes, second.bytes, separator);
  const LineTable lines1 =
      SplitLines(first.bytes, ends.prefix_end, ends.suffix_start[0], ends.prefix_lines, separator);
  const LineTable lines2 =
      SplitLines(second.bytes, ends.prefix_end, ends.suffix_start[1], ends.prefix_lines, separator);
  DiscardResult compared = [&] {
    const LineClasses classes = AssignClasses(first.bytes, lines1, second.bytes, lines2);
    return DiscardConfusingLines(classes.of, classes.count);
  }();
  MarkEditScript(compared.sequences[0], compared.sequences[1], compared.changed[0],
                 compared.changed[1], NoDiffProgress());
  for (LineChange change : CollectChanges(compared.changed[0], compared.changed[1])) {
    change.first1 += lines1.first_line;
    change.first2 += lines2.first_line;
    result.changes.push_back(change);
  }
  if (first.missing_separator == second.missing_separator) return;
  // Only one last line lacks its separator: those two lines differ, unless a
  // change reaches the end of both texts already.
  const std::int32_t count1 = LineCount(first, separator);
  const std::int32_t count2 = LineCount(second, separator);
  const bool covered = !result.changes.empty() &&
                       result.changes.back().first1 + result.changes.back().count1 == count1 &&
                       result.changes.back().first2 + result.changes.back().count2 == count2;
  if (covered) return;
  if (count1 > 0 && count2 > 0) {
    result.changes.push_back(LineChange{count1 - 1, count2 - 1, 1, 1});
  }
}

}  // namespace

int FindLineChanges(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
                    std::uint8_t separator, TextLineChanges& result) {
  result.changes.clear();
  if (std::ranges::equal(first, second)) return 0;
  if (first.size() > kMaxComparedSize || second.size() > kMaxComparedSize) {
    ReportFault(msg::kOutOfMemory);
    return -1;
  }
  try {
    Compare(MakeComparedText(first, separator), MakeComparedText(second, separator), separator,
            result);
  } catch (const std::bad_alloc&) {
    result.changes.clear();
    ReportFault(msg::kOutOfMemory);
    return -1;
  } catch (const std::length_error&) {
    result.changes.clear();
    ReportFault(msg::kOutOfMemory);
    return -1;
  }
  return 1;
}

}  // namespace tarn
