// Shared pieces of the front end's tests: the catalogue, scratch
// directories and scratch projects made with the engine's own commands.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "frontend/user_directory.h"
#include "frontend/user_preferences.h"

namespace tarn::dorn::testing {

// Loads the catalogue of the source tree (once per process).
void LoadCatalogue();

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

// A user list in memory, with the login rules.
class MemoryUsers : public UserDirectory {
 public:
  std::vector<std::pair<std::string, std::string>> users;  // name, password

  std::vector<std::string> Users() override;
  // Names compare with letter case, unless `foldCase`.
  bool foldCase = false;
  bool AddUser(const std::string& name) override;
  void DeleteUser(const std::string& name) override;
  LoginResult CheckLogin(const std::string& name, const std::string& password) override;
};

class MemoryPreferences : public UserPreferences {
 public:
  std::map<int, std::string> values;
  std::optional<std::string> Value(const MessageId& key) override;
  void SetValue(const MessageId& key, const std::string& value) override;
};

}  // namespace tarn::dorn::testing
