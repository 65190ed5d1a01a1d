// The operations over many files against scratch projects made with the
// engine's own commands: the multi-file dialogs' titles and fields, "Yes to
// all" holding for one run only, No counted as left alone, Stop (and Esc)
// ending a run after the file at hand, failures collected into one closing
// box, the label count of a run with failures, the label lists filled
// from every logfile (and stopped by one that cannot be opened), and each
// operation's effect read back from the logfiles.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

#include "frontend/add_dialog.h"
#include "frontend/check_in_dialog.h"
#include "frontend/command_strings.h"
#include "frontend/files_page.h"
#include "frontend/front_text.h"
#include "frontend/get_dialog.h"
#include "frontend/label_dialog.h"
#include "frontend/main_window.h"
#include "frontend/project_files_model.h"
#include "frontend/project_files_view.h"
#include "frontend/project_operations.h"
#include "frontend/remove_label_dialog.h"
#include "frontend_test_support.h"

namespace tarn::dorn {
namespace {

const std::vector<std::string> kFive{"a.c", "b.c", "c.c", "d.c", "e.c"};

QStringList CaptionsOf(const QDialog& dialog) {
  QStringList captions;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) captions << label->text();
  return captions;
}

}  // namespace

class ProjectOperationsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }
  void init();
  void cleanup();

  void eachMultiFileFormShowsItsTitleCaptionsAndDirectories_data();
  void eachMultiFileFormShowsItsTitleCaptionsAndDirectories();
  void theWorkfileDirectoryIsChosenInADirectoryChooser();
  void addingSeveralWorkfilesRunsTheMultiFileAdd();
  void yesToAllAnswersTheRestOfTheRunAndTheNextRunAsksAgain();
  void noToAllLeavesEveryFileAloneWithoutAFailureBox();
  void stopEndsTheRunAfterTheFileAtHand_data();
  void stopEndsTheRunAfterTheFileAtHand();
  void labellingFiveFilesOfWhichTwoFailCountsThree();
  void checkOutCheckInLockUnlockAndRemoveLabelOverTheSelectedFiles();
  void theLabelListsAreFilledFromEveryLogfile();
  void aLogfileThatCannotBeOpenedStopsTheFillingAndTheDialogStaysUsable();
  void noSecondOperationStartsWhileARunGoesOn();

 private:
  QString Path(const QString& name) const { return scratch_->filePath(name); }
  QString Logfile(const std::string& name) const { return Qs(workspace_->LogfilePath(name)); }
  // Puts `names` under control with the engine's create command, then
  // fills the window's list.
  void MakeProject(const std::vector<std::string>& names);
  void Label(const std::string& name, const std::string& label);
  // Cuts a logfile short behind the list's back: its commands fail.
  void Damage(const std::string& name);
  // Writes a workfile the user may have changed (writable).
  void WriteWorkfile(const std::string& name, const QByteArray& text);
  std::optional<testing::StoredLogfile> Stored(const std::string& name) const {
    return testing::ReadStoredLogfile(Logfile(name));
  }
  // Starts a menu command and lets `fill` fill in and close its dialog.
  int RunCommand(CommandId id, const std::function<void(FileOperationDialog&)>& fill);

  std::unique_ptr<QTemporaryDir> scratch_;
  std::unique_ptr<Workspace> workspace_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<testing::ModalWatcher> watcher_;
};

void ProjectOperationsTest::init() {
  scratch_ = std::make_unique<QTemporaryDir>();
  QVERIFY(scratch_->isValid());
  workspace_ = std::make_unique<Workspace>(testing::ScratchSettings(scratch_->path()),
                                           Path("config").toStdString());
  window_ = std::make_unique<MainWindow>(*workspace_, nullptr);
  watcher_ = std::make_unique<testing::ModalWatcher>();
}

void ProjectOperationsTest::cleanup() {
  watcher_.reset();
  window_.reset();
  workspace_.reset();
  scratch_.reset();
}

