#include "frontend_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "engine/format/logfile_header_io.h"
#include "engine/store/revision_scan.h"
#include "engine/support/message_catalogue.h"
#include "platform/file.h"

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
    Close(*box);
    return;
  }
  if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && onDialog) {
    // Each dialog once: the handler may keep it open (a refused choice).
    if (dialog->property("watched").toBool()) return;
    dialog->setProperty("watched", true);
    // Handled from a timer of its own: what the handler starts (an
    // operation whose message boxes this timer must answer) runs outside
    // this timer's callback, which Qt does not enter twice.
    QPointer<QDialog> watched(dialog);
    QTimer::singleShot(0, this, [this, watched] {
      if (watched && onDialog) onDialog(*watched);
    });
  }
}

QStringList StoredLogfile::Labels() const {
  QStringList texts;
  for (const auto& label : header.labels) texts << QString::fromStdString(label.text);
  return texts;
}

std::optional<StoredLogfile> ReadStoredLogfile(const QString& path) {
  std::optional<platform::File> file =
      platform::File::Open(path.toStdString(), platform::OpenMode::kRead);
  if (!file) return std::nullopt;
  StoredLogfile stored;
  if (ReadLogfileHeader(*file, stored.header) != 1) return std::nullopt;
  RevisionScanner scanner(*file, *file->Tell());
  RevisionRecord record;
  while (scanner.Next(record) == RevisionScanner::Step::kRecord) {
    std::string description;
    if (ReadRevisionDescription(*file, record, description) != 1) return std::nullopt;
    stored.descriptions << QString::fromStdString(description);
  }
  return stored;
}

namespace {

QString Plain(QString text) { return text.remove(QLatin1Char('&')); }

}  // namespace

void ModalWatcher::Close(QMessageBox& box) {
  texts_ << box.text();
  SeenBox seen{box.windowTitle(), box.text(), {}, box.icon(), box.isEnabled(), {}, {}, {}};
  for (QAbstractButton* each : box.buttons()) seen.buttons << Plain(each->text());
  if (box.defaultButton()) seen.defaultButton = Plain(box.defaultButton()->text());
  seen.informative = box.informativeText();
  seen.details = box.detailedText();
  boxes_.push_back(seen);
  QAbstractButton* button = nullptr;
  if (const QString wanted = press ? press(box.text()) : QString(); !wanted.isEmpty()) {
    for (QAbstractButton* each : box.buttons()) {
      if (Plain(each->text()) == wanted) button = each;
    }
    // A box without it fails the test but is still closed, so the test
    // goes on to its end.
    if (!button) {
      QTest::qFail(qPrintable(QStringLiteral("no button '%1' in the box '%2'").arg(wanted, box.text())),
                   __FILE__, __LINE__);
    }
  }
  if (!button) {
    const bool yes = answer ? answer(box.text()) : true;
    button = box.button(yes ? QMessageBox::Yes : QMessageBox::No);
  }
  if (!button) button = box.button(QMessageBox::Ok);
  if (!button) button = box.escapeButton();
  if (button) {
    button->click();
  } else {
    box.done(0);
  }
}

}  // namespace tarn::dorn::testing
