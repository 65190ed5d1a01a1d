// Defining and changing projects from the main window: the edit sheet's
// four forms, what it writes (and does not write) to the INI files, and the
// Projects tab's Delete, Go To and Copy to User, each result read back with
// tIniFile; a busy INI file makes a change fail in sight.
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include "frontend/front_text.h"
#include "frontend/main_window.h"
#include "frontend/project_edit_sheet.h"
#include "frontend/project_editing.h"
#include "frontend/project_sheet_pages.h"
#include "frontend/projects_page.h"
#include "frontend_test_support.h"
#include "projects/ini_file.h"

namespace tarn::dorn {
namespace {

const QString kPlaceholder = QStringLiteral("--Enter your new project's name here--");

std::string Key(Setting setting) { return MessageText(InfoOf(setting).key.number); }

QStringList Names(const QTreeWidget* list) {
  QStringList names;
  for (int row = 0; row < list->topLevelItemCount(); ++row) names << list->topLevelItem(row)->text(0);
  return names;
}

}  // namespace

class ProjectEditingTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }
  void init();
  void cleanup();

  void eachSheetKindEditsItsProjectUnderItsTitle_data();
  void eachSheetKindEditsItsProjectUnderItsTitle();
  void editingWithoutChangesWritesNothing();
  void savingStoresWhatDiffersEmptyPathsAsTheCurrentDirectoryAndNoShadow();
  void aNewProjectIsListedAndMayNotTakeAnExistingName();
  void settingsOpensTheSheetForTheProjectInForce();
  void deletingRemovesTheLineAndTheSectionAfterAsking();
  void theTabsButtonsFollowTheSelection();
  void copyToUserWritesTheLineAndADefinedWorkfileLocation();
  void anEmptyRetryCountInheritsAndOneBelowOneIsRefused_data();
  void anEmptyRetryCountInheritsAndOneBelowOneIsRefused();
  void aNewLocationMustExist();
  void goToEntersTheLocationOrSaysWhyNot();
  void aBusyIniFileMakesEveryChangeFailInSight();

 private:
  QString Path(const QString& name) const { return scratch_->filePath(name); }
  QString SystemIni() const { return Path(QStringLiteral("config/dorn.ini")); }
  QString UserIni() const { return Path(QStringLiteral("config/ann.ini")); }
  ProjectPlace Place() const {
    return {Path(QStringLiteral("config")).toStdString(), scratch_->path().toStdString()};
  }
  ProjectsPage* Page() const { return window_->ProjectsTab(); }
  // dorn.ini listing widget (at src) and `moreProjects`, then `sections`.
  void WriteSystemIni(const QString& sections, const QString& moreProjects = QString());

  std::unique_ptr<QTemporaryDir> scratch_;
  std::unique_ptr<Workspace> workspace_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<testing::ModalWatcher> watcher_;
};

void ProjectEditingTest::init() {
  scratch_ = std::make_unique<QTemporaryDir>();
  QVERIFY(scratch_->isValid());
  QVERIFY(QDir().mkpath(Path(QStringLiteral("src"))));
  workspace_ = std::make_unique<Workspace>(testing::ScratchSettings(scratch_->path()),
                                           Path(QStringLiteral("config")).toStdString());
  window_ = std::make_unique<MainWindow>(*workspace_, nullptr);
  watcher_ = std::make_unique<testing::ModalWatcher>();
}

void ProjectEditingTest::cleanup() {
  watcher_.reset();
  window_.reset();
  workspace_.reset();
  scratch_.reset();
}

void ProjectEditingTest::WriteSystemIni(const QString& sections, const QString& moreProjects) {
  QVERIFY(testing::WriteFile(SystemIni(), QStringLiteral("[Projects]\nwidget=%1/src/\n%2%3")
                                              .arg(scratch_->path(), moreProjects, sections)
                                              .toUtf8()));
}

