// A user logged in to the desktop front end, with no access list in the
// environment or any project, adds a first file: it is added, and its
// logfile's access list is that user, as on the command line.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "frontend/command_strings.h"
#include "frontend/workspace.h"
#include "frontend_test_support.h"
#include "objects/log_file.h"

namespace tarn::dorn {

class AccessListDefaultTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    testing::LoadCatalogue();
    qunsetenv("TARNACCESS");
    qunsetenv("TARNUSER");
  }
  void firstFileOfALoggedInUserIsTheirs_data();
  void firstFileOfALoggedInUserIsTheirs();
};

void AccessListDefaultTest::firstFileOfALoggedInUserIsTheirs_data() {
  QTest::addColumn<QString>("dornIni");
  QTest::addColumn<QString>("expected");
  QTest::newRow("no INI file") << QString() << "cy";
  QTest::newRow("a project without an access list")
      << "[Projects]\nWeb={src}\n\n[Web]\nTARNCOMPRESS=no\n" << "cy";
  QTest::newRow("a project's access list stays") << "[Projects]\nWeb={src}\n\n[Web]\nTARNACCESS=ann,cy\n"
                                                 << "ann,cy";
}

void AccessListDefaultTest::firstFileOfALoggedInUserIsTheirs() {
  QFETCH(QString, dornIni);
  QFETCH(QString, expected);
  QTemporaryDir scratch;
  QVERIFY(scratch.isValid());
  const QString root = QDir(scratch.path()).canonicalPath();
  const QString src = root + QStringLiteral("/src");
  QVERIFY(QDir().mkpath(src));
  if (!dornIni.isEmpty()) {
    QVERIFY(testing::WriteFile(root + QStringLiteral("/config/dorn.ini"),
                               dornIni.replace(QStringLiteral("{src}"), src).toUtf8()));
  }
  // The environment's defaults, and the name the login gave.
  tEnvVar settings;
  QCOMPARE(std::string(settings.AccessList()), std::string("none"));
  settings.UserName("cy");
  settings.TARNPath((root + QStringLiteral("/logs")).toUtf8().constData());
  settings.JournalPath((root + QStringLiteral("/")).toUtf8().constData());
  Workspace workspace(settings, (root + QStringLiteral("/config")).toStdString());
  QVERIFY(workspace.Enter(src.toStdString()));
  QVERIFY(QDir().mkpath(root + QStringLiteral("/logs")));
  QVERIFY(testing::WriteFile(src + QStringLiteral("/first.c"), "first\n"));

  AddChoices add;
  add.workfile = workspace.WorkfileFullName("first.c");
  add.description = "the first file";
  QVERIFY(workspace.Run(Operation::kCheckIn, "first.c", AddCommand(add)));

  tLogFile logfile(workspace.WorkfileFullName("first.c").c_str(), &workspace.Settings());
  QCOMPARE(logfile.Open(), ttTRUE);
  QCOMPARE(logfile.ReadHdr(), ttTRUE);
  logfile.Close();
  QCOMPARE(QString::fromStdString(logfile.HeaderInfo()->AccessList()), expected);
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::AccessListDefaultTest)
#include "access_list_default_test.moc"
