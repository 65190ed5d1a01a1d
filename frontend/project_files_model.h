// The project files list as a table model: one row per logfile of the
// project, five columns, kept sorted by the chosen column.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "frontend/project_file.h"

namespace tarn::dorn {

class ProjectFilesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Data role of the first column: true when the entry carries the "New"
  // marker.
  static constexpr int kNewMarkerRole = Qt::UserRole + 1;
  // The first column's marker text for a logfile that cannot be shown
  // (empty for a sound one), and whether it is damaged rather than busy.
  static constexpr int kProblemMarkerRole = Qt::UserRole + 2;
  static constexpr int kDamagedRole = Qt::UserRole + 3;

  explicit ProjectFilesModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  void Clear();
  // Inserts the entry where the sort column puts it; returns its row.
  int Add(ProjectFile file);
  // Puts a re-read entry in place of the one of the same name, at the same
  // row. False when there is none.
  bool Replace(ProjectFile file);
  bool Remove(const std::string& name);

  FileColumn SortColumn() const { return sortColumn_; }
  Qt::SortOrder SortOrder() const { return sortOrder_; }
  // Re-sorts the entries when the column or the order changes. Ascending is
  // each column's natural order (see SortsBefore); descending its reverse.
  void SetSortColumn(FileColumn column, Qt::SortOrder order = Qt::AscendingOrder);

  const ProjectFile& Entry(int row) const { return files_[static_cast<std::size_t>(row)]; }
  const std::vector<ProjectFile>& Entries() const { return files_; }
  std::optional<int> RowOf(const std::string& name) const;

 private:
  std::size_t InsertionRow(const ProjectFile& file) const;

  std::vector<ProjectFile> files_;
  bool Before(const ProjectFile& a, const ProjectFile& b) const;

  FileColumn sortColumn_ = FileColumn::kFilename;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

// The sort column as the user INI file stores it (the column's catalogue
// word) and back; an unknown word means the file name.
std::string SortColumnWord(FileColumn column);
FileColumn SortColumnFromWord(const std::string& word);

}  // namespace tarn::dorn