void ProjectEditingTest::eachSheetKindEditsItsProjectUnderItsTitle_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QString>("shownName");
  QTest::addColumn<bool>("nameEditable");
  QTest::addColumn<bool>("locationEnabled");
  QTest::addColumn<QString>("iniFile");
  QTest::newRow("new system") << int(ProjectSheetKind::kNewSystem) << QString()
                              << "Define A New System Project's Settings" << kPlaceholder << true
                              << true << "dorn.ini";
  QTest::newRow("new user") << int(ProjectSheetKind::kNewUser) << QString()
                            << "Define A New User Project's Settings" << kPlaceholder << true << true
                            << "ann.ini";
  QTest::newRow("edit system") << int(ProjectSheetKind::kEditSystem) << "widget"
                               << "Edit A System Project's Settings"
                               << "widget" << false << true << "dorn.ini";
  QTest::newRow("edit user") << int(ProjectSheetKind::kEditUser) << "sketches"
                             << "Edit A User Project's Settings"
                             << "sketches" << false << true << "ann.ini";
  QTest::newRow("default") << int(ProjectSheetKind::kEditSystem) << "Default"
                           << "Edit A System Project's Settings"
                           << "Default" << false << false << "dorn.ini";
}

void ProjectEditingTest::eachSheetKindEditsItsProjectUnderItsTitle() {
  QFETCH(int, kind);
  QFETCH(QString, name);
  WriteSystemIni(QString());
  QVERIFY(testing::WriteFile(UserIni(), QStringLiteral("[Projects]\nsketches=/home/ann/sketches/\n").toUtf8()));
  CTProjectEditSheet sheet(static_cast<ProjectSheetKind>(kind), name.toStdString(), "ann", Place());
  QTEST(sheet.windowTitle(), "title");
  QTEST(sheet.InfoPage()->NameField()->text(), "shownName");
  QFETCH(bool, nameEditable);
  QCOMPARE(sheet.InfoPage()->NameField()->isReadOnly(), !nameEditable);
  QTEST(sheet.InfoPage()->LocationField()->isEnabled(), "locationEnabled");
  QTEST(QFileInfo(QString::fromStdString(sheet.Project().FullIniFileName())).fileName(), "iniFile");
  QCOMPARE(sheet.Pages()->count(), 3);
  QCOMPARE(sheet.Pages()->tabText(0), QStringLiteral("Info"));
  QCOMPARE(sheet.Pages()->tabText(1), QStringLiteral("Settings"));
  QCOMPARE(sheet.Pages()->tabText(2), QStringLiteral("Attributes"));
}

void ProjectEditingTest::editingWithoutChangesWritesNothing() {
  // Values of its own, inherited ones and an odd retry count: none of them
  // may come back as a change.
  WriteSystemIni(QStringLiteral("[widget]\nTARNPATH=/srv/logs/\nCHECKLOCK=No\nTARNRETRY=7\n"));
  const QByteArray before = testing::ReadFile(SystemIni());
  const QDateTime stamp = QFileInfo(SystemIni()).lastModified();
  for (const char* name : {"widget", "Default"}) {
    CTProjectEditSheet sheet(ProjectSheetKind::kEditSystem, name, "ann", Place());
    QVERIFY(sheet.Apply());
  }
  QCOMPARE(testing::ReadFile(SystemIni()), before);
  QCOMPARE(QFileInfo(SystemIni()).lastModified(), stamp);
  QVERIFY(!QFile::exists(UserIni()));
}

