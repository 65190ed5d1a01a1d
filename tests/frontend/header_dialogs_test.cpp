// The header dialogs against a scratch project: each change read back from
// the logfile through the object interface; the attributes' start states
// and the all-undetermined command; the access list's enabling rules and
// "New User"; the author's choice; a refused change reported and the
// logfile left alone.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "frontend/access_list_dialog.h"
#include "frontend/add_user_dialog.h"
#include "frontend/attributes_dialog.h"
#include "frontend/header_commands.h"
#include "frontend/module_author_dialog.h"
#include "frontend/module_description_dialog.h"
#include "frontend/project_files_view.h"
#include "frontend_test_support.h"
#include "projects/ini_file.h"
#include "scratch_project.h"

namespace tarn::dorn {
namespace {

QPushButton* OkButton(HeaderDialog& dialog) {
  return dialog.Buttons()->button(QDialogButtonBox::Ok);
}

QStringList Items(const QListWidget& list) {
  QStringList items;
  for (int row = 0; row < list.count(); ++row) items << list.item(row)->text();
  return items;
}

// Bits of the logfile header's attribute word.
constexpr int kCheckLock = 0x01;
constexpr int kJournal = 0x40;

}  // namespace

class HeaderDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }
  void init();
  void cleanup();

  void attributesStartFromTheHeaderAndAreStored();
  void allUndeterminedAttributesSendTheBareCommand();
  void aRefusedAttributeChangeIsReportedAndChangesNothing();
  void descriptionIsStored();
  void accessListEnablingAndStoring();
  void aNewUserIsStoredWithAnEmptyPassword();
  void authorIsChosenFromTheAccessList();
  void severalFilesOneAfterTheOther();

 private:
  // Runs `id` on the selected file; `fill` fills in the dialog, which the
  // test then accepts.
  template <class Dialog>
  void Run(CommandId id, const std::function<void(Dialog&)>& fill);

  std::unique_ptr<testing::ScratchProject> project_;
  std::unique_ptr<testing::ModalWatcher> watcher_;
  QString logfile_;
};

void HeaderDialogsTest::init() {
  project_ = std::make_unique<testing::ScratchProject>();
  QVERIFY(project_->IsValid());
  watcher_ = std::make_unique<testing::ModalWatcher>();
  QVERIFY(project_->Add("main.c", "int main;\n"));
  logfile_ = QString::fromStdString(project_->Space().LogfilePath("main.c"));
  project_->Select("main.c");
}

void HeaderDialogsTest::cleanup() {
  watcher_.reset();
  project_.reset();
}

template <class Dialog>
void HeaderDialogsTest::Run(CommandId id, const std::function<void(Dialog&)>& fill) {
  bool opened = false;
  watcher_->onDialog = [&](QDialog& dialog) {
    auto* header = qobject_cast<Dialog*>(&dialog);
    QVERIFY(header);
    opened = true;
    // Filled in from an event of its own, so that the watcher answers the
    // message boxes the change shows.
    QTimer::singleShot(0, header, [&fill, header] {
      fill(*header);
      if (header->isVisible()) header->reject();  // a failed check left it open
    });
  };
  project_->Window().Action(id)->trigger();
  QVERIFY(opened);
}

void HeaderDialogsTest::attributesStartFromTheHeaderAndAreStored() {
  const int before = project_->Header("main.c")->LogFileHdr()._iAttributes;
  QVERIFY(before & kCheckLock);
  Run<AttributesDialog>(CommandId::kModuleAttributes, [&](AttributesDialog& dialog) {
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Change File Attributes -- [main.c]"));
    for (int bit = 0; bit < 8; ++bit) {
      QCOMPARE(dialog.Button(bit)->checkState(), (before >> bit) & 1 ? Qt::Checked : Qt::Unchecked);
    }
    // Journal changes turned over; expand keywords left alone.
    dialog.Button(6)->setCheckState(before & kJournal ? Qt::Unchecked : Qt::Checked);
    dialog.Button(2)->setCheckState(Qt::PartiallyChecked);
    QVERIFY(!QString::fromStdString(dialog.Command()).contains(QStringLiteral("ExpandKeywords")));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  });
  QCOMPARE(watcher_->Texts(), QStringList{QStringLiteral("Modified %1 header").arg(logfile_)});
  const int after = project_->Header("main.c")->LogFileHdr()._iAttributes;
  QCOMPARE(after, before ^ kJournal);
}

