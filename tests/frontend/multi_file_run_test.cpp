// The loop of every operation over many files: failures asked about with
// OK and Cancel, Cancel ending the run at once, the windows disabled and
// the engine host told for exactly as long as the run lives, pending events
// processed between files.
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QTimer>
#include <QtTest>
#include <set>
#include <stdexcept>

#include "frontend/multi_file_run.h"
#include "frontend/window_host.h"
#include "frontend_test_support.h"

namespace tarn::dorn {
namespace {

const std::vector<std::string> kFiles{"a.c", "b.c", "c.c", "d.c", "e.c"};

QString FailureText(const std::string& name) {
  return QStringLiteral("Failed to lock '%1'").arg(QString::fromStdString(name));
}

}  // namespace

class MultiFileRunTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }
  void init();
  void cleanup();

  void failuresAskOkOrCancel_data();
  void failuresAskOkOrCancel();
  void whileItRunsTheWindowsAreDisabledAndTheHostKnows_data();
  void whileItRunsTheWindowsAreDisabledAndTheHostKnows();
  void pendingEventsAreProcessedBetweenFiles();
  void aFileWhoseWorkThrowsStillLeavesEverythingRestored();

 private:
  std::unique_ptr<QMainWindow> window_;
  QDialog* dialog_ = nullptr;  // owned by the window
  std::unique_ptr<WindowHost> host_;
  std::vector<std::pair<int, int>> progress_;
};

void MultiFileRunTest::init() {
  window_ = std::make_unique<QMainWindow>();
  dialog_ = new QDialog(window_.get());
  host_ = std::make_unique<WindowHost>(window_.get(), nullptr);
  progress_.clear();
  host_->SetFileProgressDisplay([this](int done, int total) { progress_.emplace_back(done, total); });
  window_->show();
  dialog_->show();
}

void MultiFileRunTest::cleanup() {
  host_.reset();
  window_.reset();
}

void MultiFileRunTest::failuresAskOkOrCancel_data() {
  QTest::addColumn<QList<int>>("failing");    // indexes into kFiles
  QTest::addColumn<int>("cancelAt");          // the failure answered with Cancel, -1 none
  QTest::addColumn<int>("calls");
  QTest::addColumn<int>("succeeded");
  QTest::addColumn<bool>("cancelled");
  QTest::addColumn<bool>("allSucceeded");
  QTest::newRow("every file succeeds") << QList<int>{} << -1 << 5 << 5 << false << true;
  QTest::newRow("two fail, both answered OK") << QList<int>{1, 3} << -1 << 5 << 3 << false << false;
  QTest::newRow("Cancel at the third of five") << QList<int>{2} << 2 << 3 << 2 << true << false;
  QTest::newRow("OK, then Cancel") << QList<int>{0, 3, 4} << 3 << 4 << 2 << true << false;
  QTest::newRow("Cancel at the first") << QList<int>{0} << 0 << 1 << 0 << true << false;
  QTest::newRow("the last fails, answered OK") << QList<int>{4} << -1 << 5 << 4 << false << false;
}

