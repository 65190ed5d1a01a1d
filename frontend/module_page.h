// The Module tab: the selected file's header and its attributes.
#pragma once

#include <QWidget>
#include <array>

#include "frontend/logfile_details.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace tarn::dorn {

class ModulePage : public QWidget {
  Q_OBJECT

 public:
  explicit ModulePage(QWidget* parent = nullptr);

  void Show(const LogfileDetails& details);
  // Empty fields; the attribute buttons undetermined.
  void Clear();

  // The attribute buttons in the order of their bits (check locks first).
  static constexpr int kAttributeCount = 8;
  const std::array<QCheckBox*, kAttributeCount>& AttributeButtons() const { return attributes_; }

 private:
  QLineEdit* author_;
  QLineEdit* newestTrunk_;
  QLineEdit* lockCount_;
  QLineEdit* commentPrefix_;
  QLineEdit* defaultBranch_;
  QLineEdit* revisionCount_;
  QPlainTextEdit* accessList_;
  QPlainTextEdit* labels_;
  QPlainTextEdit* description_;
  std::array<QCheckBox*, kAttributeCount> attributes_{};
};

// The attribute names of the logfile attribute bits 0..7, as the dialogs
// label them.
QString AttributeTitle(int bit);

}  // namespace tarn::dorn