void ProjectOperationsTest::MakeProject(const std::vector<std::string>& names) {
  QVERIFY(workspace_->Enter(scratch_->path().toStdString()));
  for (const std::string& name : names) {
    WriteWorkfile(name, QByteArray("first text of ") + name.c_str() + "\n");
    QVERIFY(QDir().mkpath(Qs(workspace_->LogfileDirectory(name))));
    AddChoices add;
    add.workfile = workspace_->WorkfileFullName(name);
    add.description = "module " + name;
    QVERIFY2(workspace_->Run(Operation::kCheckIn, name, AddCommand(add)), name.c_str());
  }
  window_->Reload(scratch_->path());
  QCOMPARE(window_->FilesModel()->rowCount(), static_cast<int>(names.size()));
}

void ProjectOperationsTest::Label(const std::string& name, const std::string& label) {
  QVERIFY(workspace_->Run(Operation::kLabel, name, LabelCommand("", label)));
}

void ProjectOperationsTest::Damage(const std::string& name) {
  const QString logfile = Logfile(name);
  QFile::setPermissions(logfile, QFile::ReadOwner | QFile::WriteOwner);
  QVERIFY(testing::WriteFile(logfile, testing::ReadFile(logfile).left(40)));
}

void ProjectOperationsTest::WriteWorkfile(const std::string& name, const QByteArray& text) {
  const QString path = Path(Qs(name));
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
  QVERIFY(testing::WriteFile(path, text));
  QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
}

int ProjectOperationsTest::RunCommand(CommandId id,
                                      const std::function<void(FileOperationDialog&)>& fill) {
  int result = -1;
  watcher_->onDialog = [&](QDialog& dialog) {
    auto* operation = qobject_cast<FileOperationDialog*>(&dialog);
    QVERIFY(operation);
    connect(operation, &QDialog::finished, operation, [&result](int code) { result = code; });
    fill(*operation);
  };
  window_->Action(id)->trigger();
  watcher_->onDialog = nullptr;
  return result;
}

void ProjectOperationsTest::eachMultiFileFormShowsItsTitleCaptionsAndDirectories_data() {
  QTest::addColumn<int>("operation");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QStringList>("captions");
  QTest::addColumn<bool>("workfileField");
  using M = MultiFileOperation;
  QTest::newRow("get") << int(M::kGet) << "Get 3 files"
                       << QStringList{"The default revision:", "From the logfile directory:",
                                      "Into the workfile directory:"}
                       << true;
  QTest::newRow("check out") << int(M::kCheckOut) << "Check out 3 files from project"
                             << QStringList{"The default revision:", "From the logfile directory:",
                                            "Into the workfile directory:"}
                             << true;
  QTest::newRow("check in") << int(M::kCheckIn) << "Check In 3 Files"
                            << QStringList{"From the workfile directory:", "Into the archive directory:",
                                           "Enter a description of the changes for these modules:"}
                            << true;
  QTest::newRow("add") << int(M::kAdd) << "Add 3 files to project"
                       << QStringList{"From the workfiles in this directory:",
                                      "Create logfiles in this directory:",
                                      "Enter a description for these modules:"}
                       << true;
  QTest::newRow("lock") << int(M::kLock) << "Lock 3 project files"
                        << QStringList{"Lock the default revision", "For logfiles in this directory:"}
                        << false;
  QTest::newRow("unlock") << int(M::kUnlock) << "Unlock any locked project files"
                          << QStringList{"Unlock the default revision",
                                         "For logfiles in this directory:"}
                          << false;
  QTest::newRow("label") << int(M::kLabel) << "Label 3 project files"
                         << QStringList{"Label the default revision", "For logfiles in this directory:",
                                        "with the label:"}
                         << false;
  QTest::newRow("remove label") << int(M::kRemoveLabel) << "Remove a label from 3 project files"
                                << QStringList{"Remove the label:", "From logfiles in this directory:"}
                                << false;
}

