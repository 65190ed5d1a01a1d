#include "frontend_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

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

}  // namespace tarn::dorn::testing
