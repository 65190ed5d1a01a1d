// The main window through a team member's day against real logfiles: who
// holds a lock, damaged logfiles in the list, the "New" marker across
// check-ins, gets and a teammate's check-in, sorting with a selection, and
// the workfile path in the status bar. Every change is made by the engine
// and read back from the logfiles.
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <algorithm>

#include "engine/support/message_catalogue.h"
#include "frontend/command_strings.h"
#include "frontend/files_page.h"
#include "frontend/main_window.h"
#include "frontend/project_files_model.h"
#include "frontend/project_files_view.h"
#include "frontend/revision_page.h"
#include "frontend_test_support.h"
#include "objects/log_file.h"
#include "scratch_project.h"
#include "tests/support/lock_holder.h"

namespace tarn::dorn {
namespace {

// Runs an engine command as `user` on a workfile anywhere (a teammate's
// own copy): the logfile is the project's, as the logfile path is absolute.
bool RunAs(const Workspace& space, const char* user, Operation operation, const QString& workfile,
           const std::string& command) {
  tEnvVar settings(space.Settings());
  settings.UserName(user);
  const std::string file = workfile.toStdString();
  tLogFile logfile(file.c_str(), &settings);
  switch (operation) {
    case Operation::kGet:
      return logfile.Get(file.c_str(), command.c_str()) == ttTRUE;
    case Operation::kCheckIn:
      return logfile.CheckIn(file.c_str(), command.c_str()) == ttTRUE;
    case Operation::kLock:
      return logfile.Lock(file.c_str(), command.c_str()) == ttTRUE;
    case Operation::kLabel:
      return logfile.Label(file.c_str(), command.c_str()) == ttTRUE;
    case Operation::kUnlock:
      return logfile.UnLock(file.c_str(), command.c_str()) == ttTRUE;
    default:
      return false;
  }
}

// Sets a file's modification time `seconds` back from now (made writable
// for the moment where needed).
bool AgeFile(const QString& path, int seconds) {
  QFile file(path);
  const QFileDevice::Permissions kept = file.permissions();
  file.setPermissions(kept | QFileDevice::WriteOwner);
  bool set = file.open(QIODevice::ReadWrite) &&
             file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                              QFileDevice::FileModificationTime);
  file.close();
  file.setPermissions(kept);
  return set;
}

QString Cell(MainWindow& window, const std::string& name, FileColumn column) {
  const std::optional<int> row = window.FilesModel()->RowOf(name);
  if (!row) return QStringLiteral("<not listed>");
  return window.FilesModel()->index(*row, static_cast<int>(column)).data().toString();
}

bool Marked(MainWindow& window, const std::string& name) {
  const std::optional<int> row = window.FilesModel()->RowOf(name);
  return row && window.FilesModel()->index(*row, 0).data(ProjectFilesModel::kNewMarkerRole).toBool();
}

QStringList Items(const QListWidget& list) {
  QStringList items;
  for (int row = 0; row < list.count(); ++row) items << list.item(row)->text();
  return items;
}

}  // namespace

class WorkingDayTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }
  void init();
  void cleanup();

  void lockedByNamesTheHoldersNotTheLastModifier();
  void aDamagedLogfileIsListedWithItsReasonAndNeverOfferedForAdding();
  void theNewMarkerFollowsTheNewestRevision();
  void sortingKeepsTheSelectionAndRunsBothWays();
  void theWorkfilePathStaysInTheStatusBar();
  void startedOnAFileOrAMissingDirectory();
  void aLogfileLockedByAnotherProcessNeverFreezesTheWindow();

 private:
  std::unique_ptr<testing::ScratchProject> project_;
  std::unique_ptr<testing::ModalWatcher> watcher_;
};

void WorkingDayTest::init() {
  project_ = std::make_unique<testing::ScratchProject>();
  QVERIFY(project_->IsValid());
  watcher_ = std::make_unique<testing::ModalWatcher>();
}

void WorkingDayTest::cleanup() {
  watcher_.reset();
  project_.reset();
}