void ProjectOperationsTest::eachMultiFileFormShowsItsTitleCaptionsAndDirectories() {
  QFETCH(int, operation);
  QFETCH(QString, title);
  QFETCH(QStringList, captions);
  QFETCH(bool, workfileField);
  MakeProject({"x.c", "y.c", "z.c"});
  window_->FilesView()->SelectName("y.c");  // the Revision tab has entries
  std::unique_ptr<FileOperationDialog> dialog = MakeMultiFileDialog(
      *window_, static_cast<MultiFileOperation>(operation), {"x.c", "y.c", "z.c"});
  QCOMPARE(dialog->windowTitle(), title);
  for (const QString& caption : captions) {
    QVERIFY2(CaptionsOf(*dialog).contains(caption), qPrintable(CaptionsOf(*dialog).join('|')));
  }
  // The first file's logfile directory, never a single file's path.
  QCOMPARE(dialog->ArchiveField()->text(), Qs(workspace_->LogfileDirectory("x.c")));
  QVERIFY(dialog->ArchiveField()->isReadOnly());
  if (dialog->RevisionList()) QVERIFY(!dialog->RevisionList()->isEnabled());
  QCOMPARE(dialog->ChosenRevision(), std::string());
  auto* workfile = dialog->findChild<QLineEdit*>(QStringLiteral("workfile"));
  QCOMPARE(workfile != nullptr, workfileField);
  if (workfile) QCOMPARE(workfile->text(), Qs(workspace_->WorkfilePath()));
}

void ProjectOperationsTest::theWorkfileDirectoryIsChosenInADirectoryChooser() {
  MakeProject({"x.c", "y.c"});
  QVERIFY(QDir().mkpath(Path("elsewhere")));
  std::unique_ptr<FileOperationDialog> dialog =
      MakeMultiFileDialog(*window_, MultiFileOperation::kGet, {"x.c", "y.c"});
  QString chooserTitle;
  watcher_->onDialog = [&](QDialog& chooser) {
    auto* files = qobject_cast<QFileDialog*>(&chooser);
    QVERIFY(files);
    chooserTitle = files->windowTitle();
    QCOMPARE(files->fileMode(), QFileDialog::Directory);
    files->setDirectory(Path("elsewhere"));
    chooser.accept();
  };
  dialog->findChild<QPushButton*>(QStringLiteral("browse"))->click();
  QCOMPARE(chooserTitle, QStringLiteral("Select a directory"));
  QCOMPARE(dialog->WorkfileDirectory(), (Path("elsewhere") + "/").toStdString());
  // The files are fetched into the chosen directory.
  watcher_->onDialog = nullptr;
  dialog->accept();
  QCOMPARE(dialog->result(), int(QDialog::Accepted));
  QCOMPARE(testing::ReadFile(Path("elsewhere/y.c")), QByteArray("first text of y.c\n"));
}

void ProjectOperationsTest::addingSeveralWorkfilesRunsTheMultiFileAdd() {
  for (const char* name : {"one.c", "two.c", "three.c"}) {
    QVERIFY(testing::WriteFile(Path(name), QByteArray(name) + "\n"));
  }
  window_->Reload(scratch_->path());
  QString title;
  watcher_->onDialog = [&](QDialog& dialog) {
    auto* add = qobject_cast<AddDialog*>(&dialog);
    QVERIFY(add);
    title = add->windowTitle();
    add->DescriptionField()->setPlainText(QStringLiteral("Counts"));
    add->accept();
  };
  window_->AddToProject({"one.c", "three.c", "two.c"});
  QCOMPARE(title, QStringLiteral("Add 3 files to project"));
  QCOMPARE(watcher_->Texts().size(), 1);  // only the logfile directory question
  for (const std::string name : {"one.c", "two.c", "three.c"}) {
    std::optional<testing::StoredLogfile> stored = Stored(name);
    QVERIFY2(stored, name.c_str());
    QCOMPARE(QString::fromStdString(stored->header.description), QStringLiteral("Counts"));
    QCOMPARE(stored->header.fixed._iRevisionCount, 1);
  }
  QCOMPARE(window_->FilesModel()->rowCount(), 3);
  QCOMPARE(window_->FilesTab()->WorkfileList()->count(), 0);
  QCOMPARE(window_->FilesTab()->ProjectList()->count(), 3);
  QCOMPARE(window_->Remembered().description, QStringLiteral("Counts"));

  // A workfile whose logfile exists already fails; the others are added.
  for (const char* name : {"four.c", "five.c"}) {
    QVERIFY(testing::WriteFile(Path(name), QByteArray(name) + "\n"));
  }
  window_->Reload(scratch_->path());
  watcher_->Clear();
  watcher_->onDialog = [](QDialog& dialog) { dialog.accept(); };
  window_->AddToProject({"five.c", "one.c", "four.c"});
  // one.c's failure, in the run's closing box.
  QCOMPARE(watcher_->Texts(), QStringList{"1 of 3 files could not be done:"});
  QVERIFY(watcher_->Boxes().front().informative.contains(
      QStringLiteral("Failed to create logfile %1 for %2").arg(Logfile("one.c"), Path("one.c"))));
  QVERIFY(Stored("four.c") && Stored("five.c"));
  QCOMPARE(Stored("one.c")->header.fixed._iRevisionCount, 1);
  QCOMPARE(window_->FilesModel()->rowCount(), 5);
}

