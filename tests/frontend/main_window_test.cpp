// The main window against a scratch project: putting a file under control
// from the Files tab, checking it out and in, labelling it and removing the
// label, each change read back from the logfile with the engine; the menu
// enabling rules; window placement and sort column; failures reported.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QtTest>

#include "engine/store/disk_names.h"
#include "frontend/add_dialog.h"
#include "frontend/check_in_dialog.h"
#include "frontend/files_page.h"
#include "frontend/get_dialog.h"
#include "frontend/label_dialog.h"
#include "frontend/main_window.h"
#include "frontend/module_page.h"
#include "frontend/project_files_model.h"
#include "frontend/project_files_view.h"
#include "frontend/remove_label_dialog.h"
#include "frontend/projects_page.h"
#include "frontend/revision_page.h"
#include "frontend/user_preferences.h"
#include "frontend_test_support.h"

namespace tarn::dorn {

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }
  void init();
  void cleanup();

  void addCheckOutCheckInLabelAndRemoveLabel();
  void enablingRules();
  void selectingAFileFillsTheTabsAndADamagedLogfileLeavesThemEmpty();
  void aLogfileDamagedAfterTheListWasFilledLeavesTheTabsEmptyAndTheListUsable();
  void aFailedOperationShowsTheEnginesMessageThenTheFailureText();
  void addingAsksBeforeMakingTheLogfileDirectory();
  void removingAFileFromTheProjectAsksTwice();
  void placementSortColumnAndDirectoryAreStoredInTheUsersIniFile();
  void aStoredPlacementThatIsNotTwoNumbersIsIgnored_data();
  void aStoredPlacementThatIsNotTwoNumbersIsIgnored();
  void theProjectInForceSuppliesTheSettingsAndTheProjectsTab();

 private:
  QString Path(const QString& name) const { return scratch_->filePath(name); }
  void Select(const std::string& name) { window_->FilesView()->SelectName(name); }

  std::unique_ptr<QTemporaryDir> scratch_;
  std::unique_ptr<Workspace> workspace_;
  std::unique_ptr<UserPreferences> preferences_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<testing::ModalWatcher> watcher_;
};

void MainWindowTest::init() {
  scratch_ = std::make_unique<QTemporaryDir>();
  QVERIFY(scratch_->isValid());
  workspace_ = std::make_unique<Workspace>(testing::ScratchSettings(scratch_->path()), Path("config").toStdString());
  preferences_ = std::make_unique<UserPreferences>(workspace_->UserIniFile());
  window_ = std::make_unique<MainWindow>(*workspace_, preferences_.get());
  watcher_ = std::make_unique<testing::ModalWatcher>();
}

void MainWindowTest::cleanup() {
  watcher_.reset();
  window_.reset();
  preferences_.reset();
  workspace_.reset();
  scratch_.reset();
}