void WorkingDayTest::lockedByNamesTheHoldersNotTheLastModifier() {
  QVERIFY(project_->Add("parser.c", "one\n"));
  QVERIFY(project_->CheckIn("parser.c", "two\n"));
  QVERIFY(project_->Add("util.c", "u\n"));
  Workspace& space = project_->Space();
  const QString parser = project_->Path(QStringLiteral("parser.c"));
  // bob locks the newest revision; ann labels every file afterwards, so
  // she is the last to have changed each logfile.
  QVERIFY(RunAs(space, "bob", Operation::kLock, parser, LockCommand("1.1")));
  for (const char* name : {"parser.c", "util.c"}) {
    QVERIFY(RunAs(space, "ann", Operation::kLabel, project_->Path(QString::fromLatin1(name)),
                  LabelCommand("", "release")));
  }
  MainWindow& window = project_->Window();
  window.Reload(project_->Path(QString()));
  QCOMPARE(Cell(window, "parser.c", FileColumn::kLockedBy), QStringLiteral("bob"));
  QCOMPARE(Cell(window, "util.c", FileColumn::kLockedBy), QString());
  const std::optional<tLogFileHeaderInfo> header = project_->Header("parser.c");
  QVERIFY(header);
  QCOMPARE(QString::fromLatin1(ListField(header->ModifierList(), header->LastModifierIndex())),
           QStringLiteral("ann"));
  // A second holder on the older revision: both are named.
  QVERIFY(RunAs(space, "ann", Operation::kLock, parser, LockCommand("1.0")));
  window.Reload(project_->Path(QString()));
  QStringList holders = Cell(window, "parser.c", FileColumn::kLockedBy).split(QLatin1Char(','));
  holders.sort();
  QCOMPARE(holders, (QStringList{"ann", "bob"}));
  QCOMPARE(project_->Header("parser.c")->LockCount(), 2);
}

void WorkingDayTest::aDamagedLogfileIsListedWithItsReasonAndNeverOfferedForAdding() {
  QVERIFY(project_->Add("good.c", "fine\n"));
  QVERIFY(project_->Add("bad.c", "soon damaged\n"));
  QVERIFY(project_->Write("bad.c", "soon damaged\n"));
  Workspace& space = project_->Space();
  const QString badLogfile = QString::fromStdString(space.LogfilePath("bad.c"));
  // The header cut short.
  QByteArray bytes = testing::ReadFile(badLogfile);
  QVERIFY(bytes.size() > 40);
  QFile::setPermissions(badLogfile, QFile::ReadOwner | QFile::WriteOwner);
  QVERIFY(testing::WriteFile(badLogfile, bytes.left(20)));
  // And a file in the logfile directory that belongs to no workfile (a
  // journal).
  QVERIFY(testing::WriteFile(QString::fromStdString(space.LogfilePath("journal.txt")), "notes\n"));

  MainWindow& window = project_->Window();
  window.Reload(project_->Path(QString()));
  QCOMPARE(window.FilesModel()->rowCount(), 2);
  const std::optional<int> bad = window.FilesModel()->RowOf("bad.c");
  QVERIFY(bad);
  const QModelIndex badName = window.FilesModel()->index(*bad, 0);
  QCOMPARE(badName.data(ProjectFilesModel::kProblemMarkerRole).toString(), QStringLiteral("Damaged"));
  QVERIFY(!badName.data(ProjectFilesModel::kNewMarkerRole).toBool());
  QVERIFY(badName.data(Qt::ToolTipRole).toString().contains(QStringLiteral("its header cannot be read")));
  // Its workfile is not offered for adding.
  QVERIFY(!Items(*window.FilesTab()->WorkfileList()).contains(QStringLiteral("bad.c")));
  QVERIFY(Items(*window.FilesTab()->ProjectList()).contains(QStringLiteral("bad.c")));
  QVERIFY(!window.FilesModel()->RowOf("journal.txt"));

  // The tabs give the reason, naming the logfile; a sound file shows as
  // ever.
  project_->Select("bad.c");
  QVERIFY(!window.TabsProblem()->isHidden());
  QCOMPARE(window.TabsProblem()->text(),
           QStringLiteral("The logfile %1 is damaged: its header cannot be read").arg(badLogfile));
  QCOMPARE(window.RevisionTab()->Entries(), QStringList());
  window.FilesView()->clearSelection();
  project_->Select("good.c");
  QVERIFY(window.TabsProblem()->isHidden());
  QCOMPARE(window.RevisionTab()->Entries(), QStringList{"Revision 1.0"});

  // Removed while listed: the tabs say so.
  QVERIFY(QFile::remove(QString::fromStdString(space.LogfilePath("good.c"))));
  window.FilesView()->clearSelection();
  project_->Select("good.c");
  QVERIFY(window.TabsProblem()->text().contains(QStringLiteral("no longer there")));
  window.RefreshEntry("good.c");
  QVERIFY(!window.FilesModel()->RowOf("good.c"));
}

