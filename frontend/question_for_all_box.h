// The question box of a run over many files: no title, the engine's
// question, and the buttons "Yes", "Yes to all", "No to all" and "No" in
// that order. The "to all" answers are for the host to keep.
#pragma once

#include <QMessageBox>

namespace tarn::dorn {

class QuestionForAllBox : public QMessageBox {
  Q_OBJECT

 public:
  enum class Choice { kYes, kYesToAll, kNoToAll, kNo };

  QuestionForAllBox(const QString& question, QWidget* parent);

  // The button pressed; closing the box without one is a plain No.
  Choice Chosen() const;

 private:
  QPushButton* yes_;
  QPushButton* yesToAll_;
  QPushButton* noToAll_;
  QPushButton* no_;
};

}  // namespace tarn::dorn
