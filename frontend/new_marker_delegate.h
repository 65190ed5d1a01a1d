// Draws the "New" marker, black on yellow, in front of the name of a file
// whose logfile holds a revision newer than its workfile; and in its place
// the marker of a logfile that cannot be shown ("Damaged" on red, "Busy" on
// orange).
#pragma once

#include <QStyledItemDelegate>

namespace tarn::dorn {

class NewMarkerDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // The marker's text and the space it takes before the name.
  static QString MarkerText();
  // `text`: of another marker than "New".
  static int MarkerWidth(const QFontMetrics& metrics, const QString& text = QString());
};

}  // namespace tarn::dorn