void MultiFileRunTest::failuresAskOkOrCancel() {
  QFETCH(QList<int>, failing);
  QFETCH(int, cancelAt);
  QFETCH(int, calls);
  QFETCH(int, succeeded);
  QFETCH(bool, cancelled);
  QFETCH(bool, allSucceeded);
  testing::ModalWatcher watcher;
  const QString cancelText = cancelAt < 0 ? QString() : FailureText(kFiles[static_cast<std::size_t>(cancelAt)]);
  watcher.press = [&](const QString& text) {
    return text == cancelText ? QStringLiteral("Cancel") : QStringLiteral("OK");
  };
  std::vector<std::string> done;
  MultiFileOutcome outcome;
  {
    MultiFileRun run(*dialog_, *host_, false);
    outcome = run.Run(
        kFiles,
        [&](const std::string& name) {
          done.push_back(name);
          return !failing.contains(static_cast<int>(done.size()) - 1);
        },
        FailureText);
  }
  QCOMPARE(done, std::vector<std::string>(kFiles.begin(), kFiles.begin() + calls));
  QCOMPARE(outcome.succeeded, succeeded);
  QCOMPARE(outcome.cancelled, cancelled);
  QCOMPARE(outcome.allSucceeded, allSucceeded);
  QStringList expected;
  for (int index : failing) {
    if (index < calls) expected << FailureText(kFiles[static_cast<std::size_t>(index)]);
  }
  QCOMPARE(watcher.Texts(), expected);
  for (const testing::SeenBox& box : watcher.Boxes()) {
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons.size(), 2);
    QVERIFY(box.buttons.contains(QStringLiteral("OK")));
    QVERIFY(box.buttons.contains(QStringLiteral("Cancel")));
    QVERIFY(box.enabled);
  }
}

void MultiFileRunTest::whileItRunsTheWindowsAreDisabledAndTheHostKnows_data() {
  QTest::addColumn<bool>("asksForAll");
  QTest::newRow("get, check out, check in, label") << true;
  QTest::newRow("the other operations") << false;
}

void MultiFileRunTest::whileItRunsTheWindowsAreDisabledAndTheHostKnows() {
  QFETCH(bool, asksForAll);
  int checked = 0;
  {
    MultiFileRun run(*dialog_, *host_, asksForAll);
    run.Run(
        kFiles,
        [&](const std::string&) {
          ++checked;
          [&] {
            QVERIFY(!window_->isEnabled());
            QVERIFY(!dialog_->isEnabled());
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QVERIFY(host_->RunBusy());
            QCOMPARE(host_->OperationRunning(), asksForAll);
            QVERIFY(!host_->AnswerForAll());
            QCOMPARE(progress_.back(), std::make_pair(checked, 5));
          }();
          return true;
        },
        FailureText);
  }
  QCOMPARE(checked, 5);
  QVERIFY(window_->isEnabled());
  QVERIFY(dialog_->isEnabled());
  QVERIFY(!QApplication::overrideCursor());
  QVERIFY(!host_->RunBusy());
  QVERIFY(!host_->OperationRunning());
  QCOMPARE(progress_.size(), std::size_t{6});
  QCOMPARE(progress_.back(), std::make_pair(0, 0));  // the display goes away
}

void MultiFileRunTest::pendingEventsAreProcessedBetweenFiles() {
  std::set<int> delivered;
  std::vector<bool> seenBeforeNext;
  int index = 0;
  MultiFileRun run(*dialog_, *host_, false);
  run.Run(
      kFiles,
      [&](const std::string&) {
        if (index > 0) seenBeforeNext.push_back(delivered.count(index - 1) == 1);
        const int mine = index++;
        QTimer::singleShot(0, window_.get(), [&delivered, mine] { delivered.insert(mine); });
        return true;
      },
      FailureText);
  QCOMPARE(seenBeforeNext, std::vector<bool>(4, true));
  QCOMPARE(delivered.size(), std::size_t{5});  // the last one too, before Run returned
}

void MultiFileRunTest::aFileWhoseWorkThrowsStillLeavesEverythingRestored() {
  bool thrown = false;
  try {
    MultiFileRun run(*dialog_, *host_, true);
    run.Run(
        kFiles,
        [](const std::string& name) -> bool {
          if (name == "b.c") throw std::runtime_error("out of memory");
          return true;
        },
        FailureText);
  } catch (const std::runtime_error&) {
    thrown = true;
  }
  QVERIFY(thrown);
  QVERIFY(window_->isEnabled());
  QVERIFY(dialog_->isEnabled());
  QVERIFY(!QApplication::overrideCursor());
  QVERIFY(!host_->RunBusy());
  QVERIFY(!host_->OperationRunning());
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::MultiFileRunTest)
#include "multi_file_run_test.moc"
