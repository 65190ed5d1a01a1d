// The program as started: without its message catalogue it ends before any
// window opens, saying why, and writes nothing.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "frontend_test_support.h"

namespace tarn::dorn {

class DornProgramTest : public QObject {
  Q_OBJECT

 private slots:
  void withoutItsCatalogueTheProgramEndsAtOnce_data();
  void withoutItsCatalogueTheProgramEndsAtOnce();
};

void DornProgramTest::withoutItsCatalogueTheProgramEndsAtOnce_data() {
  QTest::addColumn<QString>("catalogue");  // what stands where the catalogue belongs
  QTest::newRow("missing") << "";
  QTest::newRow("a directory") << "directory";
}

void DornProgramTest::withoutItsCatalogueTheProgramEndsAtOnce() {
  QFETCH(QString, catalogue);
  // A copy of the program in a directory of its own, with no catalogue
  // beside it nor in a share/tarn/ above it.
  QTemporaryDir scratch;
  QVERIFY(scratch.isValid());
  const QString bin = scratch.filePath(QStringLiteral("a/b/bin"));
  QVERIFY(QDir().mkpath(bin));
  const QString program = bin + QStringLiteral("/dorn");
  QVERIFY(QFile::copy(QStringLiteral(TARN_DORN_PROGRAM), program));
  QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
  if (catalogue == QStringLiteral("directory")) QVERIFY(QDir().mkpath(bin + QStringLiteral("/tarnMsgF")));
  QProcess dorn;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("HOME"), scratch.path());
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch.filePath(QStringLiteral("config")));
  dorn.setProcessEnvironment(environment);
  dorn.setWorkingDirectory(scratch.path());
  dorn.start(program, {});
  QVERIFY(dorn.waitForFinished(20000));
  QCOMPARE(dorn.exitStatus(), QProcess::NormalExit);
  QCOMPARE(dorn.exitCode(), 1);
  const QString errors = QString::fromUtf8(dorn.readAllStandardError());
  QVERIFY2(errors.contains(QStringLiteral("Dorn -- failed to open message file: '%1/tarnMsgF'").arg(bin)),
           qPrintable(errors));
  QVERIFY2(errors.contains(QStringLiteral("Dorn: cannot start without the message catalogue")),
           qPrintable(errors));
  QCOMPARE(dorn.readAllStandardOutput(), QByteArray());
  // Nothing was written anywhere: no configuration, no INI file.
  QVERIFY(!QFile::exists(scratch.filePath(QStringLiteral("config"))));
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::DornProgramTest)
#include "dorn_program_test.moc"
