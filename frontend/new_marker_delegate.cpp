#include "frontend/new_marker_delegate.h"

#include <QApplication>
#include <QPainter>

#include "frontend/project_files_model.h"

namespace tarn::dorn {
namespace {

constexpr int kPadding = 3;

bool HasMarker(const QModelIndex& index) {
  return index.data(ProjectFilesModel::kNewMarkerRole).toBool();
}

}  // namespace

QString NewMarkerDelegate::MarkerText() { return QStringLiteral("New"); }

int NewMarkerDelegate::MarkerWidth(const QFontMetrics& metrics) {
  return metrics.horizontalAdvance(MarkerText()) + 2 * kPadding;
}

void NewMarkerDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  if (!HasMarker(index)) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const int width = MarkerWidth(option.fontMetrics);
  // The name, shifted right to make room for the marker.
  QStyleOptionViewItem shifted(option);
  initStyleOption(&shifted, index);
  const QRect marker(option.rect.left() + 1, option.rect.top() + 1, width,
                     option.rect.height() - 2);
  QStyle* style = option.widget ? option.widget->style() : QApplication::style();
  style->drawPrimitive(QStyle::PE_PanelItemViewItem, &shifted, painter, option.widget);
  shifted.rect.setLeft(marker.right() + kPadding);
  shifted.backgroundBrush = Qt::NoBrush;
  style->drawControl(QStyle::CE_ItemViewItem, &shifted, painter, option.widget);

  painter->save();
  painter->fillRect(marker, Qt::yellow);
  painter->setPen(Qt::black);
  painter->drawText(marker, Qt::AlignCenter, MarkerText());
  painter->restore();
}

QSize NewMarkerDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  if (HasMarker(index)) size.rwidth() += MarkerWidth(option.fontMetrics) + kPadding;
  return size;
}

}  // namespace tarn::dorn