void ProjectOperationsTest::yesToAllAnswersTheRestOfTheRunAndTheNextRunAsksAgain() {
  MakeProject({"a.c", "b.c", "c.c"});
  for (const std::string name : {"a.c", "b.c", "c.c"}) WriteWorkfile(name, "my changes\n");
  watcher_->press = [](const QString& text) {
    return text.contains(QStringLiteral("writable")) ? QStringLiteral("Yes to all") : QString();
  };
  int result = RunCommand(CommandId::kProjectGet, [](FileOperationDialog& dialog) { dialog.accept(); });
  QCOMPARE(result, int(QDialog::Accepted));
  QCOMPARE(watcher_->Boxes().size(), std::size_t{1});  // the first question only
  QVERIFY(watcher_->Boxes().front().text.contains(Path("a.c")));
  QCOMPARE(watcher_->Boxes().front().buttons,
           (QStringList{"Yes", "Yes to all", "No to all", "No"}));
  for (const std::string name : {"a.c", "b.c", "c.c"}) {
    QCOMPARE(testing::ReadFile(Path(Qs(name))), QByteArray("first text of ") + name.c_str() + "\n");
  }
  QVERIFY(!window_->EngineHost().AnswerForAll());

  // The next get asks again, once per file: each No keeps that workfile,
  // and the file counts as left alone, not as failed.
  for (const std::string name : {"a.c", "b.c", "c.c"}) WriteWorkfile(name, "my changes\n");
  watcher_->Clear();
  watcher_->press = [](const QString&) { return QStringLiteral("No"); };
  window_->FilesView()->selectAll();
  result = RunCommand(CommandId::kGet, [](FileOperationDialog& dialog) { dialog.accept(); });
  QCOMPARE(result, int(QDialog::Rejected));
  QCOMPARE(watcher_->Boxes().size(), std::size_t{3});  // the questions, no failure box
  for (const testing::SeenBox& box : watcher_->Boxes()) {
    QCOMPARE(box.buttons.size(), 4);
    QCOMPARE(box.defaultButton, QStringLiteral("No"));
    QVERIFY(box.informative.contains(QStringLiteral("loses every change")));
  }
  QCOMPARE(window_->StatusText(), QStringLiteral("0 done, 3 left alone, 0 failed"));
  for (const std::string name : {"a.c", "b.c", "c.c"}) {
    QCOMPARE(testing::ReadFile(Path(Qs(name))), QByteArray("my changes\n"));
  }
  QVERIFY(window_->FilesView()->SelectedNames().empty());  // cleared after the dialog
}

void ProjectOperationsTest::noToAllLeavesEveryFileAloneWithoutAFailureBox() {
  MakeProject({"a.c", "b.c", "c.c"});
  for (const std::string name : {"a.c", "b.c", "c.c"}) WriteWorkfile(name, "my changes\n");
  watcher_->press = [](const QString&) { return QStringLiteral("No to all"); };
  const int result =
      RunCommand(CommandId::kProjectGet, [](FileOperationDialog& dialog) { dialog.accept(); });
  QCOMPARE(result, int(QDialog::Rejected));
  QCOMPARE(watcher_->Boxes().size(), std::size_t{1});  // the one question
  QCOMPARE(window_->StatusText(), QStringLiteral("0 done, 3 left alone, 0 failed"));
  for (const std::string name : {"a.c", "b.c", "c.c"}) {
    QCOMPARE(testing::ReadFile(Path(Qs(name))), QByteArray("my changes\n"));
  }
}

