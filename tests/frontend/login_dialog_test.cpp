// Login and user maintenance: the sorted user list, the refusals and their
// messages, the first login, and adding and deleting users.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "frontend/add_user_dialog.h"
#include "frontend/login_dialog.h"
#include "frontend/maintain_users_dialog.h"
#include "frontend_test_support.h"

namespace tarn::dorn {

class LoginDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }
  void usersAreSortedAndThePasswordMasked();
  void login_data();
  void login();
  void anEmptyUserListRunsTheMaintenanceFirst();
  void cancelEndsTheLogin();
  void maintenanceAddsAndDeletes();
};

void LoginDialogTest::usersAreSortedAndThePasswordMasked() {
  testing::MemoryUsers users;
  users.users = {{"cy", "c"}, {"ann", "a"}, {"bob", "b"}};
  LoginDialog dialog(users);
  QCOMPARE(dialog.UserList()->count(), 3);
  QCOMPARE(dialog.UserList()->itemText(0), QStringLiteral("ann"));
  QCOMPARE(dialog.UserList()->itemText(2), QStringLiteral("cy"));
  QCOMPARE(dialog.UserList()->currentIndex(), 0);
  QCOMPARE(dialog.PasswordField()->echoMode(), QLineEdit::Password);
}

void LoginDialogTest::login_data() {
  QTest::addColumn<QString>("user");
  QTest::addColumn<QString>("password");
  QTest::addColumn<bool>("accepted");
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("stored");  // bob's password afterwards
  QTest::newRow("right password") << "ann" << "Secret" << true << "" << "";
  QTest::newRow("letter case counts") << "ann" << "secret" << false
                                      << "Invalid password for user 'ann'.  Try again." << "";
  QTest::newRow("first login stores") << "bob" << "new one" << true << "" << "new one";
  QTest::newRow("first login, empty password") << "bob" << "" << true << "" << "";
  QTest::newRow("removed meanwhile") << "cy" << "x" << false
                                     << "User 'cy' is unknown to TARN.  Please check for typing "
                                        "errors, or manually edit dorn.ini to add a new user."
                                     << "";
}

void LoginDialogTest::login() {
  QFETCH(QString, user);
  QFETCH(QString, password);
  QFETCH(bool, accepted);
  QFETCH(QString, message);
  QFETCH(QString, stored);
  testing::MemoryUsers users;
  users.users = {{"ann", "Secret"}, {"bob", ""}, {"cy", ""}};
  LoginDialog dialog(users);
  if (user == QStringLiteral("cy")) users.DeleteUser("cy");  // after the list was shown
  testing::ModalWatcher watcher;
  dialog.UserList()->setCurrentText(user);
  dialog.PasswordField()->setText(password);
  dialog.show();
  dialog.accept();
  QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
  QCOMPARE(dialog.isVisible(), !accepted);
  QCOMPARE(watcher.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
  QCOMPARE(QString::fromStdString(users.users[1].second), stored);
  if (accepted) QCOMPARE(QString::fromStdString(dialog.UserName()), user);
}

void LoginDialogTest::anEmptyUserListRunsTheMaintenanceFirst() {
  testing::MemoryUsers users;
  testing::ModalWatcher watcher;
  int runs = 0;
  watcher.onDialog = [&](QDialog& dialog) {
    auto* maintenance = qobject_cast<MaintainUsersDialog*>(&dialog);
    QVERIFY(maintenance);
    QVERIFY(!maintenance->DeleteButton()->isEnabled());
    // Closed without a user the first time: it comes back.
    if (++runs == 2) maintenance->AddUser(QStringLiteral("zed"));
    dialog.accept();
  };
  LoginDialog dialog(users);
  QCOMPARE(runs, 2);
  QCOMPARE(dialog.UserList()->count(), 1);
  QCOMPARE(dialog.UserList()->currentText(), QStringLiteral("zed"));
}

void LoginDialogTest::cancelEndsTheLogin() {
  testing::MemoryUsers users;
  users.users = {{"ann", "a"}};
  testing::ModalWatcher watcher;
  watcher.onDialog = [](QDialog& dialog) { dialog.reject(); };
  QVERIFY(!LoginDialog::Run(users).has_value());
  watcher.onDialog = [](QDialog& dialog) {
    qobject_cast<LoginDialog*>(&dialog)->PasswordField()->setText(QStringLiteral("a"));
    dialog.accept();
  };
  QCOMPARE(LoginDialog::Run(users), std::optional<std::string>("ann"));
}

void LoginDialogTest::maintenanceAddsAndDeletes() {
  testing::MemoryUsers users;
  users.users = {{"bob", "pw"}};
  MaintainUsersDialog dialog(users);
  QCOMPARE(dialog.UserList()->currentItem()->text(), QStringLiteral("bob"));
  QVERIFY(dialog.DeleteButton()->isEnabled());
  testing::ModalWatcher watcher;
  dialog.AddUser(QStringLiteral("ann"));
  dialog.AddUser(QStringLiteral("Ann"));  // another letter case: another user
  dialog.AddUser(QStringLiteral("bob"));
  dialog.AddUser(QString());
  QCOMPARE(watcher.Texts(), QStringList{"User bob is already defined!"});
  QCOMPARE(users.Users(), (std::vector<std::string>{"bob", "ann", "Ann"}));
  QCOMPARE(dialog.UserList()->currentItem()->text(), QStringLiteral("Ann"));
  // Delete asks first; No keeps the user.
  watcher.Clear();
  watcher.answer = [](const QString&) { return false; };
  dialog.UserList()->setCurrentRow(dialog.UserList()->row(
      dialog.UserList()->findItems(QStringLiteral("bob"), Qt::MatchExactly).first()));
  dialog.DeleteButton()->click();
  QCOMPARE(watcher.Texts(), QStringList{"Delete user bob?"});
  QCOMPARE(users.Users().size(), std::size_t{3});
  watcher.answer = [](const QString&) { return true; };
  dialog.DeleteButton()->click();
  QCOMPARE(users.Users(), (std::vector<std::string>{"ann", "Ann"}));
  QCOMPARE(dialog.UserList()->count(), 2);
  // Where the users section takes names regardless of letter case, the
  // directory refuses the second spelling and the dialog says so.
  users.foldCase = true;
  watcher.Clear();
  dialog.AddUser(QStringLiteral("ANN"));
  QCOMPARE(watcher.Texts(), QStringList{"User ANN is already defined!"});
  QCOMPARE(dialog.UserList()->count(), 2);

  AddUserDialog add;
  add.NameField()->setText(QStringLiteral("a=b"));
  QVERIFY(add.UserName() != QStringLiteral("a=b"));  // no '=' in an INI key
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::LoginDialogTest)
#include "login_dialog_test.moc"
