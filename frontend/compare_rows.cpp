#include "frontend/compare_rows.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "engine/diff/line_changes.h"

namespace tarn::dorn {
namespace {

std::span<const std::uint8_t> Bytes(const QByteArray& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.constData()),
          static_cast<std::size_t>(text.size())};
}

// Appends rows while walking both texts from (`left`, `right`).
class RowWriter {
 public:
  explicit RowWriter(CompareLayout& layout) : layout_(layout) {}

  // Unchanged lines up to the given line indexes; should the two counts
  // ever differ, the surplus shows as removed or added.
  void SameUntil(int left, int right) {
    const int same = std::min(left - left_, right - right_);
    for (int i = 0; i < same; ++i) Append(left_++, right_++, RowKind::kSame);
    Change(left - left_, right - right_);
  }

  // `removed` lines of the first text become `added` lines of the second.
  void Change(int removed, int added) {
    if (removed <= 0 && added <= 0) return;
    // A change that meets the one before it continues it.
    if (layout_.rows.empty() || layout_.rows.back().kind == RowKind::kSame) {
      layout_.changeStarts.push_back(static_cast<int>(layout_.rows.size()));
    }
    const int paired = std::min(removed, added);
    for (int i = 0; i < paired; ++i) Append(left_++, right_++, RowKind::kChanged);
    for (int i = paired; i < removed; ++i) Append(left_++, -1, RowKind::kRemoved);
    for (int i = paired; i < added; ++i) Append(-1, right_++, RowKind::kAdded);
  }

  int Left() const { return left_; }
  int Right() const { return right_; }

 private:
  void Append(int left, int right, RowKind kind) { layout_.rows.push_back({left, right, kind}); }

  CompareLayout& layout_;
  int left_ = 0;
  int right_ = 0;
};

}  // namespace

std::vector<QString> TextLines(const QByteArray& text) {
  std::vector<QString> lines;
  qsizetype start = 0;
  while (start < text.size()) {
    qsizetype end = text.indexOf('\n', start);
    const qsizetype next = end < 0 ? text.size() : end + 1;
    if (end < 0) end = text.size();
    if (end > start && text[end - 1] == '\r') --end;
    lines.push_back(QString::fromUtf8(text.constData() + start, end - start));
    start = next;
  }
  return lines;
}

std::optional<CompareLayout> LayOutComparison(const QByteArray& first, const QByteArray& second) {
  TextLineChanges changes;
  if (FindLineChanges(Bytes(first), Bytes(second), '\n', changes) < 0) return std::nullopt;
  CompareLayout layout;
  layout.leftLines = TextLines(first);
  layout.rightLines = TextLines(second);
  layout.rows.reserve(std::max(layout.leftLines.size(), layout.rightLines.size()));
  RowWriter writer(layout);
  for (const LineChange& change : changes.changes) {
    writer.SameUntil(std::max<int>(change.first1, writer.Left()),
                     std::max<int>(change.first2, writer.Right()));
    const int removed = change.first1 + change.count1 - writer.Left();
    const int added = change.first2 + change.count2 - writer.Right();
    writer.Change(removed, added);
  }
  writer.SameUntil(static_cast<int>(layout.leftLines.size()),
                   static_cast<int>(layout.rightLines.size()));
  return layout;
}

}  // namespace tarn::dorn