void WorkingDayTest::theNewMarkerFollowsTheNewestRevision() {
  QVERIFY(project_->Add("a.c", "first\n"));
  MainWindow& window = project_->Window();
  const QString mine = project_->Path(QStringLiteral("a.c"));
  auto reload = [&] { window.Reload(project_->Path(QString())); };

  // My own check-in of a workfile last written well before it.
  GetChoices lock;
  lock.workfile = mine.toStdString();
  lock.writable = WritableChoice::kReplace;
  QVERIFY(project_->Space().Run(Operation::kGet, "a.c", *CheckOutCommand(lock)));
  QVERIFY(project_->Write("a.c", "second\n"));
  QVERIFY(AgeFile(mine, 300));
  CheckInChoices checkIn;
  checkIn.workfile = mine.toStdString();
  checkIn.description = "mine";
  checkIn.leaveCheckedOut = true;  // the workfile stays as it is
  QVERIFY(project_->Space().Run(Operation::kCheckIn, "a.c", CheckInCommand(checkIn)));
  reload();
  QVERIFY(QFileInfo(mine).lastModified().toSecsSinceEpoch() < window.FilesModel()->Entry(0).lastUpdate);
  QVERIFY(!Marked(window, "a.c"));
  // Giving the lock back changes the logfile, not its newest revision.
  QVERIFY(RunAs(project_->Space(), "ann", Operation::kUnlock, mine, UnlockCommand("")));
  reload();
  QVERIFY(!Marked(window, "a.c"));

  // A teammate's check-in from a copy of their own.
  const QString theirs = project_->ScratchPath(QStringLiteral("bob/a.c"));
  QVERIFY(QDir().mkpath(QFileInfo(theirs).path()));
  GetChoices bobLock;
  bobLock.workfile = theirs.toStdString();
  QVERIFY(RunAs(project_->Space(), "bob", Operation::kGet, theirs, *CheckOutCommand(bobLock)));
  QFile::setPermissions(theirs, QFile::ReadOwner | QFile::WriteOwner);
  QVERIFY(testing::WriteFile(theirs, "third, from bob\n"));
  QVERIFY(AgeFile(theirs, 100));
  CheckInChoices bobCheckIn;
  bobCheckIn.workfile = theirs.toStdString();
  bobCheckIn.description = "bob's";
  QVERIFY(RunAs(project_->Space(), "bob", Operation::kCheckIn, theirs, CheckInCommand(bobCheckIn)));
  reload();
  QCOMPARE(testing::ReadStoredLogfile(QString::fromStdString(project_->Space().LogfilePath("a.c")))
               ->header.fixed._iRevisionCount,
           3);
  QVERIFY(Marked(window, "a.c"));

  // I get it, keeping the revision's edit time: it is mine now.
  GetChoices get;
  get.workfile = mine.toStdString();
  get.writable = WritableChoice::kReplace;
  get.timestamp = TimestampChoice::kEditTime;
  QVERIFY(project_->Space().Run(Operation::kGet, "a.c", *GetCommand(get)));
  QCOMPARE(testing::ReadFile(mine), QByteArray("third, from bob\n"));
  reload();
  QVERIFY(!Marked(window, "a.c"));
  // A label changes the logfile but brings no newer revision.
  QVERIFY(RunAs(project_->Space(), "bob", Operation::kLabel, theirs, LabelCommand("", "beta")));
  reload();
  QVERIFY(!Marked(window, "a.c"));
  QVERIFY(QFile::remove(mine) || !QFile::exists(mine));
  reload();
  QVERIFY(Marked(window, "a.c"));
}

