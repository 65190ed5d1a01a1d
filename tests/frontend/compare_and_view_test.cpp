// Compare and view against a scratch project: TARN's own compare window
// shows exactly the changed lines and goes from change to change; a
// configured compare program or viewer (a scratch script that records what
// it was given) receives the revision's temporary file and is waited for;
// invalid compare commands and programs that cannot start are reported and
// start nothing; the temporary file is gone afterwards on every path.
#include "frontend/compare_and_view.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "frontend/compare_view.h"
#include "frontend/compare_window.h"
#include "frontend/revision_page.h"
#include "frontend/revision_viewer.h"
#include "frontend_test_support.h"
#include "scratch_project.h"

namespace tarn::dorn {
namespace {

// Ten numbered lines; `changed` lines (1-based) carry a mark.
QByteArray Lines(std::initializer_list<int> changed, const char* mark) {
  QByteArray text;
  for (int line = 1; line <= 10; ++line) {
    text += "line " + QByteArray::number(line);
    if (std::find(changed.begin(), changed.end(), line) != changed.end()) text += mark;
    text += "\n";
  }
  return text;
}

constexpr std::uint16_t kExpandKeywords = 0x04;

template <class Window>
QList<Window*> OpenWindows(QWidget& owner) {
  return owner.findChildren<Window*>(QString(), Qt::FindDirectChildrenOnly);
}

}  // namespace

class CompareAndViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }
  void init();
  void cleanup();

  void ownCompareWindowShowsExactlyTheChangedLines();
  void anInvalidCompareCommandIsRefusedAndStartsNothing_data();
  void anInvalidCompareCommandIsRefusedAndStartsNothing();
  void aConfiguredCompareProgramGetsBothFilesAndIsWaitedFor();
  void aProgramThatCannotStartIsNamedWithTheReason();
  void aConfiguredViewerGetsARevisionFileWithTheWorkfilesExtension();
  void withoutAViewerTheOwnViewerShowsTheRevision();
  void failuresAreReportedAndLeaveNoFile();

 private:
  // A script in the scratch directory that writes its arguments, one a
  // line, then the text of the temporary file among them into `record`, after
  // a short pause (so that waiting for it shows).
  QString RecordingScript(const QString& record);
  // Chooses `entry` of the compare dialog's revision list and accepts it.
  void CompareRevision(const std::string& name, int entry);

  std::unique_ptr<testing::ScratchProject> project_;
  std::unique_ptr<testing::ModalWatcher> watcher_;
};

void CompareAndViewTest::init() {
  // A blank in the project's path: a path with blanks stays one argument.
  project_ = std::make_unique<testing::ScratchProject>(QStringLiteral("my project"));
  QVERIFY(project_->IsValid());
  watcher_ = std::make_unique<testing::ModalWatcher>();
}

void CompareAndViewTest::cleanup() {
  watcher_.reset();
  project_.reset();
}

QString CompareAndViewTest::RecordingScript(const QString& record) {
  const QString script = project_->ScratchPath(QStringLiteral("bin/record"));
  const QByteArray text =
      "#!/bin/sh\nsleep 0.2\nfor a in \"$@\"; do echo \"$a\"; done > '" + record.toUtf8() +
      ".part'\nfor a in \"$@\"; do case \"$a\" in *TARN*) cat \"$a\";; esac; done >> '" +
      record.toUtf8() + ".part'\nmv '" + record.toUtf8() + ".part' '" + record.toUtf8() + "'\n";
  if (!testing::WriteFile(script, text)) return {};
  QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return script;
}

void CompareAndViewTest::CompareRevision(const std::string& name, int entry) {
  project_->Select(name);
  watcher_->onDialog = [entry](QDialog& dialog) {
    auto* compare = qobject_cast<CompareDialog*>(&dialog);
    QVERIFY(compare);
    compare->RevisionList()->setCurrentIndex(entry);
    // Accepted from an event of its own, so that the watcher answers the
    // message boxes the comparison shows.
    QTimer::singleShot(0, compare, [compare] { compare->accept(); });
  };
  project_->Window().Action(CommandId::kCompare)->trigger();
}

