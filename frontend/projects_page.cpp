#include "frontend/projects_page.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarn::dorn {

ProjectsPage::ProjectsPage(QWidget* parent)
    : QWidget(parent),
      list_(new QTreeWidget(this)),
      system_(new QRadioButton(tr("System"), this)),
      user_(new QRadioButton(tr("User"), this)),
      buttons_(new QHBoxLayout) {
  system_->setObjectName(QStringLiteral("system"));
  user_->setObjectName(QStringLiteral("user"));
  list_->setColumnCount(2);
  list_->setHeaderLabels({tr("Project"), tr("Location")});
  list_->setRootIsDecorated(false);
  list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  auto* choice = new QHBoxLayout;
  choice->addWidget(system_);
  choice->addWidget(user_);
  choice->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choice);
  layout->addWidget(list_);
  layout->addLayout(buttons_);
  system_->setChecked(true);
  connect(system_, &QRadioButton::toggled, this, &ProjectsPage::Fill);
}

void ProjectsPage::Show(const ProjectListing& systemProjects, const ProjectListing& userProjects,
                        bool system, const QString& current) {
  systemProjects_ = systemProjects;
  userProjects_ = userProjects;
  current_ = current;
  const QSignalBlocker blocker(system_);
  (system ? system_ : user_)->setChecked(true);
  Fill();
}

bool ProjectsPage::ShowsSystemProjects() const { return system_->isChecked(); }

void ProjectsPage::Fill() {
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
}

}  // namespace tarn::dorn
