// Login and user maintenance on the users section of a scratch dorn.ini:
// the sorted user list, acceptance and refusal with their messages, the
// first login storing a hash, and adding and deleting users.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "frontend/add_user_dialog.h"
#include "frontend/login_dialog.h"
#include "frontend/maintain_users_dialog.h"
#include "frontend_test_support.h"
#include "projects/ini_file.h"
#include "projects/users.h"

namespace tarn::dorn {

class LoginDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }
  void init();
  void usersAreSortedAndThePasswordMasked();
  void login_data();
  void login();
  void anEmptyUserListRunsTheMaintenanceFirst();
  void aUserThatCannotBeWrittenIsReportedAndNotListed();
  void cancelEndsTheLogin();
  void maintenanceAddsAndDeletes();

 private:
  // The users section's value for `name`, as the file holds it.
  std::optional<std::string> Stored(const std::string& name) {
    tIniFile ini(ini_);
    return ini.GetValue("Users", name);
  }
  // A users section with ann's password "Secret" stored as its hash and
  // bob and cy who have never logged in.
  void WriteUsers();

  std::unique_ptr<QTemporaryDir> scratch_;
  std::string ini_;
};

void LoginDialogTest::init() {
  scratch_ = std::make_unique<QTemporaryDir>();
  QVERIFY(scratch_->isValid());
  ini_ = scratch_->filePath(QStringLiteral("config/dorn.ini")).toStdString();
}

void LoginDialogTest::WriteUsers() {
  const std::optional<std::string> hash = HashPassword("Secret");
  QVERIFY(hash);
  QVERIFY(testing::WriteFile(QString::fromStdString(ini_),
                             QByteArray("[Projects]\n[Users]\ncy=\nann=") + hash->c_str() +
                                 "\nbob=\n"));
}

void LoginDialogTest::usersAreSortedAndThePasswordMasked() {
  WriteUsers();
  LoginDialog dialog(ini_);
  QCOMPARE(dialog.UserList()->count(), 3);
  QCOMPARE(dialog.UserList()->itemText(0), QStringLiteral("ann"));
  QCOMPARE(dialog.UserList()->itemText(1), QStringLiteral("bob"));
  QCOMPARE(dialog.UserList()->itemText(2), QStringLiteral("cy"));
  QCOMPARE(dialog.UserList()->currentIndex(), 0);
  QCOMPARE(dialog.PasswordField()->echoMode(), QLineEdit::Password);
}

void LoginDialogTest::login_data() {
  QTest::addColumn<QString>("user");
  QTest::addColumn<QString>("password");
  QTest::addColumn<bool>("accepted");
  QTest::addColumn<QString>("message");
  QTest::newRow("right password") << "ann" << "Secret" << true << "";
  QTest::newRow("letter case counts") << "ann" << "secret" << false
                                      << "Invalid password for user 'ann'.  Try again.";
  QTest::newRow("a password cut short") << "ann" << "Secre" << false
                                        << "Invalid password for user 'ann'.  Try again.";
  QTest::newRow("first login stores") << "bob" << "new one" << true << "";
  QTest::newRow("first login, empty password") << "bob" << "" << true << "";
  QTest::newRow("removed meanwhile") << "cy" << "x" << false
                                     << "User 'cy' is unknown to TARN.  Please check for typing "
                                        "errors, or manually edit dorn.ini to add a new user.";
}