void ProjectOperationsTest::stopEndsTheRunAfterTheFileAtHand_data() {
  QTest::addColumn<bool>("escape");
  QTest::newRow("the Stop button") << false;
  QTest::newRow("Esc") << true;
}

void ProjectOperationsTest::stopEndsTheRunAfterTheFileAtHand() {
  QFETCH(bool, escape);
  MakeProject(kFive);
  Damage("a.c");
  const QByteArray second = testing::ReadFile(Logfile("b.c"));
  bool stopped = false;
  const int result = RunCommand(CommandId::kProjectLabel, [&](FileOperationDialog& dialog) {
    qobject_cast<LabelDialog*>(&dialog)->LabelField()->setText(QStringLiteral("beta"));
    // Delivered between the first file and the second.
    QTimer::singleShot(0, &dialog, [&dialog, &stopped, escape, this] {
      auto* stop = dialog.findChild<QPushButton*>(QStringLiteral("stop"));
      QVERIFY(stop);
      QVERIFY(stop->isVisible());
      QVERIFY(stop->isEnabled());
      QCOMPARE(stop->text(), QStringLiteral("Stop"));
      QVERIFY(!window_->centralWidget()->isEnabled());
      if (escape) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
      } else {
        stop->click();
      }
      stopped = true;
    });
    dialog.accept();
  });
  QVERIFY(stopped);
  QCOMPARE(result, int(QDialog::Rejected));
  // a.c failed; the run went no further. Its closing box says so.
  QCOMPARE(watcher_->Texts(), QStringList{"1 of 5 files could not be done:"});
  const testing::SeenBox& box = watcher_->Boxes().front();
  QVERIFY(box.informative.contains(QStringLiteral("Failed to label %1 with label 'beta'").arg(Logfile("a.c"))));
  QVERIFY(box.informative.contains(QStringLiteral("0 done, 0 left alone, 1 failed; Stopped: 4 files were not reached")));
  QCOMPARE(testing::ReadFile(Logfile("b.c")), second);
  for (const std::string name : {"b.c", "c.c", "d.c", "e.c"}) QVERIFY(Stored(name)->Labels().isEmpty());
  QVERIFY(window_->centralWidget()->isEnabled());
  QVERIFY(!window_->findChild<QPushButton*>(QStringLiteral("stop")));
}

void ProjectOperationsTest::labellingFiveFilesOfWhichTwoFailCountsThree() {
  MakeProject(kFive);
  Damage("b.c");
  Damage("d.c");
  const int result = RunCommand(CommandId::kProjectLabel, [](FileOperationDialog& dialog) {
    qobject_cast<LabelDialog*>(&dialog)->LabelField()->setText(QStringLiteral("rc 1"));
    dialog.accept();
  });
  QCOMPARE(result, int(QDialog::Rejected));  // not every file succeeded
  QCOMPARE(window_->StatusText(), QStringLiteral("Added label 'rc 1' to 3 logfiles"));
  // One closing box for both failures, the engine's reasons in its details.
  QCOMPARE(watcher_->Texts(), QStringList{"2 of 5 files could not be done:"});
  const testing::SeenBox& box = watcher_->Boxes().front();
  QCOMPARE(box.icon, QMessageBox::Warning);
  QCOMPARE(box.buttons.first(), QStringLiteral("OK"));
  QVERIFY(!box.buttons.contains(QStringLiteral("Cancel")));
  for (const char* name : {"b.c", "d.c"}) {
    const QString failure = QStringLiteral("Failed to label %1 with label 'rc 1'").arg(Logfile(name));
    QVERIFY(box.informative.contains(failure));
    QVERIFY(box.details.contains(failure + QStringLiteral("\n    ")));
  }
  QVERIFY(box.informative.contains(QStringLiteral("3 done, 0 left alone, 2 failed")));
  for (const std::string name : {"a.c", "c.c", "e.c"}) {
    QCOMPARE(Stored(name)->Labels(), QStringList{"rc 1"});
  }
  QCOMPARE(window_->Remembered().label, QStringLiteral("rc 1"));

  // Every file failing writes no summary.
  Damage("a.c");
  Damage("c.c");
  Damage("e.c");
  window_->ShowStatus(QString());
  RunCommand(CommandId::kProjectLabel, [](FileOperationDialog& dialog) { dialog.accept(); });
  QVERIFY(!window_->StatusText().startsWith(QStringLiteral("Added label")));
}

