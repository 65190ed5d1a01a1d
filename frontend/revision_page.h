// The Revision tab: the revisions of the selected file in file order and
// the details of the one chosen.
#pragma once

#include <QWidget>
#include <vector>

#include "frontend/logfile_details.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace tarn::dorn {

class RevisionPage : public QWidget {
  Q_OBJECT

 public:
  explicit RevisionPage(QWidget* parent = nullptr);

  // Fills the list ("Revision 1.3", ...) and selects the first entry.
  void Show(const LogfileDetails& details);
  void Clear();

  // The entries and the selected row, for the dialogs' revision lists.
  QStringList Entries() const;
  int SelectedRow() const;
  QListWidget* List() const { return list_; }

 private:
  void ShowRevision(int row);

  QListWidget* list_;
  QLineEdit* creator_;
  QLineEdit* lockedBy_;
  QLineEdit* lastEdit_;
  QLineEdit* checkinDate_;
  QLineEdit* compressedFrom_;
  QLineEdit* compressedTo_;
  QPlainTextEdit* comment_;
  std::vector<RevisionDetails> revisions_;
};

// "%A %X %x" in local time: "Tuesday 10:15:00 12/08/26".
QString LongDateText(std::int64_t seconds);

}  // namespace tarn::dorn
