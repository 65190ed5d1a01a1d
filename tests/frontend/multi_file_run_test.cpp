// The loop of every operation over many files: failures collected into one
// closing box with the engine's messages, No counted as left alone, Stop
// ending the run after the file at hand, the windows disabled and
// the engine host told for exactly as long as the run lives, pending events
// processed between files.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
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

  void failuresAreCollectedIntoOneClosingBox_data();
  void failuresAreCollectedIntoOneClosingBox();
  void whileItRunsTheWindowsAreDisabledAndTheHostKnows_data();
  void whileItRunsTheWindowsAreDisabledAndTheHostKnows();
  void pendingEventsAreProcessedBetweenFiles();
  void aFileWhoseWorkThrowsStillLeavesEverythingRestored();

 private:
  std::unique_ptr<QMainWindow> window_;
  QDialog* dialog_ = nullptr;  // owned by the window
  QLineEdit* field_ = nullptr;  // of the dialog
  std::unique_ptr<WindowHost> host_;
  std::vector<std::pair<int, int>> progress_;
};

void MultiFileRunTest::init() {
  window_ = std::make_unique<QMainWindow>();
  window_->setCentralWidget(new QWidget(window_.get()));
  dialog_ = new QDialog(window_.get());
  field_ = new QLineEdit(dialog_);
  new QVBoxLayout(dialog_);
  dialog_->layout()->addWidget(field_);
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

void MultiFileRunTest::failuresAreCollectedIntoOneClosingBox_data() {
  QTest::addColumn<QList<int>>("failing");    // indexes into kFiles
  QTest::addColumn<QList<int>>("declined");   // answered No: left alone
  QTest::addColumn<int>("stopAfter");         // Stop during this file, -1 never
  QTest::addColumn<int>("calls");
  QTest::addColumn<QString>("summary");
  QTest::newRow("every file succeeds") << QList<int>{} << QList<int>{} << -1 << 5 << "5 done, 0 left alone, 0 failed";
  QTest::newRow("two fail, the run goes on") << QList<int>{1, 3} << QList<int>{} << -1 << 5
                                             << "3 done, 0 left alone, 2 failed";
  QTest::newRow("two left alone, no box") << QList<int>{} << QList<int>{0, 4} << -1 << 5
                                          << "3 done, 2 left alone, 0 failed";
  QTest::newRow("Stop at the third of five") << QList<int>{2} << QList<int>{1} << 2 << 3
                                             << "1 done, 1 left alone, 1 failed; Stopped: 2 files were not reached";
  QTest::newRow("Stop at the last") << QList<int>{} << QList<int>{} << 4 << 5
                                    << "5 done, 0 left alone, 0 failed";
}

void MultiFileRunTest::failuresAreCollectedIntoOneClosingBox() {
  QFETCH(QList<int>, failing);
  QFETCH(QList<int>, declined);
  QFETCH(int, stopAfter);
  QFETCH(int, calls);
  QFETCH(QString, summary);
  testing::ModalWatcher watcher;
  watcher.answer = [](const QString&) { return false; };
  std::vector<std::string> done;
  MultiFileOutcome outcome;
  {
    MultiFileRun run(*dialog_, *host_, false);
    outcome = run.Run(
        kFiles,
        [&](const std::string& name) {
          done.push_back(name);
          const int index = static_cast<int>(done.size()) - 1;
          if (index == stopAfter) run.StopButton()->click();
          // The engine reports while the file's command runs: kept for the
          // closing box, no box of its own.
          if (failing.contains(index)) host_->ReportMessage("engine: " + name + " refused", kAlert);
          if (declined.contains(index)) {
            host_->ReportMessage(name + " is writable. Replace it?", kStatus);
            host_->AskQuestion();
          }
          return !failing.contains(index) && !declined.contains(index);
        },
        FailureText);
  }
  QCOMPARE(done, std::vector<std::string>(kFiles.begin(), kFiles.begin() + calls));
  QCOMPARE(outcome.Summary(), summary);
  QCOMPARE(outcome.allSucceeded, failing.isEmpty() && declined.isEmpty() && calls == 5);
  QCOMPARE(outcome.cancelled, calls < 5);
  QCOMPARE(static_cast<int>(outcome.failures.size()), static_cast<int>(failing.size()));
  // The questions answered No (the watcher's answer here), then at most one
  // box for every failure.
  std::vector<testing::SeenBox> failureBoxes;
  for (const testing::SeenBox& box : watcher.Boxes()) {
    if (box.icon == QMessageBox::Warning) failureBoxes.push_back(box);
  }
  if (failing.isEmpty()) {
    QVERIFY(failureBoxes.empty());
    return;
  }
  QCOMPARE(failureBoxes.size(), std::size_t{1});
  const testing::SeenBox& box = failureBoxes.front();
  QCOMPARE(box.text, QStringLiteral("%1 of 5 files could not be done:").arg(failing.size()));
  // OK, and "Show Details..." for the engine's messages; no Cancel.
  QCOMPARE(box.buttons.first(), QStringLiteral("OK"));
  QVERIFY(!box.buttons.contains(QStringLiteral("Cancel")));
  QVERIFY(box.enabled);
  QVERIFY(box.informative.endsWith(summary));
  for (int index : failing) {
    const std::string& name = kFiles[static_cast<std::size_t>(index)];
    QVERIFY(box.informative.contains(FailureText(name)));
    QVERIFY(box.details.contains(FailureText(name) + QStringLiteral("\n    engine: ") +
                                 QString::fromStdString(name) + QStringLiteral(" refused")));
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
            // The window's contents and the dialog's fields; Stop stays live.
            QVERIFY(!window_->centralWidget()->isEnabled());
            QVERIFY(!field_->isEnabled());
            QVERIFY(dialog_->findChild<QPushButton*>(QStringLiteral("stop"))->isEnabled());
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
  QVERIFY(window_->centralWidget()->isEnabled());
  QVERIFY(field_->isEnabled());
  QVERIFY(!dialog_->findChild<QPushButton*>(QStringLiteral("stop")));
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
  QVERIFY(window_->centralWidget()->isEnabled());
  QVERIFY(field_->isEnabled());
  QVERIFY(!QApplication::overrideCursor());
  QVERIFY(!host_->RunBusy());
  QVERIFY(!host_->OperationRunning());
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::MultiFileRunTest)
#include "multi_file_run_test.moc"