void ProjectEditingTest::savingStoresWhatDiffersEmptyPathsAsTheCurrentDirectoryAndNoShadow() {
  WriteSystemIni(QStringLiteral("[widget]\n%1=/mnt/shadow/\n").arg(Qs(Key(Setting::kShadowLocation))));
  CTProjectEditSheet sheet(ProjectSheetKind::kEditSystem, "widget", "ann", Place());
  sheet.SettingsPage()->Field(Setting::kLogfilePath)->clear();
  sheet.SettingsPage()->Field(Setting::kJournalPath)->setText(QStringLiteral("/var/journals"));
  sheet.SettingsPage()->Field(Setting::kRetryCount)->setText(QStringLiteral("12"));
  sheet.AttributesPage()->Box(Setting::kCompression)->setChecked(false);
  sheet.InfoPage()->WorkfileLocationField()->setText(QStringLiteral("/work/widget"));
  sheet.accept();
  QCOMPARE(sheet.result(), int(QDialog::Accepted));

  tIniFile ini(SystemIni().toStdString());
  QCOMPARE(ini.GetValue("widget", Key(Setting::kLogfilePath)), std::optional<std::string>("./"));
  QCOMPARE(ini.GetValue("widget", Key(Setting::kJournalPath)),
           std::optional<std::string>("/var/journals/"));
  QCOMPARE(ini.GetValue("widget", Key(Setting::kRetryCount)), std::optional<std::string>("12"));
  QCOMPARE(ini.GetValue("widget", Key(Setting::kCompression)), std::optional<std::string>("no"));
  QCOMPARE(ini.GetValue("widget", Key(Setting::kWorkfileLocation)),
           std::optional<std::string>("/work/widget/"));
  QCOMPARE(ini.GetValue("widget", Key(Setting::kShadowLocation)), std::nullopt);
  // Untouched values still follow what the project inherits.
  QCOMPARE(ini.GetValue("widget", Key(Setting::kCheckLock)), std::nullopt);
  QCOMPARE(ini.GetValue("widget", Key(Setting::kCommentPrefix)), std::nullopt);
  // Read back as a project, the sheet shows what it stored.
  CTProjectEditSheet again(ProjectSheetKind::kEditSystem, "widget", "ann", Place());
  QCOMPARE(again.SettingsPage()->Field(Setting::kLogfilePath)->text(), QStringLiteral("./"));
  QVERIFY(!again.AttributesPage()->Box(Setting::kCompression)->isChecked());
  QVERIFY(again.AttributesPage()->Box(Setting::kCheckLock)->isChecked());
}

void ProjectEditingTest::aNewProjectIsListedAndMayNotTakeAnExistingName() {
  WriteSystemIni(QStringLiteral("[widget]\nTARNPATH=/srv/logs/\n"));
  window_->Reload(scratch_->path());
  // New, from the tab: the user list is showing, so a user project.
  Page()->findChild<QRadioButton*>(QStringLiteral("user"))->setChecked(true);
  watcher_->onDialog = [this](QDialog& dialog) {
    auto* sheet = qobject_cast<CTProjectEditSheet*>(&dialog);
    QVERIFY(sheet);
    QCOMPARE(sheet->windowTitle(), QStringLiteral("Define A New User Project's Settings"));
    sheet->InfoPage()->NameField()->setText(QStringLiteral("notes"));
    QVERIFY(QDir().mkpath(Path(QStringLiteral("notes"))));
    sheet->InfoPage()->LocationField()->setText(Path(QStringLiteral("notes")));
    sheet->accept();
  };
  Page()->NewButton()->click();
  tIniFile user(UserIni().toStdString());
  QCOMPARE(user.GetValue("Projects", "notes"),
           std::optional<std::string>((Path(QStringLiteral("notes")) + QStringLiteral("/")).toStdString()));
  // The reload shows the kind of the project in force again.
  QVERIFY(Page()->ShowsSystemProjects());
  Page()->findChild<QRadioButton*>(QStringLiteral("user"))->setChecked(true);
  QCOMPARE(Names(Page()->List()), QStringList{QStringLiteral("notes")});

  // A second new system project named like the first is refused: the sheet
  // stays open and widget's line keeps its location.
  CTProjectEditSheet sheet(ProjectSheetKind::kNewSystem, "", "ann", Place());
  sheet.InfoPage()->NameField()->setText(QStringLiteral("widget"));
  sheet.InfoPage()->LocationField()->setText(Path(QStringLiteral("notes")));
  watcher_->Clear();
  sheet.accept();
  QCOMPARE(sheet.result(), int(QDialog::Rejected));
  QCOMPARE(watcher_->Texts().size(), 1);
  QVERIFY(watcher_->Texts().first().contains(QStringLiteral("'widget' is already defined")));
  tIniFile system(SystemIni().toStdString());
  QCOMPARE(system.GetValue("Projects", "widget"),
           std::optional<std::string>((scratch_->path() + QStringLiteral("/src/")).toStdString()));
}

