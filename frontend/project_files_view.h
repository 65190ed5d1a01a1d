// The table view of the project files list: several entries can be
// selected, a typed character selects the next file whose name begins with
// it, and a right click on a selection asks for the File menu.
#pragma once

#include <QTableView>
#include <string>
#include <vector>

namespace tarn::dorn {

class ProjectFilesModel;

class ProjectFilesView : public QTableView {
  Q_OBJECT

 public:
  explicit ProjectFilesView(QWidget* parent = nullptr);

  void SetModel(ProjectFilesModel* model);
  ProjectFilesModel* Model() const { return model_; }

  // The selected names in list order.
  std::vector<std::string> SelectedNames() const;
  void SelectName(const std::string& name);

  // Selects the next entry after the first selected one (from the top after
  // the last) whose name begins with `c`, letter case ignored. Returns true
  // when one was found.
  bool SelectByInitial(QChar c);

 signals:
  void ContextMenuWanted(const QPoint& globalPosition);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  ProjectFilesModel* model_ = nullptr;
};

}  // namespace tarn::dorn