void CompareAndViewTest::ownCompareWindowShowsExactlyTheChangedLines() {
  QVERIFY(project_->Add("main.c", Lines({}, "")));
  QVERIFY(project_->CheckIn("main.c", Lines({2}, " (1.1)")));
  // The workfile against revision 1.0: lines 3 and 4 changed, line 8 gone,
  // a line added at the end.
  QByteArray workfile = Lines({3, 4}, " changed");
  workfile.replace("line 8\n", "");
  workfile += "line 11\n";
  QVERIFY(project_->Write("main.c", workfile));
  project_->Select("main.c");
  QCOMPARE(project_->Window().RevisionTab()->Entries(),
           (QStringList{"Revision 1.1", "Revision 1.0"}));
  CompareRevision("main.c", 1);

  const QList<CompareWindow*> windows = OpenWindows<CompareWindow>(project_->Window());
  QCOMPARE(windows.size(), 1);
  CompareWindow& window = *windows.front();
  QVERIFY(window.windowTitle().contains(QStringLiteral("main.c")));
  QStringList changed;
  for (const CompareRow& row : window.Layout().rows) {
    if (row.kind == RowKind::kSame) continue;
    changed << QStringLiteral("%1/%2").arg(row.left + 1).arg(row.right + 1);
  }
  // Lines by number (0: none) on the revision's side / the workfile's side.
  QCOMPARE(changed, (QStringList{"3/3", "4/4", "8/0", "0/10"}));
  QCOMPARE(window.Layout().leftLines[2], QStringLiteral("line 3"));
  QCOMPARE(window.Layout().rightLines[2], QStringLiteral("line 3 changed"));
  // Three changes; the window opens on the first and goes from one to the
  // next and back.
  QCOMPARE(window.Layout().changeStarts, (std::vector<int>{2, 7, 10}));
  QCOMPARE(window.CurrentChange(), 0);
  QVERIFY(!window.PreviousButton()->isEnabled());
  window.NextButton()->click();
  window.NextButton()->click();
  QCOMPARE(window.CurrentChange(), 2);
  QVERIFY(!window.NextButton()->isEnabled());
  QCOMPARE(window.Summary()->text(), QStringLiteral("Change 3 of 3"));
  window.PreviousButton()->click();
  QCOMPARE(window.CurrentChange(), 1);
  // The revision's text went to a temporary file that is gone again.
  QCOMPARE(project_->TemporaryFiles(), QStringList());
  window.close();

  // The workfile against the newest revision, scrolled: a long text shows
  // its change in sight.
  QByteArray longText;
  for (int line = 1; line <= 400; ++line) longText += "row " + QByteArray::number(line) + "\n";
  QVERIFY(project_->CheckIn("main.c", longText));
  QVERIFY(
      project_->Write("main.c", QByteArray(longText).replace("row 300\n", "row three hundred\n")));
  CompareRevision("main.c", 0);
  CompareWindow* second = OpenWindows<CompareWindow>(project_->Window()).value(0);
  QVERIFY(second);
  second->resize(800, 400);
  second->show();
  QCOMPARE(second->Layout().changeStarts, std::vector<int>{299});
  second->GoToChange(0);
  const int top = second->View()->TopRow();
  QVERIFY2(top <= 299 && 299 < top + second->View()->RowsInSight(),
           qPrintable(QString::number(top)));
  second->close();
}

void CompareAndViewTest::anInvalidCompareCommandIsRefusedAndStartsNothing_data() {
  QTest::addColumn<QString>("command");
  QTest::newRow("no program") << "%s %s";
  QTest::newRow("one placeholder") << "RECORD %s";
}

void CompareAndViewTest::anInvalidCompareCommandIsRefusedAndStartsNothing() {
  QFETCH(QString, command);
  const QString record = project_->ScratchPath(QStringLiteral("record.txt"));
  command.replace(QStringLiteral("RECORD"), RecordingScript(record));
  QVERIFY(project_->WriteSystemIni("[Tools]\nCompare=" + command.toUtf8() + "\n"));
  QVERIFY(project_->Add("main.c", "text\n"));
  CompareRevision("main.c", 0);
  QCOMPARE(watcher_->Texts(),
           QStringList{
               QStringLiteral("Invalid file compare command in dorn.ini file: '%1'").arg(command)});
  QVERIFY(!QFile::exists(record));
  QVERIFY(OpenWindows<CompareWindow>(project_->Window()).isEmpty());
  QCOMPARE(project_->TemporaryFiles(), QStringList());
}

