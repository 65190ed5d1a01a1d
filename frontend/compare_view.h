// The two texts of a comparison side by side, one row per line pair, with
// line numbers, changed lines coloured and the current change marked. Only
// the rows in sight are drawn, so a long text opens as fast as a short one.
#pragma once

#include <QAbstractScrollArea>

#include "frontend/compare_rows.h"

namespace tarn::dorn {

class CompareView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // `layout` must outlive the view.
  CompareView(const CompareLayout& layout, QWidget* parent = nullptr);

  // Marks change `index` (of layout.changeStarts; -1 for none) and scrolls
  // its first row into sight, a little below the top.
  void ShowChange(int index);
  int TopRow() const;
  int RowsInSight() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void UpdateScrollBars();
  int RowHeight() const;
  int GutterWidth() const;
  int ColumnWidth() const;
  void PaintSide(QPainter& painter, int x, int row, int y, bool left) const;

  const CompareLayout& layout_;
  int current_ = -1;
  int widestLine_ = 0;  // in characters, tabs expanded
};

}  // namespace tarn::dorn