void HeaderDialogsTest::allUndeterminedAttributesSendTheBareCommand() {
  HeaderDialogContext context;
  context.workspace = &project_->Space();
  context.files = {"main.c", "other.c"};
  AttributesDialog dialog(context);
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Change File Attributes"));
  for (int bit = 0; bit < 8; ++bit)
    QCOMPARE(dialog.Button(bit)->checkState(), Qt::PartiallyChecked);
  QCOMPARE(dialog.Command(), std::string("tmh "));
  dialog.Button(0)->setCheckState(Qt::Unchecked);
  QCOMPARE(dialog.Command(), std::string("tmh  -set CheckLock=no"));
}

void HeaderDialogsTest::aRefusedAttributeChangeIsReportedAndChangesNothing() {
  // A lock is held: check locks cannot be cleared.
  QVERIFY(project_->CheckIn("main.c", "int main(void);\n"));
  QVERIFY(project_->Space().Run(Operation::kLock, "main.c", "tlock "));
  const QByteArray stored = testing::ReadFile(logfile_);
  project_->Select("main.c");
  Run<AttributesDialog>(CommandId::kModuleAttributes, [](AttributesDialog& dialog) {
    dialog.Button(0)->setCheckState(Qt::Unchecked);
    dialog.Button(6)->setCheckState(Qt::Checked);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
  });
  // One box: ours, with the engine's reason inside.
  QCOMPARE(watcher_->Texts(), QStringList{QStringLiteral("Failed to modify %1 header").arg(logfile_)});
  QVERIFY(!watcher_->Boxes().front().informative.isEmpty());
  QCOMPARE(testing::ReadFile(logfile_), stored);
}

void HeaderDialogsTest::descriptionIsStored() {
  Run<ModuleDescriptionDialog>(CommandId::kModuleDescription, [](ModuleDescriptionDialog& dialog) {
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Modify module description -- [main.c]"));
    QCOMPARE(dialog.ExistingField()->toPlainText(), QStringLiteral("first"));
    QVERIFY(dialog.ExistingField()->isReadOnly());
    dialog.NewField()->setPlainText(QStringLiteral("Counts \"words\" in the input"));
    dialog.accept();
  });
  QCOMPARE(watcher_->Texts(), QStringList{QStringLiteral("Modified %1 header").arg(logfile_)});
  QCOMPARE(QString::fromStdString(project_->Header("main.c")->ModDesc()),
           QStringLiteral("Counts \"words\" in the input"));
  // The multi-file form shows no existing description.
  HeaderDialogContext context;
  context.workspace = &project_->Space();
  context.files = {"main.c", "other.c"};
  ModuleDescriptionDialog several(context);
  QCOMPARE(several.ExistingField()->toPlainText(), QStringLiteral("... Multi-file operation ..."));
}

