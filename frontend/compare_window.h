// TARN's own compare window, opened where no compare program is
// configured: a revision and the workfile side by side, the changed lines
// coloured, with buttons (and Alt+Down, Alt+Up) that go to the next and
// the previous change. It holds both texts itself, so the revision's
// temporary file can go as soon as the window is open.
#pragma once

#include <QWidget>

#include "frontend/compare_rows.h"

class QLabel;
class QPushButton;

namespace tarn::dorn {

class CompareView;

class CompareWindow : public QWidget {
  Q_OBJECT

 public:
  // The window deletes itself when closed.
  CompareWindow(CompareLayout layout, const QString& title, const QString& leftHeading,
                const QString& rightHeading, QWidget* parent = nullptr);

  const CompareLayout& Layout() const { return layout_; }
  // The change marked (index into Layout().changeStarts), -1 for none.
  int CurrentChange() const { return current_; }
  void GoToChange(int index);

  CompareView* View() const { return view_; }
  QPushButton* NextButton() const { return next_; }
  QPushButton* PreviousButton() const { return previous_; }
  QLabel* Summary() const { return summary_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void UpdateNavigation();

  CompareLayout layout_;
  int current_ = -1;
  bool shown_ = false;
  CompareView* view_;
  QPushButton* previous_;
  QPushButton* next_;
  QLabel* summary_;
};

}  // namespace tarn::dorn
