// Draws the "New" marker, black on yellow, in front of the name of a file
// whose workfile is missing or older than its logfile.
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
  static int MarkerWidth(const QFontMetrics& metrics);
};

}  // namespace tarn::dorn
