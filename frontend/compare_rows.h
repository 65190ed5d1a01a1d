// Two texts laid out side by side for the compare window: one row per
// line pair, the changed lines found by the engine's own comparison (the
// search that builds deltas), so that what a person sees is what a
// check-in would store.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace tarn::dorn {

enum class RowKind {
  kSame,     // the line is in both texts
  kChanged,  // a line of the first text replaced by a line of the second
  kRemoved,  // a line of the first text only
  kAdded,    // a line of the second text only
};

struct CompareRow {
  int left = -1;   // line index in the first text, -1 for none
  int right = -1;  // line index in the second text, -1 for none
  RowKind kind = RowKind::kSame;
};

struct CompareLayout {
  std::vector<QString> leftLines;
  std::vector<QString> rightLines;
  std::vector<CompareRow> rows;
  // The first row of every change (a run of rows that are not kSame), in
  // order.
  std::vector<int> changeStarts;
};

// The lines of a text: cut at each line feed, a last line without one
// counted too; a carriage return before the line feed is left out. Bytes
// that are not UTF-8 show as replacement characters.
std::vector<QString> TextLines(const QByteArray& text);

// Nothing when the comparison fails (memory; the engine has reported it).
std::optional<CompareLayout> LayOutComparison(const QByteArray& first, const QByteArray& second);

}  // namespace tarn::dorn
