#include "frontend/projects_page.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "frontend/front_text.h"

namespace tarn::dorn {

ProjectsPage::ProjectsPage(QWidget* parent)
    : QWidget(parent),
      list_(new QTreeWidget(this)),
      system_(new QRadioButton(tr("System"), this)),
      user_(new QRadioButton(tr("User"), this)),
      projectLocation_(new QLineEdit(this)),
      workfileLocation_(new QLineEdit(this)),
      buttons_(new QHBoxLayout),
      new_(AddButton(tr("&New"), "new")),
      edit_(AddButton(tr("&Edit"), "edit")),
      delete_(AddButton(tr("&Delete"), "delete")),
      goTo_(AddButton(tr("&Go To"), "goTo")),
      copyToUser_(AddButton(tr("Copy to User"), "copyToUser")) {
  system_->setObjectName(QStringLiteral("system"));
  user_->setObjectName(QStringLiteral("user"));
  list_->setColumnCount(2);
  list_->setHeaderLabels({tr("Project"), tr("Location")});
  list_->setRootIsDecorated(false);
  list_->setSortingEnabled(true);
  list_->sortByColumn(0, Qt::AscendingOrder);
  list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  for (QLineEdit* field : {projectLocation_, workfileLocation_}) field->setReadOnly(true);
  projectLocation_->setObjectName(QStringLiteral("projectLocation"));
  workfileLocation_->setObjectName(QStringLiteral("workfileLocation"));
  auto* choice = new QHBoxLayout;
  choice->addWidget(new QLabel(tr("Project Type:"), this));
  choice->addWidget(system_);
  choice->addWidget(user_);
  choice->addStretch();
  auto* locations = new QFormLayout;
  locations->addRow(tr("Project location:"), projectLocation_);
  locations->addRow(tr("Workfile location:"), workfileLocation_);
  buttons_->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choice);
  layout->addWidget(list_);
  layout->addLayout(locations);
  layout->addLayout(buttons_);
  system_->setChecked(true);
  connect(system_, &QRadioButton::toggled, this, &ProjectsPage::Fill);
  connect(list_, &QTreeWidget::itemSelectionChanged, this, &ProjectsPage::OnSelectionChanged);
  connect(new_, &QPushButton::clicked, this, [this] { emit NewRequested(ShowsSystemProjects()); });
  connect(edit_, &QPushButton::clicked, this,
          [this] { emit EditRequested(SelectedName(), ShowsSystemProjects()); });
  connect(delete_, &QPushButton::clicked, this,
          [this] { emit DeleteRequested(SelectedName(), ShowsSystemProjects()); });
  connect(goTo_, &QPushButton::clicked, this,
          [this] { emit GoToRequested(SelectedName(), ShowsSystemProjects()); });
  connect(copyToUser_, &QPushButton::clicked, this,
          [this] { emit CopyToUserRequested(SelectedName(), ShownLocations()); });
  OnSelectionChanged();
}

QPushButton* ProjectsPage::AddButton(const QString& text, const char* objectName) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(QString::fromLatin1(objectName));
  buttons_->addWidget(button);
  return button;
}

void ProjectsPage::Show(const ProjectListing& systemProjects, const ProjectListing& userProjects,
                        bool system, const QString& current) {
  systemProjects_ = systemProjects;
  userProjects_ = userProjects;
  current_ = current;
  {
    const QSignalBlocker blocker(system_);
    (system ? system_ : user_)->setChecked(true);
  }
  Fill();
  Select(current_);
}

bool ProjectsPage::ShowsSystemProjects() const { return system_->isChecked(); }

void ProjectsPage::ShowList(bool system, const QString& name) {
  (system ? system_ : user_)->setChecked(true);
  Fill();
  Select(name);
}

QString ProjectsPage::SelectedName() const {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? QString() : selected.front()->text(0);
}

bool ProjectsPage::SelectedIsDefault() const {
  return ShowsSystemProjects() && SelectedName() == CatalogueText(msg::kIniDefaultProject);
}

void ProjectsPage::Select(const QString& name) {
  const QList<QTreeWidgetItem*> found = list_->findItems(name, Qt::MatchExactly, 0);
  if (found.isEmpty()) {
    list_->clearSelection();
  } else {
    list_->setCurrentItem(found.front());
  }
  OnSelectionChanged();
}

void ProjectsPage::SetLocator(std::function<ProjectLocations(const QString&, bool)> locator) {
  locator_ = std::move(locator);
  OnSelectionChanged();
}

ProjectLocations ProjectsPage::ShownLocations() const {
  return {projectLocation_->text(), workfileLocation_->text()};
}

void ProjectsPage::Fill() {
  const QSignalBlocker blocker(list_);
  list_->clear();
  for (const auto& [name, location] : ShowsSystemProjects() ? systemProjects_ : userProjects_) {
    auto* item = new QTreeWidgetItem(list_, {name, location});
    if (name == current_) {
      QFont font = item->font(0);
      font.setBold(true);
      item->setFont(0, font);
      item->setFont(1, font);
    }
  }
  OnSelectionChanged();
}

void ProjectsPage::OnSelectionChanged() {
  const QString name = SelectedName();
  const bool chosen = !name.isEmpty();
  const bool isDefault = SelectedIsDefault();
  ProjectLocations shown;
  if (chosen && !isDefault && locator_) shown = locator_(name, ShowsSystemProjects());
  projectLocation_->setText(shown.project);
  workfileLocation_->setText(shown.workfile);
  edit_->setEnabled(chosen);
  delete_->setEnabled(chosen && !isDefault);
  goTo_->setEnabled(chosen && !isDefault);
  copyToUser_->setEnabled(chosen && !isDefault && ShowsSystemProjects());
}

}  // namespace tarn::dorn
