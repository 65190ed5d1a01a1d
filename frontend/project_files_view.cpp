#include "frontend/project_files_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

#include "frontend/new_marker_delegate.h"
#include "frontend/project_files_model.h"

namespace tarn::dorn {

ProjectFilesView::ProjectFilesView(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setItemDelegateForColumn(0, new NewMarkerDelegate(this));
  setShowGrid(false);
  setWordWrap(false);
  // A workfile path too long for its column keeps its file name in sight.
  setTextElideMode(Qt::ElideMiddle);
  setAlternatingRowColors(true);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(true);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setTabKeyNavigation(false);
}

void ProjectFilesView::SetModel(ProjectFilesModel* model) {
  model_ = model;
  setModel(model);
  // Room for a name with its marker, a user, a whole time stamp, a path
  // and a size.
  const QFontMetrics metrics = fontMetrics();
  const int pad = 3 * metrics.averageCharWidth();
  const int widths[] = {metrics.horizontalAdvance(QStringLiteral("New  filename.cpp")),
                        metrics.horizontalAdvance(QStringLiteral("Locked By")),
                        metrics.horizontalAdvance(QStringLiteral("Wed Sep 30 12:34:56 2026")),
                        metrics.horizontalAdvance(QStringLiteral("/home/user/src/project/")),
                        metrics.horizontalAdvance(QStringLiteral("File size"))};
  for (int column = 0; column < 5; ++column) setColumnWidth(column, widths[column] + pad);
}

std::vector<std::string> ProjectFilesView::SelectedNames() const {
  std::vector<int> rows;
  if (selectionModel()) {
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
  }
  std::sort(rows.begin(), rows.end());
  std::vector<std::string> names;
  for (int row : rows) names.push_back(model_->Entry(row).name);
  return names;
}

void ProjectFilesView::SelectName(const std::string& name) {
  if (const std::optional<int> row = model_->RowOf(name)) {
    selectRow(*row);
    scrollTo(model_->index(*row, 0));
  }
}

bool ProjectFilesView::SelectByInitial(QChar c) {
  const int count = model_->rowCount();
  if (count == 0) return false;
  const QModelIndexList selected = selectionModel()->selectedRows();
  int start = 0;
  if (!selected.isEmpty()) {
    int first = count;
    for (const QModelIndex& index : selected) first = std::min(first, index.row());
    start = first + 1;
  }
  const QChar wanted = c.toLower();
  for (int step = 0; step < count; ++step) {
    const int row = (start + step) % count;
    const std::string& name = model_->Entry(row).name;
    if (!name.empty() && QChar(name[0]).toLower() == wanted) {
      clearSelection();
      selectRow(row);
      scrollTo(model_->index(row, 0));
      return true;
    }
  }
  return false;
}

void ProjectFilesView::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  if (model_ && text.size() == 1 && text[0].isPrint() && !text[0].isSpace() &&
      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    SelectByInitial(text[0]);
    return;
  }
  QTableView::keyPressEvent(event);
}

void ProjectFilesView::contextMenuEvent(QContextMenuEvent* event) {
  if (selectionModel() && selectionModel()->hasSelection()) emit ContextMenuWanted(event->globalPos());
}

}  // namespace tarn::dorn