void LoginDialogTest::login() {
  QFETCH(QString, user);
  QFETCH(QString, password);
  QFETCH(bool, accepted);
  QFETCH(QString, message);
  WriteUsers();
  LoginDialog dialog(ini_);
  // cy's line goes after the list was shown.
  if (user == QStringLiteral("cy")) QCOMPARE(DeleteUser(ini_, "cy"), UserChange::kDone);
  testing::ModalWatcher watcher;
  dialog.UserList()->setCurrentText(user);
  dialog.PasswordField()->setText(password);
  dialog.show();
  dialog.accept();
  QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
  QCOMPARE(dialog.isVisible(), !accepted);
  QCOMPARE(watcher.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
  if (accepted) QCOMPARE(QString::fromStdString(dialog.UserName()), user);
  // bob's first login stored the typed password as a hash, never as text;
  // from then on only that password lets him in.
  const std::optional<std::string> bob = Stored("bob");
  QVERIFY(bob);
  if (user == QStringLiteral("bob")) {
    QVERIFY(IsPasswordHash(*bob));
    QVERIFY(!QString::fromUtf8(testing::ReadFile(QString::fromStdString(ini_))).contains(QStringLiteral("new one")));
    QCOMPARE(CheckLogin(ini_, "bob", password.toStdString()), LoginResult::kAccepted);
    QCOMPARE(CheckLogin(ini_, "bob", "other"), LoginResult::kWrongPassword);
  } else {
    QCOMPARE(*bob, std::string());
  }
}

void LoginDialogTest::anEmptyUserListRunsTheMaintenanceFirst() {
  testing::ModalWatcher watcher;
  int runs = 0;
  bool addUser = false;
  watcher.onDialog = [&](QDialog& dialog) {
    auto* maintenance = qobject_cast<MaintainUsersDialog*>(&dialog);
    QVERIFY(maintenance);
    ++runs;
    QVERIFY(!maintenance->DeleteButton()->isEnabled());
    // It says why it is there, and how to leave.
    QVERIFY(!maintenance->Explanation()->isHidden());
    QVERIFY(maintenance->Explanation()->text().contains(QStringLiteral("No TARN users are defined yet")));
    if (addUser) maintenance->AddUser(QStringLiteral("zed"));
    dialog.reject();  // Esc or the window's close button
  };
  // Closed without a user: the login ends, once asked.
  QVERIFY(!LoginDialog::Run(ini_).has_value());
  QCOMPARE(runs, 1);
  QVERIFY(!QFile::exists(QString::fromStdString(ini_)));
  // No dorn.ini yet, not even its directory: the user's line makes both.
  addUser = true;
  LoginDialog dialog(ini_);
  QCOMPARE(runs, 2);
  QCOMPARE(dialog.UserList()->count(), 1);
  QCOMPARE(dialog.UserList()->currentText(), QStringLiteral("zed"));
  QCOMPARE(testing::ReadFile(QString::fromStdString(ini_)), QByteArray("[Users]\nzed=\n"));
}

void LoginDialogTest::aUserThatCannotBeWrittenIsReportedAndNotListed() {
  // Something that is no file stands where dorn.ini would be written.
  QVERIFY(QDir().mkpath(QString::fromStdString(ini_)));
  testing::ModalWatcher watcher;
  MaintainUsersDialog dialog(ini_);
  dialog.AddUser(QStringLiteral("zed"));
  QCOMPARE(watcher.Texts(),
           QStringList{QStringLiteral("User zed was not added: %1 cannot be written")
                           .arg(QString::fromStdString(ini_))});
  QCOMPARE(dialog.UserList()->count(), 0);
  QVERIFY(ListUsers(ini_).empty());
}

void LoginDialogTest::cancelEndsTheLogin() {
  WriteUsers();
  testing::ModalWatcher watcher;
  watcher.onDialog = [](QDialog& dialog) { dialog.reject(); };
  QVERIFY(!LoginDialog::Run(ini_).has_value());
  watcher.onDialog = [](QDialog& dialog) {
    qobject_cast<LoginDialog*>(&dialog)->PasswordField()->setText(QStringLiteral("Secret"));
    dialog.accept();
  };
  QCOMPARE(LoginDialog::Run(ini_), std::optional<std::string>("ann"));
}

void LoginDialogTest::maintenanceAddsAndDeletes() {
  QVERIFY(testing::WriteFile(QString::fromStdString(ini_), "[Users]\nbob=x\n"));
  MaintainUsersDialog dialog(ini_);
  // Nothing chosen, Delete off, Close the default.
  QVERIFY(dialog.UserList()->selectedItems().isEmpty());
  QVERIFY(!dialog.DeleteButton()->isEnabled());
  QVERIFY(!dialog.DeleteButton()->isDefault());
  QPushButton* close = nullptr;
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    if (button->text() == QStringLiteral("&Close")) close = button;
  }
  QVERIFY(close && close->isDefault());
  QVERIFY(dialog.Explanation()->isHidden());
  testing::ModalWatcher watcher;
  dialog.AddUser(QStringLiteral("ann"));
  dialog.AddUser(QStringLiteral("bob"));
  dialog.AddUser(QString());
  // Keys of the users section ignore letter case: a second spelling would
  // take over ann's line, so it is refused like a listed name.
  dialog.AddUser(QStringLiteral("ANN"));
  // A name that would read back as a section is neither written nor listed.
  dialog.AddUser(QStringLiteral("[odd"));
  const QStringList texts = watcher.Texts();
  QVERIFY2(texts.size() == 3, qPrintable(texts.join(QStringLiteral(" | "))));
  QCOMPARE(texts.mid(0, 2),
           (QStringList{"User bob is already defined!", "User ANN is already defined!"}));
  // A name no user can have is refused with a word on why.
  QVERIFY2(texts[2].contains(QStringLiteral("[odd")), qPrintable(texts[2]));
  QCOMPARE(ListUsers(ini_), (std::vector<std::string>{"bob", "ann"}));
  QCOMPARE(testing::ReadFile(QString::fromStdString(ini_)), QByteArray("[Users]\nbob=x\nann=\n"));
  QCOMPARE(dialog.UserList()->count(), 2);
  QCOMPARE(dialog.UserList()->currentItem()->text(), QStringLiteral("ann"));
  // Delete asks first; No keeps the user.
  watcher.Clear();
  watcher.answer = [](const QString&) { return false; };
  dialog.UserList()->setCurrentItem(
      dialog.UserList()->findItems(QStringLiteral("bob"), Qt::MatchExactly).first());
  QVERIFY(dialog.DeleteButton()->isEnabled());
  dialog.DeleteButton()->click();
  QCOMPARE(watcher.Texts(), QStringList{"Delete user bob?"});
  QCOMPARE(watcher.Boxes().front().defaultButton, QStringLiteral("No"));
  QVERIFY(watcher.Boxes().front().informative.contains(QStringLiteral("can no longer log in")));
  QCOMPARE(ListUsers(ini_).size(), std::size_t{2});
  watcher.answer = [](const QString&) { return true; };
  dialog.DeleteButton()->click();
  QCOMPARE(ListUsers(ini_), std::vector<std::string>{"ann"});
  QCOMPARE(testing::ReadFile(QString::fromStdString(ini_)), QByteArray("[Users]\nann=\n"));
  QCOMPARE(dialog.UserList()->count(), 1);

  // What cannot stand in an INI key or a comma-separated list cannot be
  // typed.
  AddUserDialog add;
  QTest::keyClicks(add.NameField(), QStringLiteral("a=b,c d[e]"));
  QCOMPARE(add.UserName(), QStringLiteral("abcde"));
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::LoginDialogTest)
#include "login_dialog_test.moc"