void ProjectEditingTest::settingsOpensTheSheetForTheProjectInForce() {
  WriteSystemIni(QString());
  window_->Reload(Path(QStringLiteral("src")));
  QAction* settings = window_->Action(CommandId::kProjectSettings);
  QVERIFY(settings->isEnabled());
  QString title;
  QString name;
  watcher_->onDialog = [&](QDialog& dialog) {
    auto* sheet = qobject_cast<CTProjectEditSheet*>(&dialog);
    QVERIFY(sheet);
    title = sheet->windowTitle();
    name = sheet->InfoPage()->NameField()->text();
    sheet->SettingsPage()->Field(Setting::kCommentPrefix)->setText(QStringLiteral("#"));
    sheet->accept();
  };
  settings->trigger();
  QCOMPARE(title, QStringLiteral("Edit A System Project's Settings"));
  QCOMPARE(name, QStringLiteral("widget"));
  tIniFile ini(SystemIni().toStdString());
  QCOMPARE(ini.GetValue("widget", Key(Setting::kCommentPrefix)), std::optional<std::string>("#"));
}

void ProjectEditingTest::deletingRemovesTheLineAndTheSectionAfterAsking() {
  WriteSystemIni(QStringLiteral("[widget]\nTARNPATH=/srv/logs/\n[other]\nTARNPATH=/x/\n"));
  window_->Reload(scratch_->path());
  Page()->Select(QStringLiteral("widget"));
  watcher_->answer = [](const QString&) { return false; };
  Page()->DeleteButton()->click();
  QCOMPARE(watcher_->Texts(), QStringList{"Are you sure you want to delete project: 'widget'?"});
  QVERIFY(Names(Page()->List()).contains(QStringLiteral("widget")));

  watcher_->answer = nullptr;
  Page()->Select(QStringLiteral("widget"));
  Page()->DeleteButton()->click();
  tIniFile ini(SystemIni().toStdString());
  QVERIFY(!ini.GetValue("Projects", "widget"));
  QVERIFY(!ini.HasSection("widget"));
  QVERIFY(ini.HasSection("other"));
  QCOMPARE(Names(Page()->List()), QStringList{QStringLiteral("Default")});
}

void ProjectEditingTest::theTabsButtonsFollowTheSelection() {
  WriteSystemIni(QStringLiteral("[widget]\n%1=/work/w/\n").arg(Qs(Key(Setting::kWorkfileLocation))));
  // sketches lies in no system project: it inherits no workfile location.
  QVERIFY(testing::WriteFile(UserIni(), QStringLiteral("[Projects]\nsketches=/home/ann/s/\n").toUtf8()));
  window_->Reload(Path(QStringLiteral("src")));
  // The project in force is selected and shown.
  QCOMPARE(Page()->SelectedName(), QStringLiteral("widget"));
  QCOMPARE(Page()->ShownLocations().project, scratch_->path() + QStringLiteral("/src/"));
  QCOMPARE(Page()->ShownLocations().workfile, QStringLiteral("/work/w/"));
  const struct {
    bool system;
    const char* name;
    bool remove, goTo, copy;
    const char* workfile;
  } cases[] = {
      {true, "Default", false, false, false, ""},
      {true, "widget", true, true, true, "/work/w/"},
      {false, "sketches", true, true, false, "No Path Defined"},
  };
  for (const auto& expected : cases) {
    Page()->findChild<QRadioButton*>(expected.system ? QStringLiteral("system") : QStringLiteral("user"))
        ->setChecked(true);
    Page()->Select(QString::fromLatin1(expected.name));
    QVERIFY2(Page()->EditButton()->isEnabled(), expected.name);
    QCOMPARE(Page()->DeleteButton()->isEnabled(), expected.remove);
    QCOMPARE(Page()->GoToButton()->isEnabled(), expected.goTo);
    QCOMPARE(Page()->CopyToUserButton()->isEnabled(), expected.copy);
    QCOMPARE(Page()->ShownLocations().workfile, QString::fromLatin1(expected.workfile));
  }
}

