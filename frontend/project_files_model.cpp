#include "frontend/project_files_model.h"

#include <algorithm>

#include "frontend/front_text.h"

namespace tarn::dorn {
namespace {

const MessageId& ColumnWord(FileColumn column) {
  switch (column) {
    case FileColumn::kLockedBy:
      return msg::kColumnLockedBy;
    case FileColumn::kLastChanged:
      return msg::kColumnLastChanged;
    case FileColumn::kWorkfileIn:
      return msg::kColumnWorkfileIn;
    case FileColumn::kFileSize:
      return msg::kColumnFileSize;
    case FileColumn::kFilename:
      break;
  }
  return msg::kColumnFilename;
}

}  // namespace

ProjectFilesModel::ProjectFilesModel(QObject* parent) : QAbstractTableModel(parent) {}

int ProjectFilesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(files_.size());
}

int ProjectFilesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kFileColumnCount;
}

QVariant ProjectFilesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const ProjectFile& file = Entry(index.row());
  const auto column = static_cast<FileColumn>(index.column());
  if (role == Qt::DisplayRole) return Qs(ColumnText(file, column));
  // A name or path cut to the column's width shows whole when the pointer
  // rests; a logfile that cannot be shown tells why.
  if (role == Qt::ToolTipRole) {
    if (column == FileColumn::kFilename) {
      return file.problem.empty() ? Qs(file.name) : Qs(file.name + "\n" + file.problem);
    }
    const std::string text = ColumnText(file, column);
    return text.empty() ? QVariant() : QVariant(Qs(text));
  }
  if (role == kNewMarkerRole && column == FileColumn::kFilename) return ShowsNewMarker(file);
  if (role == kProblemMarkerRole && column == FileColumn::kFilename && !file.problem.empty()) {
    return CatalogueText(file.damaged ? msg::kDamagedMarker : msg::kBusyMarker);
  }
  if (role == kDamagedRole && column == FileColumn::kFilename) return file.damaged;
  if (role == Qt::TextAlignmentRole && column == FileColumn::kFileSize) {
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  }
  return {};
}

QVariant ProjectFilesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= kFileColumnCount) return {};
  return CatalogueText(ColumnWord(static_cast<FileColumn>(section)));
}

void ProjectFilesModel::Clear() {
  beginResetModel();
  files_.clear();
  endResetModel();
}

std::size_t ProjectFilesModel::InsertionRow(const ProjectFile& file) const {
  const auto at = std::upper_bound(
      files_.begin(), files_.end(), file,
      [this](const ProjectFile& a, const ProjectFile& b) { return Before(a, b); });
  return static_cast<std::size_t>(at - files_.begin());
}

int ProjectFilesModel::Add(ProjectFile file) {
  const std::size_t row = InsertionRow(file);
  beginInsertRows(QModelIndex(), static_cast<int>(row), static_cast<int>(row));
  files_.insert(files_.begin() + static_cast<std::ptrdiff_t>(row), std::move(file));
  endInsertRows();
  return static_cast<int>(row);
}

bool ProjectFilesModel::Replace(ProjectFile file) {
  const std::optional<int> row = RowOf(file.name);
  if (!row) return false;
  files_[static_cast<std::size_t>(*row)] = std::move(file);
  emit dataChanged(index(*row, 0), index(*row, kFileColumnCount - 1));
  return true;
}

bool ProjectFilesModel::Remove(const std::string& name) {
  const std::optional<int> row = RowOf(name);
  if (!row) return false;
  beginRemoveRows(QModelIndex(), *row, *row);
  files_.erase(files_.begin() + *row);
  endRemoveRows();
  return true;
}

bool ProjectFilesModel::Before(const ProjectFile& a, const ProjectFile& b) const {
  return sortOrder_ == Qt::AscendingOrder ? SortsBefore(a, b, sortColumn_)
                                          : SortsBefore(b, a, sortColumn_);
}

void ProjectFilesModel::SetSortColumn(FileColumn column, Qt::SortOrder order) {
  if (column == sortColumn_ && order == sortOrder_) return;
  // The rows move, not the entries: views keep a selection of entries
  // through the change (see QAbstractItemModel::layoutChanged).
  emit layoutAboutToBeChanged();
  const QModelIndexList before = persistentIndexList();
  std::vector<std::string> names;
  for (const QModelIndex& index : before) names.push_back(Entry(index.row()).name);
  sortColumn_ = column;
  sortOrder_ = order;
  std::stable_sort(files_.begin(), files_.end(),
                   [this](const ProjectFile& a, const ProjectFile& b) { return Before(a, b); });
  QModelIndexList after;
  for (std::size_t i = 0; i < names.size(); ++i) {
    after << index(RowOf(names[i]).value_or(0), before[static_cast<qsizetype>(i)].column());
  }
  changePersistentIndexList(before, after);
  emit layoutChanged();
}

std::optional<int> ProjectFilesModel::RowOf(const std::string& name) const {
  for (std::size_t row = 0; row < files_.size(); ++row) {
    if (files_[row].name == name) return static_cast<int>(row);
  }
  return std::nullopt;
}

std::string SortColumnWord(FileColumn column) { return MessageText(ColumnWord(column).number); }

FileColumn SortColumnFromWord(const std::string& word) {
  for (int column = 0; column < kFileColumnCount; ++column) {
    if (word == SortColumnWord(static_cast<FileColumn>(column))) {
      return static_cast<FileColumn>(column);
    }
  }
  return FileColumn::kFilename;
}

}  // namespace tarn::dorn
