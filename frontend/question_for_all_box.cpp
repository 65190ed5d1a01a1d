#include "frontend/question_for_all_box.h"

#include <QPushButton>

#include "frontend/front_text.h"

namespace tarn::dorn {

QuestionForAllBox::QuestionForAllBox(const QString& question, QWidget* parent)
    : QMessageBox(QMessageBox::Question, QString(), question, QMessageBox::NoButton, parent),
      // One role for all four keeps them in this order on every desktop.
      yes_(addButton(CatalogueText(msg::kAnswerYes), QMessageBox::ActionRole)),
      yesToAll_(addButton(CatalogueText(msg::kAnswerYesToAll), QMessageBox::ActionRole)),
      noToAll_(addButton(CatalogueText(msg::kAnswerNoToAll), QMessageBox::ActionRole)),
      no_(addButton(CatalogueText(msg::kAnswerNo), QMessageBox::ActionRole)) {
  // Return alone answers No: a Yes may replace a file.
  setDefaultButton(no_);
  setEscapeButton(no_);
}

QuestionForAllBox::Choice QuestionForAllBox::Chosen() const {
  const QAbstractButton* chosen = clickedButton();
  if (chosen == yes_) return Choice::kYes;
  if (chosen == yesToAll_) return Choice::kYesToAll;
  if (chosen == noToAll_) return Choice::kNoToAll;
  return Choice::kNo;
}

}  // namespace tarn::dorn
