#include "frontend_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QtTest>

#include "engine/support/message_catalogue.h"

namespace tarn::dorn::testing {

void LoadCatalogue() {
  static const bool loaded =
      LoadMessageFile("tests", kCatalogueFileName, TARN_SOURCE_DIR "/catalogue") == 1;
  QVERIFY2(loaded, "the catalogue of the source tree cannot be loaded");
}

tEnvVar ScratchSettings(const QString& root) {
  tEnvVar settings;
  settings.TARNPath((root + QStringLiteral("/tarn")).toUtf8().constData());
  settings.UserName("ann");
  settings.AccessList("ann");
  settings.JournalPath((root + QStringLiteral("/")).toUtf8().constData());
  settings.LockfileRetryCount(1);
  return settings;
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

}  // namespace tarn::dorn::testing
