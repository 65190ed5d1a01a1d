#include "frontend/new_marker_delegate.h"

#include <QApplication>
#include <QPainter>
#include <optional>

#include "frontend/project_files_model.h"

namespace tarn::dorn {
namespace {

constexpr int kPadding = 3;

// The marker's text and colour: "New" on yellow, or the name of a logfile
// that cannot be shown on red (damaged) or orange (busy).
struct Marker {
  QString text;
  QColor background;
};

std::optional<Marker> MarkerOf(const QModelIndex& index) {
  const QString problem = index.data(ProjectFilesModel::kProblemMarkerRole).toString();
  if (!problem.isEmpty()) {
    const bool damaged = index.data(ProjectFilesModel::kDamagedRole).toBool();
    return Marker{problem, damaged ? QColor(Qt::red) : QColor(255, 165, 0)};
  }
  if (index.data(ProjectFilesModel::kNewMarkerRole).toBool()) {
    return Marker{NewMarkerDelegate::MarkerText(), QColor(Qt::yellow)};
  }
  return std::nullopt;
}

}  // namespace

QString NewMarkerDelegate::MarkerText() { return QStringLiteral("New"); }

int NewMarkerDelegate::MarkerWidth(const QFontMetrics& metrics, const QString& text) {
  return metrics.horizontalAdvance(text.isEmpty() ? MarkerText() : text) + 2 * kPadding;
}

void NewMarkerDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  const std::optional<Marker> shown = MarkerOf(index);
  if (!shown) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const int width = MarkerWidth(option.fontMetrics, shown->text);
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
  painter->fillRect(marker, shown->background);
  painter->setPen(Qt::black);
  painter->drawText(marker, Qt::AlignCenter, shown->text);
  painter->restore();
}

QSize NewMarkerDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  if (const std::optional<Marker> shown = MarkerOf(index)) {
    size.rwidth() += MarkerWidth(option.fontMetrics, shown->text) + kPadding;
  }
  return size;
}

}  // namespace tarn::dorn