void CompareAndViewTest::aConfiguredCompareProgramGetsBothFilesAndIsWaitedFor() {
  const QString record = project_->ScratchPath(QStringLiteral("record.txt"));
  QVERIFY(project_->WriteSystemIni("[Tools]\nCompare='" + RecordingScript(record).toUtf8() +
                                   "' --from %s --to %s\n"));
  QVERIFY(project_->Add("main.c", "first text $Workfile$\n", kExpandKeywords));
  QVERIFY(project_->CheckIn("main.c", "second text\n"));
  CompareRevision("main.c", 1);
  // The script has ended when the command returns: its record is complete.
  QVERIFY(watcher_->Texts().isEmpty());
  const QStringList lines = QString::fromUtf8(testing::ReadFile(record)).split(QLatin1Char('\n'));
  QCOMPARE(lines.size(), 6);
  QCOMPARE(lines[0], QStringLiteral("--from"));
  QVERIFY2(lines[1].startsWith(project_->ScratchPath(QStringLiteral("tmp/TARN"))),
           qPrintable(lines[1]));
  QCOMPARE(lines[2], QStringLiteral("--to"));
  QCOMPARE(lines[3], project_->Path(QStringLiteral("main.c")));
  // Revision 1.0 as the program saw it, its keyword expanded for the
  // workfile.
  QCOMPARE(
      lines[4],
      QStringLiteral("first text $Workfile: %1 $").arg(project_->Path(QStringLiteral("main.c"))));
  QCOMPARE(project_->TemporaryFiles(), QStringList());
  QVERIFY(OpenWindows<CompareWindow>(project_->Window()).isEmpty());
}

void CompareAndViewTest::aProgramThatCannotStartIsNamedWithTheReason() {
  const QString missing = project_->ScratchPath(QStringLiteral("bin/no-such-program"));
  QVERIFY(project_->WriteSystemIni("[Tools]\nCompare=" + missing.toUtf8() +
                                   " %s %s\nViewer=" + missing.toUtf8() + "\n"));
  QVERIFY(project_->Add("main.c", "text\n"));
  CompareRevision("main.c", 0);
  QCOMPARE(watcher_->Texts().size(), 1);
  const QString text = watcher_->Texts().front();
  QVERIFY2(text.startsWith(QStringLiteral("The program '%1' could not be started: ").arg(missing)),
           qPrintable(text));
  QVERIFY2(text.contains(QStringLiteral("No such file or directory")), qPrintable(text));
  QCOMPARE(project_->TemporaryFiles(), QStringList());

  // A file that is no program: the system's reason is another.
  QVERIFY(testing::WriteFile(missing, "not a program\n"));
  watcher_->Clear();
  project_->Select("main.c");
  project_->Window().Action(CommandId::kView)->trigger();
  QCOMPARE(watcher_->Texts().size(), 1);
  QVERIFY2(watcher_->Texts().front().contains(QStringLiteral("Permission denied")),
           qPrintable(watcher_->Texts().front()));
  QCOMPARE(project_->TemporaryFiles(), QStringList());
}