void ProjectOperationsTest::checkOutCheckInLockUnlockAndRemoveLabelOverTheSelectedFiles() {
  MakeProject({"p.c", "q.c", "r.c"});
  for (const std::string name : {"p.c", "q.c", "r.c"}) Label(name, "old");
  const auto selectTwo = [this] {
    window_->FilesView()->clearSelection();
    window_->FilesView()->SelectName("p.c");
    window_->FilesView()->selectionModel()->select(
        window_->FilesModel()->index(2, 0),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(window_->FilesView()->SelectedNames(), (std::vector<std::string>{"p.c", "r.c"}));
  };
  const auto accept = [](FileOperationDialog& dialog) { dialog.accept(); };

  // Check out p.c and r.c: locked, their entries show the locker.
  for (const std::string name : {"p.c", "r.c"}) QFile::remove(Path(Qs(name)));
  selectTwo();
  QCOMPARE(RunCommand(CommandId::kCheckOut, accept), int(QDialog::Accepted));
  QCOMPARE(Stored("p.c")->header.fixed._iLockCount, 1);
  QCOMPARE(Stored("q.c")->header.fixed._iLockCount, 0);
  QCOMPARE(Stored("r.c")->header.fixed._iLockCount, 1);
  QCOMPARE(window_->StatusText(), Path("r.c"));
  QCOMPARE(window_->FilesModel()->index(0, 1).data().toString(), QStringLiteral("ann"));
  QCOMPARE(window_->FilesModel()->index(2, 1).data().toString(), QStringLiteral("ann"));

  // Check them in with one description.
  WriteWorkfile("p.c", "changed p\n");
  WriteWorkfile("r.c", "changed r\n");
  selectTwo();
  QCOMPARE(RunCommand(CommandId::kCheckIn,
                      [](FileOperationDialog& dialog) {
                        qobject_cast<CheckInDialog*>(&dialog)->DescriptionField()->setPlainText(
                            QStringLiteral("Both change"));
                        dialog.accept();
                      }),
           int(QDialog::Accepted));
  for (const std::string name : {"p.c", "r.c"}) {
    std::optional<testing::StoredLogfile> stored = Stored(name);
    QCOMPARE(stored->header.fixed._iRevisionCount, 2);
    QCOMPARE(stored->header.fixed._iLockCount, 0);
    QCOMPARE(stored->descriptions.first(), QStringLiteral("Both change"));
  }
  QCOMPARE(Stored("q.c")->header.fixed._iRevisionCount, 1);
  QCOMPARE(window_->FilesModel()->index(0, 1).data().toString(), QString());

  // Lock and unlock the default revisions of every file.
  QCOMPARE(RunCommand(CommandId::kProjectLock, accept), int(QDialog::Accepted));
  QCOMPARE(window_->StatusText(), QStringLiteral("Locked default revision of %1.").arg(Logfile("r.c")));
  for (const std::string name : {"p.c", "q.c", "r.c"}) {
    QCOMPARE(Stored(name)->header.fixed._iLockCount, 1);
  }
  QCOMPARE(RunCommand(CommandId::kProjectUnlock, accept), int(QDialog::Accepted));
  QCOMPARE(window_->StatusText(), QStringLiteral("Unlocked %1.").arg(Logfile("r.c")));
  for (const std::string name : {"p.c", "q.c", "r.c"}) {
    QCOMPARE(Stored(name)->header.fixed._iLockCount, 0);
  }
  QCOMPARE(window_->FilesModel()->index(1, 1).data().toString(), QString());

  // Remove the label from two of them.
  selectTwo();
  QCOMPARE(RunCommand(CommandId::kRemoveLabel,
                      [](FileOperationDialog& dialog) {
                        auto* labels = qobject_cast<RemoveLabelDialog*>(&dialog)->LabelList();
                        labels->setCurrentIndex(labels->findText(QStringLiteral("old")));
                        dialog.accept();
                      }),
           int(QDialog::Accepted));
  QCOMPARE(window_->StatusText(), QStringLiteral("Removed label 'old' from 2 logfiles"));
  QVERIFY(Stored("p.c")->Labels().isEmpty());
  QCOMPARE(Stored("q.c")->Labels(), QStringList{"old"});
  QVERIFY(Stored("r.c")->Labels().isEmpty());
}

void ProjectOperationsTest::theLabelListsAreFilledFromEveryLogfile() {
  MakeProject({"a.c", "b.c", "c.c"});
  Label("a.c", "alpha");
  Label("b.c", "beta");
  Label("b.c", "alpha");
  Label("c.c", "gamma");
  const std::vector<std::string> all{"a.c", "b.c", "c.c"};
  std::unique_ptr<FileOperationDialog> remove =
      MakeMultiFileDialog(*window_, MultiFileOperation::kRemoveLabel, all);
  QComboBox* labels = qobject_cast<RemoveLabelDialog*>(remove.get())->LabelList();
  QStringList names;
  for (int i = 0; i < labels->count(); ++i) names << labels->itemText(i);
  names.sort();
  QCOMPARE(names, (QStringList{"alpha", "beta", "gamma"}));
  QCOMPARE(labels->currentIndex(), -1);
  QCOMPARE(window_->StatusText(), QStringLiteral("Retrieving labels from c.c"));
  // OK without a choice is refused and runs nothing.
  remove->show();
  remove->accept();
  QVERIFY(remove->isVisible());
  QCOMPARE(watcher_->Texts(), QStringList{"You must select a label to remove!"});
  remove->hide();

  // The get dialog reads them the first time "Get by label" is checked.
  std::unique_ptr<FileOperationDialog> get = MakeMultiFileDialog(*window_, MultiFileOperation::kGet, all);
  auto* getDialog = qobject_cast<GetDialog*>(get.get());
  QVERIFY(getDialog->ByLabelBox()->isEnabled());
  QCOMPARE(getDialog->LabelList()->count(), 0);
  getDialog->ByLabelBox()->setChecked(true);
  QCOMPARE(getDialog->LabelList()->count(), 3);
  QVERIFY(!getDialog->RevisionList()->isEnabled());  // stays off: default revisions only
  getDialog->ByLabelBox()->setChecked(false);
  getDialog->ByLabelBox()->setChecked(true);
  QCOMPARE(getDialog->LabelList()->count(), 3);  // once only
  // Getting by alpha: a.c and b.c have it, c.c fails.
  for (int row = 0; row < 3; ++row) {
    if (getDialog->LabelList()->item(row)->text() == QStringLiteral("alpha")) {
      getDialog->LabelList()->setCurrentRow(row);
    }
  }
  QCOMPARE(getDialog->LabelField()->text(), QStringLiteral("alpha"));
  getDialog->WritableList()->setCurrentText(QStringLiteral("Replace any writable files"));
  watcher_->Clear();
  get->accept();
  QCOMPARE(get->result(), int(QDialog::Rejected));
  QCOMPARE(watcher_->Texts(), QStringList{"1 of 3 files could not be done:"});
  QVERIFY(watcher_->Boxes().front().informative.contains(
      QStringLiteral("Failed to get c.c from %1").arg(Logfile("c.c"))));
}

void ProjectOperationsTest::aLogfileThatCannotBeOpenedStopsTheFillingAndTheDialogStaysUsable() {
  MakeProject({"a.c", "b.c", "c.c"});
  Label("a.c", "alpha");
  Label("c.c", "gamma");
  QVERIFY(QFile::remove(Logfile("b.c")));
  const std::vector<std::string> all{"a.c", "b.c", "c.c"};
  std::unique_ptr<FileOperationDialog> remove =
      MakeMultiFileDialog(*window_, MultiFileOperation::kRemoveLabel, all);
  const QStringList gone{QStringLiteral("The logfile %1 is no longer there").arg(Logfile("b.c"))};
  QCOMPARE(watcher_->Texts(), gone);
  QCOMPARE(watcher_->Boxes().front().icon, QMessageBox::Warning);
  QComboBox* labels = qobject_cast<RemoveLabelDialog*>(remove.get())->LabelList();
  QCOMPARE(labels->count(), 1);  // a.c's; c.c was never read
  QCOMPARE(window_->StatusText(), QStringLiteral("Retrieving labels from b.c"));
  QVERIFY(remove->isEnabled());
  QVERIFY(!QApplication::overrideCursor());
  // Still usable: removing alpha runs over every file.
  labels->setCurrentIndex(0);
  watcher_->Clear();
  remove->accept();
  QVERIFY(Stored("a.c")->Labels().isEmpty());
  QCOMPARE(Stored("c.c")->Labels(), QStringList{"gamma"});
  // b.c fails (the engine's reason in the details); c.c has nothing to
  // remove, which the engine counts as done.
  QCOMPARE(watcher_->Texts(), QStringList{"1 of 3 files could not be done:"});
  QVERIFY(watcher_->Boxes().front().informative.contains(
      QStringLiteral("Failed to remove label alpha for logfile '%1'").arg(Logfile("b.c"))));
  QCOMPARE(window_->StatusText(), QStringLiteral("Removed label 'alpha' from 2 logfiles"));

  // The get dialog: the filling stops, a label can still be typed.
  watcher_->Clear();
  std::unique_ptr<FileOperationDialog> get = MakeMultiFileDialog(*window_, MultiFileOperation::kGet, all);
  auto* getDialog = qobject_cast<GetDialog*>(get.get());
  getDialog->ByLabelBox()->setChecked(true);
  QCOMPARE(watcher_->Texts(), gone);
  QCOMPARE(getDialog->LabelList()->count(), 0);  // a.c has no labels now
  QVERIFY(getDialog->isEnabled());
  QVERIFY(getDialog->LabelField()->isEnabled());
}

void ProjectOperationsTest::noSecondOperationStartsWhileARunGoesOn() {
  MakeProject({"a.c", "b.c", "c.c"});
  Damage("a.c");
  int dialogs = 0;
  bool checked = false;
  auto* progress = window_->findChild<QProgressBar*>(QStringLiteral("fileProgress"));
  QVERIFY(progress);
  QVERIFY(!progress->isVisibleTo(window_.get()));
  watcher_->onDialog = [&](QDialog& dialog) {
    ++dialogs;
    // In the middle of the run (between the first file and the second):
    // everything is held, a second command starts nothing.
    QTimer::singleShot(0, this, [&] {
      checked = true;
      QVERIFY(!window_->centralWidget()->isEnabled());
      QVERIFY(!window_->menuBar()->isEnabled());
      QVERIFY(window_->EngineHost().RunBusy());
      QVERIFY(progress->isVisibleTo(window_.get()));
      QCOMPARE(progress->text(), QStringLiteral("Working... file 1 of 3"));
      window_->Action(CommandId::kProjectUnlock)->trigger();
      window_->RunCommand(CommandId::kProjectLabel);
    });
    dialog.accept();
  };
  window_->show();
  window_->Action(CommandId::kProjectLock)->trigger();
  QVERIFY(checked);
  QCOMPARE(dialogs, 1);
  QCOMPARE(Stored("b.c")->header.fixed._iLockCount, 1);
  QCOMPARE(Stored("c.c")->header.fixed._iLockCount, 1);
  QVERIFY(window_->centralWidget()->isEnabled());
  QVERIFY(window_->menuBar()->isEnabled());
  QCOMPARE(watcher_->Texts(), QStringList{"1 of 3 files could not be done:"});
  QVERIFY(!window_->EngineHost().RunBusy());
  QVERIFY(!progress->isVisibleTo(window_.get()));
  QVERIFY(!QApplication::overrideCursor());
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::ProjectOperationsTest)
#include "project_operations_test.moc"
