#include "frontend/compare_view.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace tarn::dorn {
namespace {

constexpr int kTabWidth = 8;
constexpr int kDividerWidth = 6;
constexpr int kTextMargin = 4;

const QColor kChangedColour(255, 236, 179);
const QColor kRemovedColour(255, 205, 210);
const QColor kAddedColour(200, 230, 201);
const QColor kFillerColour(236, 236, 236);
const QColor kGutterColour(245, 245, 245);
const QColor kCurrentMark(25, 118, 210);

QString ExpandTabs(const QString& line) {
  if (!line.contains(QLatin1Char('\t'))) return line;
  QString expanded;
  for (const QChar c : line) {
    if (c == QLatin1Char('\t')) {
      expanded += QString(kTabWidth - expanded.size() % kTabWidth, QLatin1Char(' '));
    } else {
      expanded += c;
    }
  }
  return expanded;
}

int DisplayLength(const QString& line) {
  return static_cast<int>(line.size() + line.count(QLatin1Char('\t')) * (kTabWidth - 1));
}

int WidestLine(const std::vector<QString>& lines) {
  int widest = 0;
  for (const QString& line : lines) widest = std::max(widest, DisplayLength(line));
  return widest;
}

QColor Background(RowKind kind, bool left) {
  switch (kind) {
    case RowKind::kSame:
      return QColor();
    case RowKind::kChanged:
      return kChangedColour;
    case RowKind::kRemoved:
      return left ? kRemovedColour : kFillerColour;
    case RowKind::kAdded:
      return left ? kFillerColour : kAddedColour;
  }
  return QColor();
}

}  // namespace

CompareView::CompareView(const CompareLayout& layout, QWidget* parent)
    : QAbstractScrollArea(parent),
      layout_(layout),
      widestLine_(std::max(WidestLine(layout.leftLines), WidestLine(layout.rightLines))) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  setFont(font);
  viewport()->setFont(font);
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(),
          qOverload<>(&QWidget::update));
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(),
          qOverload<>(&QWidget::update));
  UpdateScrollBars();
}

QSize CompareView::sizeHint() const { return {960, 640}; }

int CompareView::RowHeight() const { return std::max(1, fontMetrics().height()); }

int CompareView::RowsInSight() const { return std::max(1, viewport()->height() / RowHeight()); }

int CompareView::TopRow() const { return verticalScrollBar()->value(); }

int CompareView::GutterWidth() const {
  const std::size_t lines = std::max(layout_.leftLines.size(), layout_.rightLines.size());
  const int digits = static_cast<int>(QString::number(std::max<std::size_t>(lines, 1)).size());
  return fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits + 2 * kTextMargin;
}

int CompareView::ColumnWidth() const {
  return std::max(1, (viewport()->width() - kDividerWidth) / 2);
}

void CompareView::UpdateScrollBars() {
  const int rows = static_cast<int>(layout_.rows.size());
  verticalScrollBar()->setRange(0, std::max(0, rows - RowsInSight()));
  verticalScrollBar()->setPageStep(RowsInSight());
  const int textWidth = widestLine_ * fontMetrics().horizontalAdvance(QLatin1Char('m'));
  const int room = ColumnWidth() - GutterWidth() - 2 * kTextMargin;
  horizontalScrollBar()->setRange(0, std::max(0, textWidth - room));
  horizontalScrollBar()->setPageStep(std::max(1, room));
  horizontalScrollBar()->setSingleStep(fontMetrics().horizontalAdvance(QLatin1Char('m')) * 4);
}

void CompareView::ShowChange(int index) {
  const int count = static_cast<int>(layout_.changeStarts.size());
  current_ = index >= 0 && index < count ? index : -1;
  if (current_ >= 0) {
    const int row = layout_.changeStarts[static_cast<std::size_t>(current_)];
    verticalScrollBar()->setValue(std::max(0, row - RowsInSight() / 4));
  }
  viewport()->update();
}

void CompareView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void CompareView::keyPressEvent(QKeyEvent* event) {
  QScrollBar* bar = verticalScrollBar();
  switch (event->key()) {
    case Qt::Key_Up:
      bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
      break;
    case Qt::Key_Down:
      bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      break;
    case Qt::Key_PageUp:
      bar->triggerAction(QAbstractSlider::SliderPageStepSub);
      break;
    case Qt::Key_PageDown:
      bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
      break;
    case Qt::Key_Home:
      bar->triggerAction(QAbstractSlider::SliderToMinimum);
      break;
    case Qt::Key_End:
      bar->triggerAction(QAbstractSlider::SliderToMaximum);
      break;
    default:
      QAbstractScrollArea::keyPressEvent(event);
  }
}

void CompareView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const int height = RowHeight();
  const int column = ColumnWidth();
  const int rows = static_cast<int>(layout_.rows.size());
  // The rows of the current change, for its mark.
  int currentFirst = -1;
  int currentEnd = -1;
  if (current_ >= 0) {
    currentFirst = layout_.changeStarts[static_cast<std::size_t>(current_)];
    currentEnd = currentFirst;
    while (currentEnd < rows &&
           layout_.rows[static_cast<std::size_t>(currentEnd)].kind != RowKind::kSame) {
      ++currentEnd;
    }
  }
  const int last = std::min(rows, TopRow() + RowsInSight() + 1);
  for (int row = TopRow(), y = 0; row < last; ++row, y += height) {
    PaintSide(painter, 0, row, y, true);
    PaintSide(painter, column + kDividerWidth, row, y, false);
    if (row >= currentFirst && row < currentEnd) {
      painter.fillRect(0, y, 3, height, kCurrentMark);
      painter.fillRect(column + kDividerWidth, y, 3, height, kCurrentMark);
    }
  }
  painter.fillRect(column, 0, kDividerWidth, viewport()->height(), palette().window());
}

void CompareView::PaintSide(QPainter& painter, int x, int row, int y, bool left) const {
  const CompareRow& entry = layout_.rows[static_cast<std::size_t>(row)];
  const int height = RowHeight();
  const int column = ColumnWidth();
  const int gutter = GutterWidth();
  const QColor background = Background(entry.kind, left);
  if (background.isValid()) painter.fillRect(x, y, column, height, background);
  painter.fillRect(x, y, gutter, height,
                   background.isValid() ? background.darker(108) : kGutterColour);
  const int line = left ? entry.left : entry.right;
  if (line < 0) return;
  const std::vector<QString>& lines = left ? layout_.leftLines : layout_.rightLines;
  const int baseline = y + fontMetrics().ascent();
  painter.setPen(palette().color(QPalette::PlaceholderText));
  painter.drawText(QRect(x, y, gutter - kTextMargin, height), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(line + 1));
  painter.setPen(palette().color(QPalette::Text));
  painter.save();
  painter.setClipRect(x + gutter, y, column - gutter, height);
  painter.drawText(x + gutter + kTextMargin - horizontalScrollBar()->value(), baseline,
                   ExpandTabs(lines[static_cast<std::size_t>(line)]));
  painter.restore();
}

}  // namespace tarn::dorn
