// Shared pieces of the front end's tests: the catalogue, scratch
// directories and scratch projects made with the engine's own commands.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/format/logfile_header.h"
#include "objects/env_var.h"

namespace tarn::dorn::testing {

// Loads the catalogue of the source tree (once per process).
void LoadCatalogue();

// Working settings for a scratch project under `root`: user ann (alone on
// the access list), logfiles in root/tarn, journals in root, one lock
// attempt.
tEnvVar ScratchSettings(const QString& root);

// Writes `text` into `path`, making its directory; false on failure.
bool WriteFile(const QString& path, const QByteArray& text);
QByteArray ReadFile(const QString& path);

// A logfile as the engine's own readers see it: the header (labels, lock
// count, revision count) and the revision descriptions in file order.
struct StoredLogfile {
  LogfileHeader header;
  QStringList descriptions;
  QStringList Labels() const;
};
std::optional<StoredLogfile> ReadStoredLogfile(const QString& path);

// A message box as the watcher met it.
struct SeenBox {
  QString title;
  QString text;
  QStringList buttons;  // their texts, accelerator marks removed, in order
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool enabled = true;  // could the user press its buttons?
  QString defaultButton;  // the one Return presses (empty: none set)
  QString informative;    // the text under the question
  QString details;        // behind "Show Details..."
};

// Answers the message boxes and dialogs that open modally while it lives:
// message boxes are closed with the button `press` names by its text or,
// where it names none, with the button `answer` decides (Yes by default);
// their texts are kept. Other dialogs go to `onDialog`, which fills them in
// and accepts or rejects them.
class ModalWatcher : public QObject {
 public:
  explicit ModalWatcher(QObject* parent = nullptr);

  std::function<bool(const QString& text)> answer;
  // The text of the button to press ("Yes to all"); empty: ask `answer`.
  std::function<QString(const QString& text)> press;
  std::function<void(QDialog& dialog)> onDialog;
  const QStringList& Texts() const { return texts_; }
  const std::vector<SeenBox>& Boxes() const { return boxes_; }
  void Clear() {
    texts_.clear();
    boxes_.clear();
  }

 private:
  void Check();
  void Close(QMessageBox& box);

  QTimer timer_;
  QStringList texts_;
  std::vector<SeenBox> boxes_;
};

}  // namespace tarn::dorn::testing