void ProjectEditingTest::copyToUserWritesTheLineAndADefinedWorkfileLocation() {
  WriteSystemIni(QStringLiteral("[widget]\n%1=/work/w/\n").arg(Qs(Key(Setting::kWorkfileLocation))),
                 QStringLiteral("bare=/srv/bare/\n"));
  window_->Reload(scratch_->path());
  Page()->Select(QStringLiteral("widget"));
  Page()->CopyToUserButton()->click();
  // The tab shows the user projects as now stored, the copy selected.
  QVERIFY(!Page()->ShowsSystemProjects());
  QCOMPARE(Names(Page()->List()), QStringList{QStringLiteral("widget")});
  QCOMPARE(Page()->SelectedName(), QStringLiteral("widget"));
  Page()->findChild<QRadioButton*>(QStringLiteral("system"))->setChecked(true);
  Page()->Select(QStringLiteral("bare"));
  Page()->CopyToUserButton()->click();
  QCOMPARE(Names(Page()->List()), (QStringList{QStringLiteral("bare"), QStringLiteral("widget")}));
  QCOMPARE(Page()->SelectedName(), QStringLiteral("bare"));
  tIniFile user(UserIni().toStdString());
  QCOMPARE(user.GetValue("Projects", "widget"),
           std::optional<std::string>((scratch_->path() + QStringLiteral("/src/")).toStdString()));
  QCOMPARE(user.GetValue("widget", Key(Setting::kWorkfileLocation)),
           std::optional<std::string>("/work/w/"));
  QCOMPARE(user.GetValue("Projects", "bare"), std::optional<std::string>("/srv/bare/"));
  QVERIFY(!user.HasSection("bare"));
  QVERIFY(watcher_->Texts().isEmpty());
}

void ProjectEditingTest::anEmptyRetryCountInheritsAndOneBelowOneIsRefused_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<bool>("stored");
  QTest::addColumn<QString>("value");  // widget's key afterwards ("-": none)
  QTest::newRow("empty: inherit") << "" << true << "-";
  QTest::newRow("blanks: inherit") << "  " << true << "-";
  QTest::newRow("zero") << "0" << false << "7";
  QTest::newRow("negative") << "-3" << false << "7";
  QTest::newRow("not a number") << "many" << false << "7";
  QTest::newRow("one") << "1" << true << "1";
}

void ProjectEditingTest::anEmptyRetryCountInheritsAndOneBelowOneIsRefused() {
  QFETCH(QString, typed);
  QFETCH(bool, stored);
  QFETCH(QString, value);
  const QString key = Qs(Key(Setting::kRetryCount));
  WriteSystemIni(QStringLiteral("[widget]\n%1=7\n").arg(key));
  CTProjectEditSheet sheet(ProjectSheetKind::kEditSystem, "widget", "ann", Place());
  QLineEdit* field = sheet.SettingsPage()->Field(Setting::kRetryCount);
  QCOMPARE(field->text(), QStringLiteral("7"));
  field->setText(typed);
  sheet.show();
  sheet.accept();
  QCOMPARE(sheet.result() == QDialog::Accepted, stored);
  if (!stored) {
    // Refused in sight, on its own page; what was typed stays.
    QCOMPARE(watcher_->Texts().size(), 1);
    QVERIFY(watcher_->Texts().first().startsWith(QStringLiteral("The lock retry count must be")));
    QCOMPARE(field->text(), typed);
    QVERIFY(sheet.isVisible());
  }
  tIniFile ini(SystemIni().toStdString());
  const std::optional<std::string> kept = ini.GetValue("widget", key.toStdString());
  QCOMPARE(kept ? Qs(*kept) : QStringLiteral("-"), value);
  if (value == QStringLiteral("-")) {
    // Read again, the field is empty and shows the inherited count greyed.
    CTProjectEditSheet again(ProjectSheetKind::kEditSystem, "widget", "ann", Place());
    QCOMPARE(again.SettingsPage()->Field(Setting::kRetryCount)->text(), QString());
    QCOMPARE(again.SettingsPage()->Field(Setting::kRetryCount)->placeholderText(), QStringLiteral("4"));
  }
}

