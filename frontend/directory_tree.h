// The directory tree: the root "This WorkStation" with the file-system root
// and the home directory below it; a directory shows the expand mark only
// when it has subdirectories, which are read when it is first expanded.
#pragma once

#include <QTreeWidget>

namespace tarn::dorn {

class DirectoryTree : public QTreeWidget {
  Q_OBJECT

 public:
  explicit DirectoryTree(QWidget* parent = nullptr);

  // Rebuilds the top of the tree (the root and its two children).
  void ReloadRoots();
  // Expands the tree down to `path` and makes it the current item, without
  // announcing it as chosen.
  void ShowPath(const QString& path);
  // The directory of an item; empty for the root.
  static QString PathOf(const QTreeWidgetItem* item);

 signals:
  void DirectoryChosen(const QString& path);

 private:
  QTreeWidgetItem* AddDirectory(QTreeWidgetItem* parent, const QString& label,
                                const QString& path);
  void FillChildren(QTreeWidgetItem* item);
  void OnItemActivated(QTreeWidgetItem* item);

  QTreeWidgetItem* root_ = nullptr;
};

}  // namespace tarn::dorn