void MainWindowTest::addCheckOutCheckInLabelAndRemoveLabel() {
  QVERIFY(testing::WriteFile(Path("hello.c"), "int main(void) { return 0; }\n"));
  window_->Reload(scratch_->path());
  QCOMPARE(window_->Caption()->text(), QStringLiteral("Project Files:"));
  QVERIFY(window_->WorkfilePathText().startsWith(QStringLiteral("Workfile path: ")));
  QCOMPARE(window_->FilesTab()->WorkfileList()->count(), 1);

  // >> : the logfile directory is missing; Yes creates it, then the add
  // dialog runs.
  watcher_->onDialog = [](QDialog& dialog) {
    auto* add = qobject_cast<AddDialog*>(&dialog);
    QVERIFY(add);
    add->DescriptionField()->setPlainText(QStringLiteral("Greets the world"));
    add->AttributeBox(5)->setChecked(false);  // binary: as the default
    add->accept();
  };
  window_->AddToProject({QStringLiteral("hello.c")});
  QCOMPARE(watcher_->Texts().size(), 1);
  QVERIFY(watcher_->Texts().first().contains(QStringLiteral("does not exist.  Create one?")));
  const QString logfile = QString::fromStdString(workspace_->LogfilePath("hello.c"));
  std::optional<testing::StoredLogfile> stored = testing::ReadStoredLogfile(logfile);
  QVERIFY(stored);
  QCOMPARE(stored->header.fixed._iRevisionCount, 1);
  QCOMPARE(QString::fromStdString(stored->header.description), QStringLiteral("Greets the world"));
  QCOMPARE(window_->FilesModel()->rowCount(), 1);
  QCOMPARE(window_->Caption()->text(), QStringLiteral("1 Project Files:"));
  QCOMPARE(window_->FilesTab()->WorkfileList()->count(), 0);
  QCOMPARE(window_->FilesTab()->ProjectList()->count(), 1);
  QCOMPARE(window_->Remembered().description, QStringLiteral("Greets the world"));

  // Check out the newest revision.
  Select("hello.c");
  QCOMPARE(window_->RevisionTab()->Entries(), QStringList{"Revision 1.0"});
  auto checkOut = window_->MakeFileDialog(CommandId::kCheckOut, "hello.c");
  checkOut->accept();
  QCOMPARE(checkOut->result(), int(QDialog::Accepted));
  QCOMPARE(window_->StatusText(),
           QStringLiteral("1.0 --> ") + QString::fromStdString(workspace_->WorkfileFullName("hello.c")));
  stored = testing::ReadStoredLogfile(logfile);
  QCOMPARE(stored->header.fixed._iLockCount, 1);
  window_->RefreshEntry("hello.c");
  QCOMPARE(window_->FilesModel()->index(0, 1).data().toString(), QStringLiteral("ann"));

  // Check in a change.
  QVERIFY(testing::WriteFile(Path("hello.c"), "int main(void) { return 1; }\n"));
  auto checkIn = window_->MakeFileDialog(CommandId::kCheckIn, "hello.c");
  auto* checkInDialog = qobject_cast<CheckInDialog*>(checkIn.get());
  QCOMPARE(checkInDialog->DescriptionField()->toPlainText(), QStringLiteral("Greets the world"));
  checkInDialog->DescriptionField()->setPlainText(QStringLiteral("Fails \"politely\""));
  checkIn->accept();
  QCOMPARE(checkIn->result(), int(QDialog::Accepted));
  stored = testing::ReadStoredLogfile(logfile);
  QCOMPARE(stored->header.fixed._iRevisionCount, 2);
  QCOMPARE(stored->header.fixed._iLockCount, 0);
  QCOMPARE(stored->descriptions.first(), QStringLiteral("Fails \"politely\""));

  // Label the newest revision, chosen in the revision list.
  window_->RefreshEntry("hello.c");
  Select("hello.c");
  auto label = window_->MakeFileDialog(CommandId::kLabel, "hello.c");
  QCOMPARE(label->ChosenRevision(), std::string("1.1"));
  qobject_cast<LabelDialog*>(label.get())->LabelField()->setText(QStringLiteral("first release"));
  label->accept();
  QCOMPARE(label->result(), int(QDialog::Accepted));
  QVERIFY(window_->StatusText().startsWith(QStringLiteral("Labeled revision 1.1 of ")));
  stored = testing::ReadStoredLogfile(logfile);
  QCOMPARE(stored->header.labels.size(), std::size_t{1});
  QCOMPARE(QString::fromStdString(stored->header.labels[0].text), QStringLiteral("first release"));
  QCOMPARE(window_->Remembered().label, QStringLiteral("first release"));

  // Get by the label into another file.
  window_->RefreshEntry("hello.c");
  Select("hello.c");
  auto get = window_->MakeFileDialog(CommandId::kGet, "hello.c");
  auto* getDialog = qobject_cast<GetDialog*>(get.get());
  QVERIFY(getDialog->ByLabelBox()->isEnabled());
  getDialog->ByLabelBox()->setChecked(true);
  QVERIFY(!getDialog->RevisionList()->isEnabled());
  getDialog->LabelList()->setCurrentRow(0);
  QCOMPARE(getDialog->LabelField()->text(), QStringLiteral("first release"));
  getDialog->findChild<QLineEdit*>(QStringLiteral("workfile"))->setText(Path("copy/hello.c"));
  getDialog->WritableList()->setCurrentText(QStringLiteral("Replace any writable files"));
  get->accept();  // the missing directory is created after the question
  QCOMPARE(get->result(), int(QDialog::Accepted));
  QCOMPARE(testing::ReadFile(Path("copy/hello.c")), QByteArray("int main(void) { return 1; }\n"));
  QCOMPARE(window_->StatusText(),
           QStringLiteral("version 'first release' --> ") + Path("copy/hello.c"));

  // Remove the label again.
  Select("hello.c");
  auto unlabel = window_->MakeFileDialog(CommandId::kRemoveLabel, "hello.c");
  auto* labels = qobject_cast<RemoveLabelDialog*>(unlabel.get())->LabelList();
  QCOMPARE(labels->count(), 1);
  QCOMPARE(labels->currentIndex(), -1);  // nothing chosen for the user
  labels->setCurrentIndex(0);
  unlabel->accept();
  QCOMPARE(unlabel->result(), int(QDialog::Accepted));
  stored = testing::ReadStoredLogfile(logfile);
  QVERIFY(stored->header.labels.empty());
  QCOMPARE(window_->StatusText(),
           QStringLiteral("Removed label 'first release' from ") + logfile);
}

