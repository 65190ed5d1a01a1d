#include "tools/tarn/unified_diff.h"

#include <algorithm>
#include <vector>

namespace tarn::cli {

namespace {

// Where each line of a text starts, with the end of the text as the last
// entry; a last line without its line end counts.
class Lines {
 public:
  explicit Lines(std::span<const std::uint8_t> text) : text_(text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\n') continue;
      starts_.push_back(start);
      start = i + 1;
    }
    if (start < text.size()) starts_.push_back(start);
    starts_.push_back(text.size());
  }

  std::int32_t Count() const { return static_cast<std::int32_t>(starts_.size()) - 1; }

  // Line `n` with its line end, if it has one.
  std::string_view Line(std::int32_t n) const {
    const auto i = static_cast<std::size_t>(n);
    const auto* begin = reinterpret_cast<const char*>(text_.data()) + starts_[i];
    return std::string_view(begin, starts_[i + 1] - starts_[i]);
  }

 private:
  std::span<const std::uint8_t> text_;
  std::vector<std::size_t> starts_;
};

// A hunk: the changes [first, last] of the list shown together.
struct Hunk {
  std::size_t first = 0;
  std::size_t last = 0;
};

std::vector<Hunk> GroupIntoHunks(const std::vector<LineChange>& changes, int context) {
  std::vector<Hunk> hunks;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    if (!hunks.empty()) {
      const LineChange& previous = changes[hunks.back().last];
      const std::int32_t gap = changes[i].first1 - (previous.first1 + previous.count1);
      if (gap <= 2 * context) {
        hunks.back().last = i;
        continue;
      }
    }
    hunks.push_back(Hunk{i, i});
  }
  return hunks;
}

// "start,count" of a hunk's range; the count is left out when it is 1, and
// an empty range names the line before it.
std::string Range(std::int32_t start, std::int32_t count) {
  if (count == 1) return std::to_string(start + 1);
  const std::int32_t shown = count == 0 ? start : start + 1;
  return std::to_string(shown) + "," + std::to_string(count);
}

void AppendLine(std::string& out, char mark, std::string_view line) {
  out += mark;
  out += line;
  if (line.empty() || line.back() != '\n') out += "\n\\ No newline at end of file\n";
}

}  // namespace

std::string UnifiedDiff(std::string_view first_label, std::span<const std::uint8_t> first,
                        std::string_view second_label, std::span<const std::uint8_t> second,
                        const TextLineChanges& changes, int context) {
  std::string out;
  if (changes.changes.empty()) return out;
  const Lines lines1(first);
  const Lines lines2(second);
  out += "--- ";
  out += first_label;
  out += "\n+++ ";
  out += second_label;
  out += '\n';
  for (const Hunk& hunk : GroupIntoHunks(changes.changes, context)) {
    const LineChange& head = changes.changes[hunk.first];
    const LineChange& tail = changes.changes[hunk.last];
    const std::int32_t before = std::min(context, head.first1);
    const std::int32_t start1 = head.first1 - before;
    const std::int32_t start2 = head.first2 - before;
    const std::int32_t end1 = std::min(lines1.Count(), tail.first1 + tail.count1 + context);
    const std::int32_t end2 = tail.first2 + tail.count2 + (end1 - (tail.first1 + tail.count1));
    out += "@@ -" + Range(start1, end1 - start1) + " +" + Range(start2, end2 - start2) + " @@\n";

    std::int32_t line1 = start1;
    for (std::size_t c = hunk.first; c <= hunk.last; ++c) {
      const LineChange& change = changes.changes[c];
      for (; line1 < change.first1; ++line1) AppendLine(out, ' ', lines1.Line(line1));
      for (std::int32_t n = 0; n < change.count1; ++n) {
        AppendLine(out, '-', lines1.Line(change.first1 + n));
      }
      for (std::int32_t n = 0; n < change.count2; ++n) {
        AppendLine(out, '+', lines2.Line(change.first2 + n));
      }
      line1 = change.first1 + change.count1;
    }
    for (; line1 < end1; ++line1) AppendLine(out, ' ', lines1.Line(line1));
  }
  return out;
}

}  // namespace tarn::cli
