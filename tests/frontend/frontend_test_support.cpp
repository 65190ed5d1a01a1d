#include "frontend_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QtTest>
#include <algorithm>

#include "engine/support/message_catalogue.h"

namespace tarn::dorn::testing {

void LoadCatalogue() {
  static const bool loaded =
      LoadMessageFile("tests", kCatalogueFileName, TARN_SOURCE_DIR "/catalogue") == 1;
  QVERIFY2(loaded, "the catalogue of the source tree cannot be loaded");
}

bool WriteFile(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(text) == text.size();
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

ModalWatcher::ModalWatcher(QObject* parent) : QObject(parent) {
  connect(&timer_, &QTimer::timeout, this, &ModalWatcher::Check);
  timer_.start(20);
}

void ModalWatcher::Check() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal) return;
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    texts_ << box->text();
    const bool yes = answer ? answer(box->text()) : true;
    QAbstractButton* button = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
    if (!button) button = box->button(QMessageBox::Ok);
    if (!button) button = box->escapeButton();
    if (button) {
      button->click();
    } else {
      box->done(0);
    }
    return;
  }
  if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && onDialog) {
    // Each dialog once: the handler may keep it open (a refused choice).
    if (dialog->property("watched").toBool()) return;
    dialog->setProperty("watched", true);
    onDialog(*dialog);
  }
}

std::vector<std::string> MemoryUsers::Users() {
  std::vector<std::string> names;
  for (const auto& [name, password] : users) names.push_back(name);
  return names;
}

bool MemoryUsers::AddUser(const std::string& name) {
  for (const auto& user : users) {
    if (foldCase ? QString::fromStdString(user.first).compare(QString::fromStdString(name),
                                                             Qt::CaseInsensitive) == 0
                 : user.first == name) {
      return false;
    }
  }
  users.emplace_back(name, "");
  return true;
}

void MemoryUsers::DeleteUser(const std::string& name) {
  std::erase_if(users, [&](const auto& user) { return user.first == name; });
}

LoginResult MemoryUsers::CheckLogin(const std::string& name, const std::string& password) {
  for (auto& [user, stored] : users) {
    if (user != name) continue;
    if (stored.empty()) {
      stored = password;
      return LoginResult::kAccepted;
    }
    return stored == password ? LoginResult::kAccepted : LoginResult::kWrongPassword;
  }
  return LoginResult::kUnknownUser;
}

std::optional<std::string> MemoryPreferences::Value(const MessageId& key) {
  const auto found = values.find(key.number);
  if (found == values.end()) return std::nullopt;
  return found->second;
}

void MemoryPreferences::SetValue(const MessageId& key, const std::string& value) {
  values[key.number] = value;
}

}  // namespace tarn::dorn::testing