void MainWindowTest::enablingRules() {
  for (const char* name : {"a.c", "b.c"}) {
    QVERIFY(testing::WriteFile(Path(name), "x\n"));
  }
  window_->Reload(scratch_->path());
  auto enabled = [this](CommandId id) { return window_->Action(id)->isEnabled(); };
  QVERIFY(!enabled(CommandId::kRefresh));  // an empty list
  QVERIFY(!enabled(CommandId::kGet));
  watcher_->onDialog = [](QDialog& dialog) { dialog.accept(); };
  window_->AddToProject({QStringLiteral("a.c")});
  window_->AddToProject({QStringLiteral("b.c")});
  QCOMPARE(window_->FilesModel()->rowCount(), 2);
  QVERIFY(enabled(CommandId::kRefresh));
  QVERIFY(!enabled(CommandId::kGet));
  QVERIFY(enabled(CommandId::kMaintainUsers));
  QVERIFY(enabled(CommandId::kAbout));

  Select("a.c");
  for (CommandId id : {CommandId::kGet, CommandId::kCheckOut, CommandId::kLock, CommandId::kCheckIn,
                       CommandId::kUnlock, CommandId::kLabel, CommandId::kRemoveLabel}) {
    QVERIFY2(enabled(id), qPrintable(QString::number(static_cast<int>(id))));
  }
  QVERIFY(enabled(CommandId::kCompare));  // compare and view are served from the start
  QVERIFY(enabled(CommandId::kProjectGet));  // and so are the project-wide operations
  QVERIFY(enabled(CommandId::kProjectSettings));  // project editing serves it

  std::vector<std::string> handled;
  const auto record = [&](const std::vector<std::string>& files) { handled = files; };
  window_->SetCommandHandler(CommandId::kCompare, record);
  window_->SetCommandHandler(CommandId::kProjectGet, record);
  window_->SetCommandHandler(CommandId::kGet, record);
  QVERIFY(enabled(CommandId::kCompare));
  QVERIFY(enabled(CommandId::kProjectGet));

  window_->FilesView()->selectAll();
  QVERIFY(enabled(CommandId::kGet));  // several files: the multi-file handler
  QVERIFY(enabled(CommandId::kCheckOut));
  QVERIFY(!enabled(CommandId::kCompare));  // needs exactly one
  window_->Action(CommandId::kGet)->trigger();
  QCOMPARE(handled, (std::vector<std::string>{"a.c", "b.c"}));
  window_->FilesView()->clearSelection();
  window_->Action(CommandId::kProjectGet)->trigger();
  QCOMPARE(handled, (std::vector<std::string>{"a.c", "b.c"}));
  QVERIFY(!enabled(CommandId::kGet));

  window_->Action(CommandId::kModuleTab)->trigger();
  QCOMPARE(window_->Tabs()->currentWidget(), static_cast<QWidget*>(window_->ModuleTab()));
  QCOMPARE(window_->Action(CommandId::kRefresh)->shortcut(), QKeySequence(Qt::Key_F5));
  QCOMPARE(window_->Action(CommandId::kProjectGet)->statusTip(),
           QStringLiteral("Get all files of current project"));
}