void CompareAndViewTest::aConfiguredViewerGetsARevisionFileWithTheWorkfilesExtension() {
  const QString record = project_->ScratchPath(QStringLiteral("record.txt"));
  QVERIFY(project_->WriteSystemIni("[Tools]\nViewer=" + RecordingScript(record).toUtf8() + "\n"));
  // Keywords are expanded for the workfile's name, never the temporary
  // file's.
  QVERIFY(project_->Add("makefile.c", "int first;\n", kExpandKeywords));
  QVERIFY(project_->CheckIn("makefile.c", "int second; /* $Workfile$ */\n"));
  // File, View: the newest revision.
  project_->Select("makefile.c");
  project_->Window().Action(CommandId::kView)->trigger();
  QStringList lines = QString::fromUtf8(testing::ReadFile(record)).split(QLatin1Char('\n'));
  QCOMPARE(lines.size(), 3);
  QVERIFY2(lines[0].endsWith(QStringLiteral(".c")), qPrintable(lines[0]));
  QVERIFY(lines[0].startsWith(project_->ScratchPath(QStringLiteral("tmp/TARN"))));
  QCOMPARE(lines[1], QStringLiteral("int second; /* $Workfile: %1 $ */")
                         .arg(project_->Path(QStringLiteral("makefile.c"))));
  QCOMPARE(project_->TemporaryFiles(), QStringList());
  // A double click on a Revision tab entry views that revision.
  QFile::remove(record);
  project_->Select("makefile.c");
  QListWidget* revisions = project_->Window().RevisionTab()->List();
  QCOMPARE(revisions->item(1)->text(), QStringLiteral("Revision 1.0"));
  emit revisions->itemDoubleClicked(revisions->item(1));
  lines = QString::fromUtf8(testing::ReadFile(record)).split(QLatin1Char('\n'));
  QCOMPARE(lines.value(1), QStringLiteral("int first;"));
  QCOMPARE(project_->TemporaryFiles(), QStringList());
  QVERIFY(watcher_->Texts().isEmpty());
}

void CompareAndViewTest::withoutAViewerTheOwnViewerShowsTheRevision() {
  QVERIFY(project_->Add("notes.txt", "alpha\nbeta\n"));
  project_->Select("notes.txt");
  project_->Window().Action(CommandId::kView)->trigger();
  const QList<RevisionViewer*> viewers = OpenWindows<RevisionViewer>(project_->Window());
  QCOMPARE(viewers.size(), 1);
  QCOMPARE(viewers.front()->toPlainText(), QStringLiteral("alpha\nbeta\n"));
  QVERIFY(viewers.front()->isReadOnly());
  QCOMPARE(viewers.front()->windowTitle(), QStringLiteral("Revision tip of notes.txt (read-only)"));
  QCOMPARE(project_->TemporaryFiles(), QStringList());
  QVERIFY(watcher_->Texts().isEmpty());
}

void CompareAndViewTest::failuresAreReportedAndLeaveNoFile() {
  QVERIFY(project_->Add("main.c", "text\n"));
  project_->Select("main.c");
  watcher_->onDialog = [](QDialog& dialog) {
    auto* compare = qobject_cast<CompareDialog*>(&dialog);
    QVERIFY(compare);
    compare->RevisionList()->addItem(QStringLiteral("Revision 1.7"));
    compare->RevisionList()->setCurrentIndex(compare->RevisionList()->count() - 1);
    QTimer::singleShot(0, compare, [compare] { compare->accept(); });
  };
  project_->Window().Action(CommandId::kCompare)->trigger();
  QVERIFY(watcher_->Texts().size() >= 2);  // the engine's reason, then ours
  QVERIFY2(watcher_->Texts().last().startsWith(
               QStringLiteral("Failed to get revision 1.7 into temporary file %1")
                   .arg(project_->ScratchPath(QStringLiteral("tmp/TARN")))),
           qPrintable(watcher_->Texts().last()));
  QVERIFY(OpenWindows<CompareWindow>(project_->Window()).isEmpty());
  QCOMPARE(project_->TemporaryFiles(), QStringList());

  // A workfile that is gone: TARN's own window says so and stays shut.
  watcher_->Clear();
  QVERIFY(QFile::remove(project_->Path(QStringLiteral("main.c"))));
  CompareRevision("main.c", 0);
  QCOMPARE(watcher_->Texts(),
           QStringList{QStringLiteral("The file %1 cannot be read: No such file or directory")
                           .arg(project_->Path(QStringLiteral("main.c")))});
  QVERIFY(OpenWindows<CompareWindow>(project_->Window()).isEmpty());
  QCOMPARE(project_->TemporaryFiles(), QStringList());

  // No temporary directory: no name can be had, nothing runs.
  watcher_->Clear();
  QVERIFY(QDir(project_->ScratchPath(QStringLiteral("tmp"))).removeRecursively());
  project_->Select("main.c");
  project_->Window().Action(CommandId::kView)->trigger();
  QCOMPARE(watcher_->Texts(), QStringList{"Failed to create temporary file!"});
  QVERIFY(OpenWindows<RevisionViewer>(project_->Window()).isEmpty());
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::CompareAndViewTest)
#include "compare_and_view_test.moc"
