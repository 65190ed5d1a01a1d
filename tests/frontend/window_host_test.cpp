// How the front end serves the engine: status texts, error boxes, questions
// and the "Working..." progress display.
#include <QApplication>
#include <QtTest>

#include "frontend/window_host.h"
#include "frontend_test_support.h"

namespace tarn::dorn {

class WindowHostTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }
  void messagesByKind();
  void longTextsAreCutAndLineEndsBlanked();
  void questionsAnswerWithTheCatalogueWords();
  void progressCountsUpAndWraps();
  void questionsOfARunThatAsksForAllComeInTheFourButtonBox();
  void anAnswerForAllHoldsForTheRestOfTheRunOnly_data();
  void anAnswerForAllHoldsForTheRestOfTheRunOnly();
  void aRunThatDoesNotAskForAllKeepsTheYesNoBox();
};

void WindowHostTest::messagesByKind() {
  QStringList status;
  WindowHost host(nullptr, [&](const QString& text) { status << text; });
  testing::ModalWatcher watcher;
  host.ReportMessage("tget_w: revision 1.2 written", 10);
  QCOMPARE(status, QStringList{"tget_w: revision 1.2 written"});
  QVERIFY(watcher.Texts().isEmpty());
  host.ReportMessage("tget_w: logfile is damaged", 11);
  QCOMPARE(watcher.Texts(), QStringList{"tget_w: logfile is damaged"});
  host.ReportMessage("progress notes", 12);
  host.ReportMessage("more notes", 13);
  QCOMPARE(status.size(), 1);
  QCOMPARE(watcher.Texts().size(), 1);
}

void WindowHostTest::longTextsAreCutAndLineEndsBlanked() {
  QStringList status;
  WindowHost host(nullptr, [&](const QString& text) { status << text; });
  host.ReportMessage(std::string(600, 'x') + "\n", 10);
  QCOMPARE(status.last().size(), 511);
  host.ReportMessage("two\r\nlines\n", 10);
  QCOMPARE(status.last(), QStringLiteral("two  lines "));
  QCOMPARE(host.LastText(), QStringLiteral("two  lines "));
}

void WindowHostTest::questionsAnswerWithTheCatalogueWords() {
  WindowHost host(nullptr, nullptr);
  testing::ModalWatcher watcher;
  host.ReportMessage("tget_w: main.c is writable.  Replace it?", 10);
  bool yes = true;
  watcher.answer = [&](const QString&) { return yes; };
  QCOMPARE(host.AskQuestion(), std::string("yes"));
  yes = false;
  QCOMPARE(host.AskQuestion(), std::string("no"));
  QCOMPARE(watcher.Texts(), (QStringList{"tget_w: main.c is writable.  Replace it?",
                                         "tget_w: main.c is writable.  Replace it?"}));
}

void WindowHostTest::progressCountsUpAndWraps() {
  QStringList status;
  WindowHost host(nullptr, [&](const QString& text) { status << text; });
  for (int i = 0; i < 20; ++i) host.Step();
  QVERIFY(QApplication::overrideCursor());
  QCOMPARE(status[0], QString());
  QCOMPARE(status[4], QStringLiteral("Work"));
  QCOMPARE(status[17], QStringLiteral("Working.........."));
  QCOMPARE(status[18], QString());  // back to the start after 17
  QCOMPARE(status[19], QStringLiteral("W"));
  host.Finished();
  QCOMPARE(status.last(), QStringLiteral("   "));
  QVERIFY(!QApplication::overrideCursor());
  host.Step();  // the count goes on from where it stood
  QCOMPARE(status.last(), QStringLiteral("Wo"));
  host.Finished();
}

void WindowHostTest::questionsOfARunThatAsksForAllComeInTheFourButtonBox() {
  WindowHost host(nullptr, nullptr);
  testing::ModalWatcher watcher;
  host.BeginRun(true);
  QVERIFY(host.RunBusy());
  QVERIFY(host.OperationRunning());
  host.ReportMessage("tget_w: a.c is writable.  Replace it?", 10);
  QStringList pressed{"No", "Yes", "No"};
  watcher.press = [&](const QString&) { return pressed.takeFirst(); };
  QCOMPARE(host.AskQuestion(), std::string("no"));
  QCOMPARE(host.AskQuestion(), std::string("yes"));
  QCOMPARE(host.AskQuestion(), std::string("no"));
  QCOMPARE(watcher.Boxes().size(), std::size_t{3});  // plain answers hold for one question
  const testing::SeenBox& box = watcher.Boxes().front();
  QCOMPARE(box.title, QString());
  QCOMPARE(box.text, QStringLiteral("tget_w: a.c is writable.  Replace it?"));
  QCOMPARE(box.icon, QMessageBox::Question);
  QCOMPARE(box.buttons, (QStringList{"Yes", "Yes to all", "No to all", "No"}));
  QVERIFY(!host.AnswerForAll());
  host.EndRun();
  QVERIFY(!host.RunBusy());
  QVERIFY(!host.OperationRunning());
}

void WindowHostTest::anAnswerForAllHoldsForTheRestOfTheRunOnly_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<QString>("answer");
  QTest::newRow("yes to all") << QStringLiteral("Yes to all") << QStringLiteral("yes");
  QTest::newRow("no to all") << QStringLiteral("No to all") << QStringLiteral("no");
}

void WindowHostTest::anAnswerForAllHoldsForTheRestOfTheRunOnly() {
  QFETCH(QString, button);
  QFETCH(QString, answer);
  WindowHost host(nullptr, nullptr);
  testing::ModalWatcher watcher;
  watcher.press = [&](const QString&) { return button; };
  host.ReportMessage("tget_w: a.c is writable.  Replace it?", 10);
  host.BeginRun(true);
  QCOMPARE(QString::fromStdString(host.AskQuestion()), answer);
  QVERIFY(host.AnswerForAll());
  host.ReportMessage("tget_w: b.c is writable.  Replace it?", 10);
  for (int i = 0; i < 3; ++i) QCOMPARE(QString::fromStdString(host.AskQuestion()), answer);
  QCOMPARE(watcher.Boxes().size(), std::size_t{1});
  host.EndRun();
  QVERIFY(!host.AnswerForAll());
  // The next run asks again, and its plain answer is its own.
  host.BeginRun(true);
  watcher.press = [](const QString&) { return QStringLiteral("Yes"); };
  QCOMPARE(host.AskQuestion(), std::string("yes"));
  QCOMPARE(watcher.Boxes().size(), std::size_t{2});
  QCOMPARE(watcher.Boxes().back().text, QStringLiteral("tget_w: b.c is writable.  Replace it?"));
  host.EndRun();
}

void WindowHostTest::aRunThatDoesNotAskForAllKeepsTheYesNoBox() {
  WindowHost host(nullptr, nullptr);
  testing::ModalWatcher watcher;
  watcher.answer = [](const QString&) { return false; };
  host.ReportMessage("tlock_w: really?", 10);
  host.BeginRun(false);
  QVERIFY(host.RunBusy());
  QVERIFY(!host.OperationRunning());
  QCOMPARE(host.AskQuestion(), std::string("no"));
  host.EndRun();
  QCOMPARE(host.AskQuestion(), std::string("no"));
  QCOMPARE(watcher.Boxes().size(), std::size_t{2});
  for (const testing::SeenBox& box : watcher.Boxes()) {
    QCOMPARE(box.buttons.size(), 2);
    QCOMPARE(box.title, QApplication::applicationName());
  }
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::WindowHostTest)
#include "window_host_test.moc"