void WorkingDayTest::sortingKeepsTheSelectionAndRunsBothWays() {
  QVERIFY(project_->Add("b.c", "b\n"));
  QVERIFY(project_->CheckIn("b.c", "b2\n"));
  QVERIFY(project_->Add("a.c", "a\n"));
  QVERIFY(project_->Add("c.c", "c\n"));
  MainWindow& window = project_->Window();
  QHeaderView* header = window.FilesView()->horizontalHeader();
  auto names = [&] {
    QStringList listed;
    for (const ProjectFile& file : window.FilesModel()->Entries()) listed << QString::fromStdString(file.name);
    return listed;
  };
  QCOMPARE(names(), (QStringList{"a.c", "b.c", "c.c"}));
  project_->Select("b.c");
  QCOMPARE(window.RevisionTab()->Entries().size(), 2);

  emit header->sectionClicked(0);  // the sorted column again: reversed
  QCOMPARE(names(), (QStringList{"c.c", "b.c", "a.c"}));
  QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
  QCOMPARE(header->sortIndicatorSection(), 0);
  QCOMPARE(window.FilesView()->SelectedNames(), std::vector<std::string>{"b.c"});
  QCOMPARE(window.RevisionTab()->Entries().size(), 2);

  project_->Select("a.c");
  emit header->sectionClicked(0);
  QCOMPARE(names(), (QStringList{"a.c", "b.c", "c.c"}));
  QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
  QCOMPARE(window.FilesView()->SelectedNames(), std::vector<std::string>{"a.c"});
  QCOMPARE(window.RevisionTab()->Entries(), QStringList{"Revision 1.0"});
  QVERIFY(window.SelectedDetails());

  // Another column: its natural order first (file size, largest first).
  QVERIFY(project_->Write("c.c", "a much longer text than the others\n"));
  QVERIFY(project_->CheckIn("c.c", "a much longer text than the others\n"));
  project_->Select("a.c");
  emit header->sectionClicked(4);
  QCOMPARE(header->sortIndicatorSection(), 4);
  QCOMPARE(names().first(), QStringLiteral("c.c"));
  QCOMPARE(window.FilesView()->SelectedNames(), std::vector<std::string>{"a.c"});
  emit header->sectionClicked(4);
  QCOMPARE(names().last(), QStringLiteral("c.c"));
}

void WorkingDayTest::theWorkfilePathStaysInTheStatusBar() {
  MainWindow& window = project_->Window();
  const QString path = QStringLiteral("Workfile path: %1/").arg(project_->Path(QString()).chopped(1));
  QCOMPARE(window.WorkfilePathText(), path);
  // A menu entry's prompt, as the pointer crossing the menus sends it.
  QStatusTipEvent tip(QStringLiteral("Get a revision of the selected files"));
  QApplication::sendEvent(&window, &tip);
  QCOMPARE(window.StatusText(), QStringLiteral("Get a revision of the selected files"));
  QCOMPARE(window.WorkfilePathText(), path);
  QStatusTipEvent gone{QString()};
  QApplication::sendEvent(&window, &gone);
  window.ShowStatus(QStringLiteral("Locked revision 1.0"));
  QCOMPARE(window.WorkfilePathText(), path);
  auto* label = window.statusBar()->findChild<QLabel*>(QStringLiteral("workfilePath"));
  QVERIFY(label);
  QCOMPARE(label->text(), path);
}

void WorkingDayTest::startedOnAFileOrAMissingDirectory() {
  QVERIFY(project_->Add("listed.c", "l\n"));
  QVERIFY(project_->Write("new file.c", "n\n"));
  MainWindow& window = project_->Window();
  QVERIFY(QDir::setCurrent(project_->ScratchPath(QStringLiteral("tmp"))));

  // A file under control: its directory, the file chosen, its tabs filled.
  window.OpenStartPath(project_->Path(QStringLiteral("listed.c")));
  QCOMPARE(window.FilesView()->SelectedNames(), std::vector<std::string>{"listed.c"});
  QCOMPARE(window.RevisionTab()->Entries(), QStringList{"Revision 1.0"});
  QVERIFY(window.windowTitle().startsWith(QStringLiteral("project - ")));

  // One that is not: among the files to add, on the Files tab.
  window.OpenStartPath(project_->Path(QStringLiteral("new file.c")));
  QCOMPARE(window.Tabs()->currentWidget(), static_cast<QWidget*>(window.FilesTab()));
  QCOMPARE(window.FilesTab()->SelectedWorkfiles(), QStringList{"new file.c"});
  QVERIFY(watcher_->Texts().isEmpty());

  // A directory that is not there: said in so many words; the current
  // directory opens instead.
  const QString missing = project_->ScratchPath(QStringLiteral("gone away"));
  window.OpenStartPath(missing);
  QCOMPARE(watcher_->Texts(), QStringList{QStringLiteral("The directory %1 does not exist").arg(missing)});
  QCOMPARE(QString::fromStdString(window.CurrentWorkspace().CurrentDirectory()),
           QDir::currentPath() + QStringLiteral("/"));
  QCOMPARE(window.FilesModel()->rowCount(), 1);
}

