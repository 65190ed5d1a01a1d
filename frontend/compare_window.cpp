#include "frontend/compare_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "frontend/compare_view.h"
#include "frontend/front_text.h"

namespace tarn::dorn {
namespace {

QLabel* Heading(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

}  // namespace

CompareWindow::CompareWindow(CompareLayout layout, const QString& title, const QString& leftHeading,
                             const QString& rightHeading, QWidget* parent)
    : QWidget(parent, Qt::Window),
      layout_(std::move(layout)),
      view_(new CompareView(layout_, this)),
      previous_(new QPushButton(tr("&Previous change"), this)),
      next_(new QPushButton(tr("&Next change"), this)),
      summary_(new QLabel(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(title);
  previous_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
  next_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Down));
  previous_->setToolTip(tr("Go to the previous change (Alt+Up)"));
  next_->setToolTip(tr("Go to the next change (Alt+Down)"));
  auto* close = new QPushButton(tr("&Close"), this);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(previous_, &QPushButton::clicked, this, [this] { GoToChange(current_ - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { GoToChange(current_ + 1); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(previous_);
  buttons->addWidget(next_);
  buttons->addSpacing(12);
  buttons->addWidget(summary_, 1);
  buttons->addWidget(close);
  auto* headings = new QGridLayout;
  headings->addWidget(Heading(leftHeading, this), 0, 0);
  headings->addWidget(Heading(rightHeading, this), 0, 1);
  headings->setColumnStretch(0, 1);
  headings->setColumnStretch(1, 1);
  auto* body = new QVBoxLayout(this);
  body->addLayout(buttons);
  body->addLayout(headings);
  body->addWidget(view_, 1);

  GoToChange(layout_.changeStarts.empty() ? -1 : 0);
  view_->setFocus();
}

void CompareWindow::GoToChange(int index) {
  const int count = static_cast<int>(layout_.changeStarts.size());
  if (index < 0 || index >= count) {
    if (count > 0) return;  // stay on the first or the last change
    index = -1;
  }
  current_ = index;
  view_->ShowChange(current_);
  UpdateNavigation();
}

void CompareWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Only now has the view its height: the first change goes where it shows
  // best, a little below the top.
  if (!shown_) GoToChange(current_);
  shown_ = true;
}

void CompareWindow::UpdateNavigation() {
  const int count = static_cast<int>(layout_.changeStarts.size());
  previous_->setEnabled(current_ > 0);
  next_->setEnabled(current_ + 1 < count);
  if (count == 0) {
    summary_->setText(CatalogueText(msg::kCompareIdentical));
  } else {
    summary_->setText(FrontText(msg::kCompareChangeAt, current_ + 1, count));
  }
}

}  // namespace tarn::dorn