void MainWindowTest::selectingAFileFillsTheTabsAndADamagedLogfileLeavesThemEmpty() {
  QVERIFY(testing::WriteFile(Path("good.c"), "x\n"));
  window_->Reload(scratch_->path());
  watcher_->onDialog = [](QDialog& dialog) { dialog.accept(); };
  window_->AddToProject({QStringLiteral("good.c")});
  Select("good.c");
  QCOMPARE(window_->RevisionTab()->Entries().size(), 1);
  QCOMPARE(window_->ModuleTab()->AttributeButtons()[0]->checkState(), Qt::Checked);
  // A logfile cut short: the list keeps it, marked, and the tabs stay
  // empty but for the reason.
  const QString logfile = QString::fromStdString(workspace_->LogfilePath("good.c"));
  QFile::setPermissions(logfile, QFile::ReadOwner | QFile::WriteOwner);
  QByteArray bytes = testing::ReadFile(logfile);
  QVERIFY(testing::WriteFile(logfile, bytes.left(40)));
  window_->Reload(scratch_->path());
  QCOMPARE(window_->FilesModel()->rowCount(), 1);
  QVERIFY(window_->FilesModel()->Entry(0).damaged);
  Select("good.c");
  QVERIFY(window_->TabsProblem()->text().contains(logfile));
  QVERIFY(window_->RevisionTab()->Entries().isEmpty());
  QCOMPARE(window_->ModuleTab()->AttributeButtons()[0]->checkState(), Qt::PartiallyChecked);
  QVERIFY(watcher_->Texts().size() <= 1);  // only the question that made the directory
}

void MainWindowTest::aLogfileDamagedAfterTheListWasFilledLeavesTheTabsEmptyAndTheListUsable() {
  QVERIFY(testing::WriteFile(Path("one.c"), "1\n"));
  QVERIFY(testing::WriteFile(Path("two.c"), "2\n"));
  window_->Reload(scratch_->path());
  watcher_->onDialog = [](QDialog& dialog) { dialog.accept(); };
  window_->AddToProject({QStringLiteral("one.c")});
  window_->AddToProject({QStringLiteral("two.c")});
  QCOMPARE(window_->FilesModel()->rowCount(), 2);
  watcher_->Clear();
  // one.c's logfile loses its revision records behind the list's back.
  const QString logfile = QString::fromStdString(workspace_->LogfilePath("one.c"));
  QFile::setPermissions(logfile, QFile::ReadOwner | QFile::WriteOwner);
  const QByteArray bytes = testing::ReadFile(logfile);
  QVERIFY(testing::WriteFile(logfile, bytes.left(bytes.size() - 20)));
  Select("one.c");
  QVERIFY(window_->RevisionTab()->Entries().isEmpty());
  QCOMPARE(window_->ModuleTab()->AttributeButtons()[0]->checkState(), Qt::PartiallyChecked);
  QCOMPARE(window_->FilesModel()->rowCount(), 2);
  QVERIFY(window_->Action(CommandId::kGet)->isEnabled());
  // The other file still shows.
  Select("two.c");
  QCOMPARE(window_->RevisionTab()->Entries(), QStringList{"Revision 1.0"});
  QCOMPARE(window_->ModuleTab()->AttributeButtons()[0]->checkState(), Qt::Checked);
  QVERIFY(watcher_->Texts().isEmpty());  // reading for display asks and tells nothing
}