void HeaderDialogsTest::accessListEnablingAndStoring() {
  QVERIFY(project_->WriteSystemIni("[Users]\nann=\nbob=\ncy=\n"));
  Run<AccessListDialog>(CommandId::kModuleAccessList, [](AccessListDialog& dialog) {
    QCOMPARE(Items(*dialog.UserList()), (QStringList{"ann", "bob", "cy"}));
    QCOMPARE(Items(*dialog.NewList()), (QStringList{"ann", "bob"}));
    // ">>" only for a user not in the new list.
    dialog.UserList()->setCurrentRow(1);
    QVERIFY(!dialog.AddButton()->isEnabled());
    dialog.UserList()->setCurrentRow(2);
    QVERIFY(dialog.AddButton()->isEnabled());
    dialog.AddButton()->click();
    QCOMPARE(Items(*dialog.NewList()), (QStringList{"ann", "bob", "cy"}));
    QVERIFY(!dialog.AddButton()->isEnabled());
    // "<<" down to one entry, which stays.
    dialog.NewList()->setCurrentRow(0);
    dialog.RemoveButton()->click();
    dialog.NewList()->setCurrentRow(0);
    QVERIFY(dialog.RemoveButton()->isEnabled());
    dialog.RemoveButton()->click();
    QCOMPARE(Items(*dialog.NewList()), QStringList{"cy"});
    dialog.NewList()->setCurrentRow(0);
    QVERIFY(!dialog.RemoveButton()->isEnabled());
    dialog.RemoveSelectedEntry();
    QCOMPARE(Items(*dialog.NewList()), QStringList{"cy"});
    // Back to two, in list order.
    dialog.UserList()->setCurrentRow(0);
    dialog.AddButton()->click();
    QVERIFY(OkButton(dialog)->isEnabled());
    dialog.accept();
  });
  QCOMPARE(watcher_->Texts(), QStringList{QStringLiteral("Modified %1 header").arg(logfile_)});
  const std::optional<tLogFileHeaderInfo> header = project_->Header("main.c");
  QCOMPARE(QString::fromStdString(header->AccessList()), QStringLiteral("cy,ann"));
  QVERIFY(QString::fromStdString(header->ModifierList())
              .split(QLatin1Char(','))
              .contains(QStringLiteral("cy")));

  // Several files: the new list starts empty and OK waits for an entry.
  HeaderDialogContext context;
  context.workspace = &project_->Space();
  context.files = {"main.c", "other.c"};
  AccessListDialog several(context);
  QVERIFY(Items(*several.NewList()).isEmpty());
  QVERIFY(!OkButton(several)->isEnabled());
  several.UserList()->setCurrentRow(1);
  several.AddSelectedUser();
  QVERIFY(OkButton(several)->isEnabled());
  QVERIFY(!several.RemoveButton()->isEnabled());
}

void HeaderDialogsTest::aNewUserIsStoredWithAnEmptyPassword() {
  QVERIFY(project_->WriteSystemIni("[Users]\nann=$argon2id$v=19$stored\nbob=\n"));
  const std::string systemIni = project_->Space().SystemIniFile();
  bool opened = false;
  QStringList seen;  // the users, the new list, the users again
  watcher_->onDialog = [&](QDialog& dialog) {
    // The add-user dialog asks for the name.
    if (auto* add = qobject_cast<AddUserDialog*>(&dialog)) {
      add->NameField()->setText(QStringLiteral("dee"));
      add->accept();
      return;
    }
    auto* access = qobject_cast<AccessListDialog*>(&dialog);
    QVERIFY(access);
    opened = true;
    QTimer::singleShot(0, access, [access, &seen] {
      // "New User", then a name listed already; Cancel.
      access->NewUserButton()->click();
      seen << Items(*access->UserList()).join(QLatin1Char(','))
           << Items(*access->NewList()).join(QLatin1Char(','));
      access->AddNewUser(QStringLiteral("bob"));
      seen << Items(*access->UserList()).join(QLatin1Char(','));
      access->reject();
    });
  };
  project_->Window().Action(CommandId::kModuleAccessList)->trigger();
  QVERIFY(opened);
  QCOMPARE(seen, (QStringList{"ann,bob,dee", "ann,bob,dee", "ann,bob,dee"}));
  tIniFile ini(systemIni);
  QCOMPARE(ini.GetValue("Users", "dee"), std::optional<std::string>(""));
  QCOMPARE(ini.GetValue("Users", "ann"), std::optional<std::string>("$argon2id$v=19$stored"));
  // Cancel: the logfile keeps its list.
  QCOMPARE(QString::fromStdString(project_->Header("main.c")->AccessList()),
           QStringLiteral("ann,bob"));
}

void HeaderDialogsTest::authorIsChosenFromTheAccessList() {
  QCOMPARE(QString::fromStdString(project_->Header("main.c")->Owner()), QStringLiteral("ann"));
  Run<ModuleAuthorDialog>(CommandId::kModuleAuthor, [](ModuleAuthorDialog& dialog) {
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Modify Module Author -- [main.c]"));
    QCOMPARE(dialog.CurrentField()->text(), QStringLiteral("ann"));
    QCOMPARE(dialog.AuthorList()->count(), 2);
    QVERIFY(!OkButton(dialog)->isEnabled());
    dialog.AuthorList()->setCurrentText(QStringLiteral("bob"));
    QVERIFY(OkButton(dialog)->isEnabled());
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  });
  QVERIFY(watcher_->Texts().isEmpty());
  QCOMPARE(project_->Window().StatusText(), QStringLiteral("Changed main.c author to bob"));
  QCOMPARE(QString::fromStdString(project_->Header("main.c")->Owner()), QStringLiteral("bob"));
}