void WorkingDayTest::aLogfileLockedByAnotherProcessNeverFreezesTheWindow() {
  // Names that differ in more than their first character: each logfile
  // has a lock file of its own.
  for (const char* name : {"apple.c", "berry.c", "cherry.c"}) {
    QVERIFY(project_->Add(name, QByteArray("text of ") + name + "\n"));
  }
  MainWindow& window = project_->Window();
  window.show();
  // A teammate's command is at work on b.c: its lock file is held.
  const tLogfileName lockedName(project_->Space().WorkfileFullName("berry.c").c_str(),
                                &project_->Space().Settings());
  tarn::testing::LockHolder writer(lockedName.LockName());
  QVERIFY(writer.held());
  // The window's pulse: the longest time between two ticks while the user
  // moves through the list.
  QElapsedTimer sinceTick;
  qint64 longestGap = 0;
  QTimer pulse;
  pulse.setInterval(5);
  QObject::connect(&pulse, &QTimer::timeout, [&] {
    longestGap = std::max(longestGap, sinceTick.restart());
  });
  sinceTick.start();
  pulse.start();
  window.Reload(project_->Path(QString()));
  QCOMPARE(window.FilesModel()->rowCount(), 3);
  project_->Select("apple.c");
  window.FilesView()->setFocus();
  const QString busyText = QStringLiteral("The logfile %1 is being changed right now; select it again "
                                          "or press F5 to read it")
                               .arg(QString::fromStdString(lockedName.FullPathName()));
  for (int round = 0; round < 3; ++round) {
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up}) {
      QTest::keyClick(window.FilesView(), key);
      QTest::qWait(1);
    }
    QTest::keyClick(window.FilesView(), Qt::Key_Down);
    QCOMPARE(window.FilesView()->SelectedNames(), std::vector<std::string>{"berry.c"});
    // The tabs show b.c at once: its details, or while the writer holds it
    // (where reading still takes the lock file) why not, naming it.
    if (window.SelectedDetails()) {
      QCOMPARE(window.RevisionTab()->Entries(), QStringList{"Revision 1.0"});
      QVERIFY(window.TabsProblem()->isHidden());
    } else {
      QCOMPARE(window.TabsProblem()->text(), busyText);
      QVERIFY(!window.TabsProblem()->isHidden());
    }
    QTest::keyClick(window.FilesView(), Qt::Key_Up);
    QCOMPARE(window.RevisionTab()->Entries(), QStringList{"Revision 1.0"});
    QVERIFY(window.TabsProblem()->isHidden());
  }
  pulse.stop();
  qInfo("longest time without processing events: %lld ms", static_cast<long long>(longestGap));
  // One lock attempt waits a second; reading must not wait at all.
  QVERIFY2(longestGap < 900, qPrintable(QString::number(longestGap)));
  // The list read during the writer's work names b.c, never drops it.
  const std::optional<int> row = window.FilesModel()->RowOf("berry.c");
  QVERIFY(row);
  const QModelIndex name = window.FilesModel()->index(*row, 0);
  if (!window.FilesModel()->Entry(*row).problem.empty()) {
    QCOMPARE(name.data(ProjectFilesModel::kProblemMarkerRole).toString(), QStringLiteral("Busy"));
    QVERIFY(!name.data(ProjectFilesModel::kDamagedRole).toBool());
    QVERIFY(Items(*window.FilesTab()->ProjectList()).contains(QStringLiteral("berry.c")));
    QVERIFY(!Items(*window.FilesTab()->WorkfileList()).contains(QStringLiteral("berry.c")));
  }
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::WorkingDayTest)
#include "working_day_test.moc"