void ProjectEditingTest::aNewLocationMustExist() {
  WriteSystemIni(QString());
  const QString missing = Path(QStringLiteral("nowhere/deep"));
  CTProjectEditSheet sheet(ProjectSheetKind::kNewSystem, "", "ann", Place());
  sheet.InfoPage()->NameField()->setText(QStringLiteral("gadget"));
  sheet.InfoPage()->LocationField()->setText(missing);
  sheet.show();
  sheet.accept();
  QCOMPARE(sheet.result(), int(QDialog::Rejected));
  QCOMPARE(watcher_->Texts(), QStringList{QStringLiteral("The location %1 does not exist; create it "
                                                         "first or choose another").arg(missing)});
  tIniFile ini(SystemIni().toStdString());
  QCOMPARE(ini.GetValue("Projects", "gadget"), std::nullopt);
  // Once it exists the same sheet stores it.
  QVERIFY(QDir().mkpath(missing));
  sheet.accept();
  QCOMPARE(sheet.result(), int(QDialog::Accepted));
  tIniFile again(SystemIni().toStdString());
  QCOMPARE(again.GetValue("Projects", "gadget"), std::optional<std::string>((missing + QStringLiteral("/")).toStdString()));
}

void ProjectEditingTest::goToEntersTheLocationOrSaysWhyNot() {
  WriteSystemIni(QString(), QStringLiteral("gone=%1/gone/\n").arg(scratch_->path()));
  window_->Reload(scratch_->path());
  Page()->Select(QStringLiteral("widget"));
  Page()->GoToButton()->click();
  QCOMPARE(QString::fromStdString(workspace_->CurrentDirectory()), scratch_->path() + QStringLiteral("/src/"));
  QCOMPARE(QString::fromStdString(workspace_->ProjectName()), QStringLiteral("widget"));
  Page()->Select(QStringLiteral("gone"));
  Page()->GoToButton()->click();
  QCOMPARE(watcher_->Texts().size(), 1);
  QVERIFY(watcher_->Texts().first().startsWith(QStringLiteral("Cannot go to project 'gone'")));
  QCOMPARE(QString::fromStdString(workspace_->CurrentDirectory()), scratch_->path() + QStringLiteral("/src/"));
}

void ProjectEditingTest::aBusyIniFileMakesEveryChangeFailInSight() {
  WriteSystemIni(QStringLiteral("[widget]\nTARNPATH=/srv/logs/\n"));
  window_->Reload(scratch_->path());
  const QByteArray before = testing::ReadFile(SystemIni());
  tIniFile holder(SystemIni().toStdString());
  QVERIFY(holder.Lock());

  CTProjectEditSheet sheet(ProjectSheetKind::kEditSystem, "widget", "ann", Place());
  sheet.SettingsPage()->Field(Setting::kCommentPrefix)->setText(QStringLiteral("//"));
  sheet.accept();
  QCOMPARE(sheet.result(), int(QDialog::Rejected));
  Page()->Select(QStringLiteral("widget"));
  Page()->DeleteButton()->click();
  // The question, then one failure each.
  const QStringList texts = watcher_->Texts();
  QCOMPARE(texts.size(), 3);
  QVERIFY(texts[0].contains(QStringLiteral("in use by another process")));
  QVERIFY(texts[2].contains(QStringLiteral("in use by another process")));
  QCOMPARE(testing::ReadFile(SystemIni()), before);
  QVERIFY(Names(Page()->List()).contains(QStringLiteral("widget")));
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::ProjectEditingTest)
#include "project_editing_test.moc"