void HeaderDialogsTest::severalFilesOneAfterTheOther() {
  QVERIFY(project_->Add("b.c", "b\n"));
  QVERIFY(project_->Add("c.c", "c\n"));
  QVERIFY(project_->WriteSystemIni("[Users]\nann=\nbob=\ncy=\n"));
  // ann is not on c.c's access list: its changes fail.
  QVERIFY(project_->Space().Run(Operation::kModifyHeader, "c.c", AccessListCommand({"bob"})));
  const QString refused = QString::fromStdString(project_->Space().LogfilePath("c.c"));
  const QByteArray refusedBytes = testing::ReadFile(refused);

  // The description on b.c, c.c and main.c in list order: c.c's failure
  // is collected into the run's closing box, and main.c still gets it.
  project_->Window().FilesView()->selectAll();
  Run<ModuleDescriptionDialog>(CommandId::kModuleDescription, [](ModuleDescriptionDialog& dialog) {
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Modify module description"));
    dialog.NewField()->setPlainText(QStringLiteral("shared"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
  });
  QCOMPARE(watcher_->Texts(), QStringList{QStringLiteral("1 of 3 files could not be done:")});
  QVERIFY(watcher_->Boxes().front().informative.contains(
      QStringLiteral("Failed to modify attributes for c.c in %1").arg(refused)));
  QVERIFY(watcher_->Boxes().front().informative.contains(QStringLiteral("2 done, 0 left alone, 1 failed")));
  QVERIFY(watcher_->Boxes().front().details.size() >
          watcher_->Boxes().front().informative.size() / 2);
  QCOMPARE(QString::fromStdString(project_->Header("b.c")->ModDesc()), QStringLiteral("shared"));
  QCOMPARE(QString::fromStdString(project_->Header("main.c")->ModDesc()), QStringLiteral("shared"));
  QCOMPARE(testing::ReadFile(refused), refusedBytes);

  // The access list on the same files.
  watcher_->Clear();
  watcher_->press = nullptr;
  project_->Window().FilesView()->selectAll();
  QCOMPARE(project_->Window().FilesView()->SelectedNames().size(), std::size_t{3});
  Run<AccessListDialog>(CommandId::kModuleAccessList, [](AccessListDialog& dialog) {
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Maintain Access List"));
    dialog.UserList()->setCurrentRow(2);
    dialog.AddSelectedUser();
    dialog.UserList()->setCurrentRow(0);
    dialog.AddSelectedUser();
    dialog.accept();
  });
  QCOMPARE(watcher_->Boxes().size(), std::size_t{1});
  QVERIFY(watcher_->Boxes().front().informative.contains(
      QStringLiteral("Failed to modify access list for c.c in %1").arg(refused)));
  for (const char* name : {"b.c", "main.c"}) {
    QCOMPARE(QString::fromStdString(project_->Header(name)->AccessList()),
             QStringLiteral("cy,ann"));
  }
  QCOMPARE(testing::ReadFile(refused), refusedBytes);
  QCOMPARE(project_->Window().StatusText(), QStringLiteral("tmh  -access  -text \"cy,ann\""));

  // Attributes: all undetermined but one.
  project_->Window().FilesView()->selectAll();
  const int before = project_->Header("main.c")->LogFileHdr()._iAttributes;
  Run<AttributesDialog>(CommandId::kModuleAttributes, [](AttributesDialog& dialog) {
    dialog.Button(7)->setCheckState(Qt::Checked);  // compress logfile
    QCOMPARE(dialog.Command(), std::string("tmh  -set Compression=yes"));
    dialog.accept();
  });
  QCOMPARE(project_->Header("main.c")->LogFileHdr()._iAttributes, before | 0x80);
  QCOMPARE(project_->Header("b.c")->LogFileHdr()._iAttributes & 0x80, 0x80);
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::HeaderDialogsTest)
#include "header_dialogs_test.moc"