void MainWindowTest::aFailedOperationShowsTheEnginesMessageThenTheFailureText() {
  QVERIFY(testing::WriteFile(Path("f.c"), "x\n"));
  window_->Reload(scratch_->path());
  watcher_->onDialog = [](QDialog& dialog) { dialog.accept(); };
  window_->AddToProject({QStringLiteral("f.c")});
  watcher_->Clear();
  const QString logfile = QString::fromStdString(workspace_->LogfilePath("f.c"));
  const QByteArray before = testing::ReadFile(logfile);
  // Revision 1.7 does not exist: the engine says so, then the dialog.
  Select("f.c");
  auto lock = window_->MakeFileDialog(CommandId::kLock, "f.c");
  lock->RevisionList()->addItem(QStringLiteral("Revision 1.7"));
  lock->RevisionList()->setCurrentIndex(lock->RevisionList()->count() - 1);
  lock->show();
  lock->accept();
  QVERIFY(lock->isVisible());  // the lock dialog stays open after a failure
  // One box: the dialog's failure, the engine's reason inside it.
  QCOMPARE(watcher_->Texts().size(), 1);
  QCOMPARE(watcher_->Texts()[0], QStringLiteral("Failed to lock revision 1.7 in ") + logfile);
  QVERIFY(watcher_->Boxes()[0].informative.contains(QStringLiteral("1.7")));
  QCOMPARE(testing::ReadFile(logfile), before);
  lock->hide();
  // A revision the command's parser refuses: the parser says why, then the
  // dialog; the refusal never escapes as a fault.
  watcher_->Clear();
  auto badLock = window_->MakeFileDialog(CommandId::kLock, "f.c");
  badLock->RevisionList()->addItem(QStringLiteral("Revision 1.x"));
  badLock->RevisionList()->setCurrentIndex(badLock->RevisionList()->count() - 1);
  badLock->show();
  badLock->accept();
  QVERIFY(badLock->isVisible());
  QCOMPARE(watcher_->Texts(), QStringList{QStringLiteral("Failed to lock revision 1.x in ") + logfile});
  QVERIFY(!watcher_->Boxes()[0].informative.isEmpty());
  QCOMPARE(testing::ReadFile(logfile), before);
  badLock->hide();
  // An empty label runs nothing and keeps the label dialog open.
  watcher_->Clear();
  auto label = window_->MakeFileDialog(CommandId::kLabel, "f.c");
  qobject_cast<LabelDialog*>(label.get())->LabelField()->clear();
  label->show();
  label->accept();
  QVERIFY(label->isVisible());
  QCOMPARE(watcher_->Texts(), QStringList{"You must supply a label string!"});
  QCOMPARE(testing::ReadFile(logfile), before);
}

void MainWindowTest::addingAsksBeforeMakingTheLogfileDirectory() {
  QVERIFY(testing::WriteFile(Path("new.c"), "n\n"));
  window_->Reload(scratch_->path());
  int dialogs = 0;
  watcher_->onDialog = [&](QDialog& dialog) {
    ++dialogs;
    dialog.reject();
  };
  // No: nothing is made, no add dialog runs.
  QStringList questions;
  window_->SetQuestionAnswerer([&](const QString& question) {
    questions << question;
    return false;
  });
  window_->AddToProject({QStringLiteral("new.c")});
  const QString directory = QString::fromStdString(workspace_->LogfileDirectory("new.c"));
  QCOMPARE(questions, QStringList{QStringLiteral("Directory '%1' for TARN logfiles does not "
                                                 "exist.  Create one?")
                                      .arg(directory)});
  QVERIFY(!QFileInfo::exists(directory));
  QCOMPARE(dialogs, 0);
  QCOMPARE(window_->FilesTab()->WorkfileList()->count(), 1);

  // Yes, where no directory can be made (a file stands in its way): the
  // failure is shown and nothing else happens.
  QVERIFY(testing::WriteFile(Path("blocker"), "a file\n"));
  tEnvVar blocked = testing::ScratchSettings(scratch_->path());
  blocked.TARNPath(Path("blocker/tarn/").toUtf8().constData());
  Workspace workspace(blocked, Path("config").toStdString());
  MainWindow window(workspace, nullptr);
  window.Reload(scratch_->path());
  window.SetQuestionAnswerer([](const QString&) { return true; });
  watcher_->Clear();
  window.AddToProject({QStringLiteral("new.c")});
  QCOMPARE(watcher_->Texts(),
           QStringList{QStringLiteral("Failed to create directory '%1'").arg(Path("blocker/tarn/"))});
  QCOMPARE(dialogs, 0);
  QCOMPARE(window.FilesModel()->rowCount(), 0);
  QCOMPARE(window.FilesTab()->WorkfileList()->count(), 2);  // new.c and blocker, both still to add
}

