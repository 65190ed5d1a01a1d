#include "frontend/directory_tree.h"

#include <QDir>
#include <QDirIterator>
#include <QHeaderView>

namespace tarn::dorn {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

QDir::Filters SubdirectoryFilter() { return QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden; }

bool HasSubdirectory(const QString& path) {
  QDirIterator it(path, SubdirectoryFilter());
  return it.hasNext();
}

}  // namespace

DirectoryTree::DirectoryTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  connect(this, &QTreeWidget::itemExpanded, this, &DirectoryTree::FillChildren);
  connect(this, &QTreeWidget::itemClicked, this, &DirectoryTree::OnItemActivated);
  connect(this, &QTreeWidget::itemActivated, this, &DirectoryTree::OnItemActivated);
  ReloadRoots();
}

QString DirectoryTree::PathOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, kPathRole).toString() : QString();
}

void DirectoryTree::ReloadRoots() {
  clear();
  root_ = new QTreeWidgetItem(this, QStringList(tr("This WorkStation")));
  root_->setData(0, kFilledRole, true);
  AddDirectory(root_, QStringLiteral("/"), QStringLiteral("/"));
  const QString home = QDir::homePath();
  AddDirectory(root_, QStringLiteral("%1 [%2]").arg(home, tr("Home")), home);
  root_->setExpanded(true);
}

QTreeWidgetItem* DirectoryTree::AddDirectory(QTreeWidgetItem* parent, const QString& label,
                                             const QString& path) {
  auto* item = new QTreeWidgetItem(parent, QStringList(label));
  item->setData(0, kPathRole, path);
  item->setData(0, kFilledRole, false);
  item->setChildIndicatorPolicy(HasSubdirectory(path) ? QTreeWidgetItem::ShowIndicator
                                                      : QTreeWidgetItem::DontShowIndicator);
  return item;
}

void DirectoryTree::FillChildren(QTreeWidgetItem* item) {
  if (item->data(0, kFilledRole).toBool()) return;
  item->setData(0, kFilledRole, true);
  const QString path = PathOf(item);
  QDir directory(path);
  const QStringList names =
      directory.entryList(SubdirectoryFilter(), QDir::Name | QDir::IgnoreCase);
  for (const QString& name : names) AddDirectory(item, name, directory.filePath(name));
  if (names.isEmpty()) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

void DirectoryTree::ShowPath(const QString& path) {
  const QString wanted = QDir::cleanPath(QDir(path).absolutePath());
  // Start below the home directory when the path lies there, else at "/".
  QTreeWidgetItem* item = root_->child(0);
  const QString home = QDir::cleanPath(QDir::homePath());
  if (wanted == home || wanted.startsWith(home + QLatin1Char('/'))) item = root_->child(1);
  while (item && PathOf(item) != wanted) {
    FillChildren(item);
    item->setExpanded(true);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < item->childCount(); ++i) {
      const QString childPath = QDir::cleanPath(PathOf(item->child(i)));
      const QString prefix = childPath.endsWith(QLatin1Char('/')) ? childPath
                                                                  : childPath + QLatin1Char('/');
      if (wanted == childPath || wanted.startsWith(prefix)) {
        next = item->child(i);
        break;
      }
    }
    item = next;
  }
  if (item) {
    const QSignalBlocker blocker(this);
    setCurrentItem(item);
    scrollToItem(item);
  }
}

void DirectoryTree::OnItemActivated(QTreeWidgetItem* item) {
  if (item == root_) {
    ReloadRoots();
    return;
  }
  emit DirectoryChosen(PathOf(item));
}

}  // namespace tarn::dorn
