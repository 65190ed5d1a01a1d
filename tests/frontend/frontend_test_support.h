// Shared pieces of the front end's tests: the catalogue, scratch
// directories and scratch projects made with the engine's own commands.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

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

// Answers the message boxes and dialogs that open modally while it lives:
// message boxes are closed with the button `answer` decides (Yes by
// default) and their texts kept; other dialogs go to `onDialog`, which
// fills them in and accepts or rejects them.
class ModalWatcher : public QObject {
 public:
  explicit ModalWatcher(QObject* parent = nullptr);

  std::function<bool(const QString& text)> answer;
  std::function<void(QDialog& dialog)> onDialog;
  const QStringList& Texts() const { return texts_; }
  void Clear() { texts_.clear(); }

 private:
  void Check();

  QTimer timer_;
  QStringList texts_;
};

}  // namespace tarn::dorn::testing