void MainWindowTest::removingAFileFromTheProjectAsksTwice() {
  QVERIFY(testing::WriteFile(Path("gone.c"), "x\n"));
  window_->Reload(scratch_->path());
  watcher_->onDialog = [](QDialog& dialog) { dialog.accept(); };
  window_->AddToProject({QStringLiteral("gone.c")});
  const QString logfile = QString::fromStdString(workspace_->LogfilePath("gone.c"));
  QVERIFY(QFile::exists(logfile));
  int asked = 0;
  QStringList questions;
  window_->SetQuestionAnswerer([&](const QString& question) {
    questions << question;
    return ++asked == 1;  // Yes, then No
  });
  window_->RemoveFromProject(QStringLiteral("gone.c"));
  QCOMPARE(asked, 2);
  // Each names the file twice, and below what a Yes destroys.
  for (const QString& question : questions) {
    const QStringList parts = question.split(QStringLiteral("\n\n"));
    QCOMPARE(parts.size(), 2);
    QCOMPARE(parts[0].count(QStringLiteral("gone.c")), 2);
    QCOMPARE(parts[1], QStringLiteral("Removing gone.c deletes its logfile %1 with all 1 revisions and 0 "
                                      "labels.  This cannot be undone.").arg(logfile));
  }
  QVERIFY(questions[1].startsWith(QStringLiteral("This annoying message box appears again")));
  QVERIFY(QFile::exists(logfile));
  asked = 0;
  window_->SetQuestionAnswerer([&](const QString&) {
    ++asked;
    return true;
  });
  window_->RemoveFromProject(QStringLiteral("gone.c"));
  QCOMPARE(asked, 2);
  QVERIFY(!QFile::exists(logfile));
  QCOMPARE(window_->FilesModel()->rowCount(), 0);
  QCOMPARE(window_->FilesTab()->WorkfileList()->count(), 1);
}

void MainWindowTest::placementSortColumnAndDirectoryAreStoredInTheUsersIniFile() {
  window_.reset();
  QCOMPARE(QString::fromStdString(workspace_->UserIniFile()), Path("config/ann.ini"));
  QVERIFY(testing::WriteFile(Path("config/ann.ini"),
                             "[Settings]\nWindowSize=640,480\nWindowPosition=12, 34\n"
                             "SortColumn=Last Changed\n"));
  window_ = std::make_unique<MainWindow>(*workspace_, preferences_.get());
  QCOMPARE(window_->size(), QSize(640, 480));
  QCOMPARE(window_->pos(), QPoint(12, 34));
  QCOMPARE(window_->FilesModel()->SortColumn(), FileColumn::kLastChanged);
  window_->Reload(Path("."));
  window_->show();
  window_->resize(900, 700);
  window_->FilesView()->horizontalHeader()->sectionClicked(4);
  QCOMPARE(window_->FilesModel()->SortColumn(), FileColumn::kFileSize);
  window_->close();
  QCOMPARE(window_->size(), QSize(900, 700));
  const QString ini = QString::fromUtf8(testing::ReadFile(Path("config/ann.ini")));
  QVERIFY2(ini.startsWith(QStringLiteral("[Settings]\n")), qPrintable(ini));
  QVERIFY2(ini.contains(QStringLiteral("\nWindowSize=900,700\n")), qPrintable(ini));
  QVERIFY2(ini.contains(QStringLiteral("\nSortColumn=File size\n")), qPrintable(ini));
  QVERIFY2(ini.contains(QStringLiteral("\nCurrentDirectory=%1/\n")
                            .arg(QDir(scratch_->path()).canonicalPath())),
           qPrintable(ini));
  const QRegularExpression position(QStringLiteral("\nWindowPosition=-?\\d+,-?\\d+\n"));
  QVERIFY2(position.match(ini).hasMatch(), qPrintable(ini));
}

