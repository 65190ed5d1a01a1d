#include "engine/diff/confusing_lines.h"

#include <algorithm>

namespace tarn {
namespace {

constexpr std::uint8_t kKeep = 0;
constexpr std::uint8_t kDiscard = 1;
constexpr std::uint8_t kProvisional = 2;
// How many lines at each end of a run of discarded lines are kept when they
// are only provisional.
constexpr std::size_t kRunEdge = 5;

GuardedVector<std::int32_t> CountClasses(std::span<const std::int32_t> classes,
                                         std::int32_t class_count) {
  GuardedVector<std::int32_t> counts(static_cast<std::size_t>(class_count) + 1, 0);
  for (const std::int32_t c : classes) ++counts[static_cast<std::size_t>(c)];
  return counts;
}

void KeepProvisional(std::span<std::uint8_t> marks, std::size_t from, std::size_t to) {
  for (std::size_t k = from; k < to; ++k) {
    if (marks[k] == kProvisional) marks[k] = kKeep;
  }
}

}  // namespace

GuardedVector<std::uint8_t> MarkConfusingLines(std::span<const std::int32_t> classes,
                                               std::span<const std::int32_t> other_counts) {
  GuardedVector<std::uint8_t> marks(classes.size(), kKeep);
  for (std::size_t i = 0; i < classes.size(); ++i) {
    const std::int32_t c = classes[i];
    if (c == 0) continue;
    const std::int32_t elsewhere = other_counts[static_cast<std::size_t>(c)];
    if (elsewhere == 0) {
      marks[i] = kDiscard;
    } else if (elsewhere > kFrequentClassThreshold) {
      marks[i] = kProvisional;
    }
  }
  return marks;
}

void SettleProvisionalLines(std::span<std::uint8_t> marks) {
  const std::size_t n = marks.size();
  std::size_t i = 0;
  while (i < n) {
    if (marks[i] == kProvisional) {
      marks[i++] = kKeep;
      continue;
    }
    if (marks[i] != kDiscard) {
      ++i;
      continue;
    }
    // A run of marked lines starting with a discarded one.
    std::size_t end = i + 1;
    std::size_t provisional = 0;
    while (end < n && marks[end] != kKeep) {
      if (marks[end] == kProvisional) ++provisional;
      ++end;
    }
    const std::size_t length = end - i;
    if (marks[end - 1] == kProvisional) {
      marks[end - 1] = kKeep;
      --provisional;
    }
    if (provisional * 2 > length) {
      // Mostly frequent lines: keep them all and look again from the next.
      KeepProvisional(marks, i, end);
      ++i;
      continue;
    }
    KeepProvisional(marks, i, i + std::min(kRunEdge, length));
    if (length > kRunEdge) KeepProvisional(marks, end - std::min(kRunEdge, length - kRunEdge), end);
    i = end;
  }
}

DiscardResult DiscardConfusingLines(const std::array<GuardedVector<std::int32_t>, 2>& classes,
                                    std::int32_t class_count) {
  const std::array<GuardedVector<std::int32_t>, 2> counts = {CountClasses(classes[0], class_count),
                                                             CountClasses(classes[1], class_count)};
  DiscardResult result;
  for (std::size_t f = 0; f < 2; ++f) {
    GuardedVector<std::uint8_t> marks = MarkConfusingLines(classes[f], counts[1 - f]);
    SettleProvisionalLines(marks);
    ComparedSequence& sequence = result.sequences[f];
    const std::size_t kept =
        static_cast<std::size_t>(std::count(marks.begin(), marks.end(), kKeep));
    sequence.classes.reserve(kept);
    sequence.lines.reserve(kept);
    for (std::size_t i = 0; i < marks.size(); ++i) {
      if (marks[i] != kKeep) {
        marks[i] = 1;
        continue;
      }
      sequence.classes.push_back(classes[f][i]);
      sequence.lines.push_back(static_cast<std::int32_t>(i));
    }
    result.changed[f] = std::move(marks);
  }
  return result;
}

}  // namespace tarn
