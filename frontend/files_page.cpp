#include "frontend/files_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarn::dorn {
namespace {

QListWidget* SortedList(QWidget* parent, QAbstractItemView::SelectionMode mode) {
  auto* list = new QListWidget(parent);
  list->setSortingEnabled(true);
  list->setSelectionMode(mode);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  return list;
}

void RemoveItem(QListWidget* list, const QString& name) {
  const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
  for (QListWidgetItem* item : found) delete list->takeItem(list->row(item));
}

}  // namespace

FilesPage::FilesPage(QWidget* parent)
    : QWidget(parent),
      workfiles_(SortedList(this, QAbstractItemView::ExtendedSelection)),
      projectFiles_(SortedList(this, QAbstractItemView::SingleSelection)),
      add_(new QPushButton(QStringLiteral(">>"), this)),
      remove_(new QPushButton(QStringLiteral("<<"), this)) {
  add_->setToolTip(tr("Put the selected workfiles under control"));
  remove_->setToolTip(tr("Remove the selected file and its history from the project"));
  auto* buttons = new QVBoxLayout;
  buttons->addStretch();
  buttons->addWidget(add_);
  buttons->addWidget(remove_);
  buttons->addStretch();
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(tr("Files to add..."), this), 0, 0);
  grid->addWidget(new QLabel(tr("Files in project:"), this), 0, 2);
  grid->addWidget(workfiles_, 1, 0);
  grid->addLayout(buttons, 1, 1);
  grid->addWidget(projectFiles_, 1, 2);
  connect(add_, &QPushButton::clicked, this, [this] {
    const QStringList names = SelectedWorkfiles();
    if (!names.isEmpty()) emit AddRequested(names);
  });
  connect(remove_, &QPushButton::clicked, this, [this] {
    const QString name = SelectedProjectFile();
    if (!name.isEmpty()) emit RemoveRequested(name);
  });
  connect(workfiles_, &QListWidget::itemSelectionChanged, this, &FilesPage::UpdateButtons);
  connect(projectFiles_, &QListWidget::itemSelectionChanged, this, &FilesPage::UpdateButtons);
  UpdateButtons();
}

void FilesPage::Show(const QStringList& workfiles, const QStringList& projectFiles) {
  workfiles_->clear();
  projectFiles_->clear();
  projectFiles_->addItems(projectFiles);
  for (const QString& name : workfiles) {
    if (!projectFiles.contains(name)) workfiles_->addItem(name);
  }
  UpdateButtons();
}

void FilesPage::MoveToProject(const QString& name) {
  RemoveItem(workfiles_, name);
  if (projectFiles_->findItems(name, Qt::MatchExactly).isEmpty()) projectFiles_->addItem(name);
  UpdateButtons();
}

void FilesPage::MoveToWorkfiles(const QString& name) {
  RemoveItem(projectFiles_, name);
  if (workfiles_->findItems(name, Qt::MatchExactly).isEmpty()) workfiles_->addItem(name);
  UpdateButtons();
}

bool FilesPage::SelectWorkfile(const QString& name) {
  const QList<QListWidgetItem*> found = workfiles_->findItems(name, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  workfiles_->clearSelection();
  workfiles_->setCurrentItem(found.first());
  found.first()->setSelected(true);
  return true;
}

QStringList FilesPage::SelectedWorkfiles() const {
  QStringList names;
  for (int row = 0; row < workfiles_->count(); ++row) {
    if (workfiles_->item(row)->isSelected()) names << workfiles_->item(row)->text();
  }
  return names;
}

QString FilesPage::SelectedProjectFile() const {
  const QList<QListWidgetItem*> selected = projectFiles_->selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text();
}

void FilesPage::UpdateButtons() {
  add_->setEnabled(!workfiles_->selectedItems().isEmpty());
  remove_->setEnabled(!projectFiles_->selectedItems().isEmpty());
}

}  // namespace tarn::dorn