void MainWindowTest::aStoredPlacementThatIsNotTwoNumbersIsIgnored_data() {
  QTest::addColumn<QByteArray>("value");
  QTest::newRow("a word") << QByteArray("wide");
  QTest::newRow("one number") << QByteArray("640");
  QTest::newRow("three numbers") << QByteArray("640,480,2");
  QTest::newRow("empty half") << QByteArray("640,");
  QTest::newRow("letters after a number") << QByteArray("640px,480");
  QTest::newRow("no size") << QByteArray("0,0");
}

void MainWindowTest::aStoredPlacementThatIsNotTwoNumbersIsIgnored() {
  QFETCH(QByteArray, value);
  window_.reset();
  const QSize standing = MainWindow(*workspace_, nullptr).size();
  const QPoint standingPosition = MainWindow(*workspace_, nullptr).pos();
  QVERIFY(testing::WriteFile(Path("config/ann.ini"), "[Settings]\nWindowSize=" + value +
                                                         "\nWindowPosition=" + value +
                                                         "\nSortColumn=" + value + "\n"));
  window_ = std::make_unique<MainWindow>(*workspace_, preferences_.get());
  QCOMPARE(window_->size(), standing);
  if (value != "0,0") QCOMPARE(window_->pos(), standingPosition);
  QCOMPARE(window_->FilesModel()->SortColumn(), FileColumn::kFilename);
}

void MainWindowTest::theProjectInForceSuppliesTheSettingsAndTheProjectsTab() {
  // A system project whose logfiles live apart from its workfiles, and a
  // user project of ann's elsewhere.
  const QString logs = Path("logs");
  QVERIFY(testing::WriteFile(
      Path("config/dorn.ini"),
      QStringLiteral("[Projects]\nwidget=%1/src/\n[widget]\nTARNPATH=%2/\n")
          .arg(QDir(scratch_->path()).canonicalPath(), logs)
          .toUtf8()));
  QVERIFY(testing::WriteFile(Path("config/ann.ini"),
                             QStringLiteral("[Projects]\nsketches=%1/sketches/\n")
                                 .arg(QDir(scratch_->path()).canonicalPath())
                                 .toUtf8()));
  QVERIFY(testing::WriteFile(Path("src/w.c"), "w\n"));
  QVERIFY(testing::WriteFile(Path("sketches/s.c"), "s\n"));
  window_->Reload(Path("src"));
  QCOMPARE(window_->WorkfilePathText(),
           QStringLiteral("Workfile path: %1/src/").arg(QDir(scratch_->path()).canonicalPath()));
  QVERIFY(window_->ProjectsTab()->ShowsSystemProjects());
  QTreeWidget* list = window_->ProjectsTab()->List();
  QCOMPARE(list->topLevelItemCount(), 2);
  QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Default"));
  QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("widget"));
  QVERIFY(list->topLevelItem(1)->font(0).bold());  // the project in force
  // Adding puts the logfile where the project keeps them.
  watcher_->onDialog = [](QDialog& dialog) { dialog.accept(); };
  window_->AddToProject({QStringLiteral("w.c")});
  QVERIFY(QFile::exists(logs + QStringLiteral("/") + QString::fromStdString(LogfileNameOf("w.c"))));
  QCOMPARE(window_->FilesModel()->rowCount(), 1);
  QCOMPARE(QString::fromStdString(window_->FilesModel()->Entries().front().logfilePath),
           logs + QStringLiteral("/") + QString::fromStdString(LogfileNameOf("w.c")));

  window_->Reload(Path("sketches"));
  QVERIFY(!window_->ProjectsTab()->ShowsSystemProjects());
  QCOMPARE(list->topLevelItemCount(), 1);
  QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("sketches"));
  QCOMPARE(window_->FilesModel()->rowCount(), 0);  // logfiles of its own, in ./tarn
  QCOMPARE(window_->FilesTab()->WorkfileList()->count(), 1);
  // The choice shows the other list.
  window_->ProjectsTab()->findChild<QRadioButton*>(QStringLiteral("system"))->setChecked(true);
  QCOMPARE(list->topLevelItemCount(), 2);
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::MainWindowTest)
#include "main_window_test.moc"
