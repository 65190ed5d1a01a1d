// The project files list: column texts, the five sort orders, the New
// marker and its drawing, the sort column's stored word, and typing to
// select.
#include <QImage>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QtTest>

#include "engine/support/message_catalogue.h"
#include "frontend/new_marker_delegate.h"
#include "frontend/project_files_model.h"
#include "frontend/project_files_view.h"
#include "frontend/user_preferences.h"
#include "frontend_test_support.h"

namespace tarn::dorn {
namespace {

ProjectFile File(const std::string& name, std::int64_t updated = 1000, std::int64_t size = 10) {
  ProjectFile file;
  file.name = name;
  file.lastUpdate = updated;
  file.lastWorkfileSize = size;
  file.modifierList = "ann,bob,cy";
  file.workfileExists = true;
  file.workfileModified = updated;
  return file;
}

ProjectFile Locked(const std::string& name, int modifier, const std::string& workfile) {
  ProjectFile file = File(name);
  file.lockCount = 1;
  file.lockers = {ListField(file.modifierList, modifier)};
  file.workfileIn = workfile;
  return file;
}

QStringList Names(const ProjectFilesModel& model) {
  QStringList names;
  for (const ProjectFile& file : model.Entries()) names << QString::fromStdString(file.name);
  return names;
}

}  // namespace

class ProjectFilesModelTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }

  void lockedByText_data();
  void lockedByText();
  void otherColumns();
  void sortOrders_data();
  void sortOrders();
  void changingTheSortColumnResorts();
  void newMarker_data();
  void newMarker();
  void delegateDrawsTheMarkerBlackOnYellow();
  void replaceKeepsTheRowAndRemoveFindsByName();
  void sortColumnWords();
  void numberPairs_data();
  void numberPairs();
  void typingSelectsTheNextMatchingName();
};

void ProjectFilesModelTest::lockedByText_data() {
  QTest::addColumn<int>("locks");
  QTest::addColumn<QStringList>("lockers");
  QTest::addColumn<int>("lastModifier");
  QTest::addColumn<QString>("text");
  // The holders, whoever changed the logfile last.
  QTest::newRow("not locked, ann changed it last") << 0 << QStringList{} << 0 << "";
  QTest::newRow("bob holds it, ann labelled it last") << 1 << QStringList{"bob"} << 0 << "bob";
  QTest::newRow("two holders") << 2 << QStringList{"bob", "cy"} << 0 << "bob,cy";
  QTest::newRow("holders not read") << 1 << QStringList{} << 2 << "Locked";
}

void ProjectFilesModelTest::lockedByText() {
  QFETCH(int, locks);
  QFETCH(QStringList, lockers);
  QFETCH(int, lastModifier);
  QFETCH(QString, text);
  ProjectFile file = File("a.c");
  file.lockCount = locks;
  file.lastModifierIndex = lastModifier;
  for (const QString& name : lockers) file.lockers.push_back(name.toStdString());
  QCOMPARE(QString::fromStdString(LockedByText(file)), text);
}

void ProjectFilesModelTest::otherColumns() {
  ProjectFile file = Locked("main.c", 1, "/home/bob/src/main.c");
  file.lastWorkfileSize = 4711;
  QCOMPARE(ColumnText(file, FileColumn::kWorkfileIn), std::string("/home/bob/src/main.c"));
  QCOMPARE(ColumnText(file, FileColumn::kFileSize), std::string("4711"));
  file.lockCount = 0;
  file.lastWorkfileSize = 0;
  QCOMPARE(ColumnText(file, FileColumn::kWorkfileIn), std::string());
  QCOMPARE(ColumnText(file, FileColumn::kFileSize), std::string());
  // 2001-01-02 03:04:05 in local time, whatever the zone.
  const QDateTime local(QDate(2001, 1, 2), QTime(3, 4, 5));
  QCOMPARE(LastChangedText(local.toSecsSinceEpoch()), std::string("Tue Jan 02 03:04:05 2001"));
}

void ProjectFilesModelTest::sortOrders_data() {
  QTest::addColumn<int>("column");
  QTest::addColumn<QStringList>("order");
  QTest::newRow("filename, letter case ignored") << 0 << QStringList{"a.c", "B.c", "c.c", "d.c", "E.c"};
  // Locked entries first, by holder; ties and the unlocked ones by name.
  QTest::newRow("locked by") << 1 << QStringList{"d.c", "B.c", "E.c", "a.c", "c.c"};
  // Newest first; the one without a time last.
  QTest::newRow("last changed") << 2 << QStringList{"c.c", "a.c", "B.c", "d.c", "E.c"};
  QTest::newRow("workfile in") << 3 << QStringList{"d.c", "E.c", "B.c", "a.c", "c.c"};
  QTest::newRow("file size") << 4 << QStringList{"E.c", "B.c", "a.c", "c.c", "d.c"};
}

void ProjectFilesModelTest::sortOrders() {
  QFETCH(int, column);
  QFETCH(QStringList, order);
  ProjectFilesModel model;
  model.SetSortColumn(static_cast<FileColumn>(column));
  model.Add(File("c.c", 3000, 5));
  ProjectFile b = Locked("B.c", 1, "/w/zeta/B.c");  // bob
  b.lastUpdate = 1000;
  b.lastWorkfileSize = 50;
  model.Add(b);
  model.Add(File("a.c", 2000, 7));
  ProjectFile e = Locked("E.c", 1, "/w/alpha/E.c");  // bob as well
  e.lastUpdate = 0;
  e.lastWorkfileSize = 90;
  model.Add(e);
  ProjectFile d = Locked("d.c", 0, "/w/alpha/d.c");  // ann
  d.lastUpdate = 1000;
  d.lastWorkfileSize = 0;
  model.Add(d);
  QCOMPARE(Names(model), order);
}

void ProjectFilesModelTest::changingTheSortColumnResorts() {
  ProjectFilesModel model;
  model.Add(File("old.c", 100));
  model.Add(File("new.c", 900));
  QCOMPARE(Names(model), (QStringList{"new.c", "old.c"}));
  QSignalSpy reset(&model, &QAbstractItemModel::layoutChanged);
  model.SetSortColumn(FileColumn::kLastChanged);
  QCOMPARE(Names(model), (QStringList{"new.c", "old.c"}));
  QCOMPARE(reset.count(), 1);
  model.Add(File("middle.c", 500));
  QCOMPARE(Names(model), (QStringList{"new.c", "middle.c", "old.c"}));
  model.SetSortColumn(FileColumn::kLastChanged);  // unchanged: nothing happens
  QCOMPARE(reset.count(), 1);
}

void ProjectFilesModelTest::newMarker_data() {
  QTest::addColumn<bool>("exists");
  QTest::addColumn<qint64>("modified");
  // The newest revision's edit and check-in times; 0: not read.
  QTest::addColumn<qint64>("headEdit");
  QTest::addColumn<qint64>("headCheckin");
  QTest::addColumn<bool>("marked");
  // The logfile was last changed at 1000.
  QTest::newRow("workfile missing") << false << qint64(5000) << qint64(0) << qint64(0) << true;
  QTest::newRow("older, newest revision unknown") << true << qint64(999) << qint64(0) << qint64(0) << true;
  QTest::newRow("workfile as new") << true << qint64(1000) << qint64(0) << qint64(0) << false;
  QTest::newRow("workfile newer") << true << qint64(1001) << qint64(0) << qint64(0) << false;
  // Checked in at 1000 from a workfile last written at 900: it holds that
  // revision.
  QTest::newRow("own check-in") << true << qint64(900) << qint64(900) << qint64(1000) << false;
  // Revision records round times down to an even second.
  QTest::newRow("own check-in, odd second") << true << qint64(901) << qint64(900) << qint64(1000) << false;
  QTest::newRow("two seconds apart") << true << qint64(902) << qint64(900) << qint64(1000) << true;
  // Got afterwards, the time set to the check-in or the edit time.
  QTest::newRow("got with the check-in time") << true << qint64(800) << qint64(700) << qint64(800) << false;
  QTest::newRow("got with the edit time") << true << qint64(700) << qint64(700) << qint64(800) << false;
  // The newest revision came from elsewhere after the workfile was written;
  // a label at 1000 changed nothing of it.
  QTest::newRow("teammate's check-in") << true << qint64(900) << qint64(950) << qint64(990) << true;
  QTest::newRow("a label after a get") << true << qint64(900) << qint64(500) << qint64(600) << false;
}

void ProjectFilesModelTest::newMarker() {
  QFETCH(bool, exists);
  QFETCH(qint64, modified);
  QFETCH(qint64, headEdit);
  QFETCH(qint64, headCheckin);
  QFETCH(bool, marked);
  ProjectFile file = File("a.c", 1000);
  file.workfileExists = exists;
  file.workfileModified = modified;
  file.headKnown = headCheckin > 0;
  file.headEditTime = headEdit;
  file.headCheckinTime = headCheckin;
  ProjectFilesModel model;
  model.Add(file);
  QCOMPARE(model.index(0, 0).data(ProjectFilesModel::kNewMarkerRole).toBool(), marked);
  QVERIFY(!model.index(0, 1).data(ProjectFilesModel::kNewMarkerRole).toBool());
  // A logfile that cannot be read carries its own marker instead.
  file.problem = "damaged";
  file.damaged = true;
  QVERIFY(model.Replace(file));
  QVERIFY(!model.index(0, 0).data(ProjectFilesModel::kNewMarkerRole).toBool());
  QCOMPARE(model.index(0, 0).data(ProjectFilesModel::kProblemMarkerRole).toString(),
           QStringLiteral("Damaged"));
  QVERIFY(model.index(0, 0).data(Qt::ToolTipRole).toString().endsWith(QStringLiteral("damaged")));
}

void ProjectFilesModelTest::delegateDrawsTheMarkerBlackOnYellow() {
  ProjectFilesModel model;
  ProjectFile missing = File("gone.c");
  missing.workfileExists = false;
  model.Add(missing);
  model.Add(File("here.c"));
  NewMarkerDelegate delegate;
  auto paint = [&](int row) {
    QImage image(200, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = image.rect();
    option.fontMetrics = QFontMetrics(QFont());
    delegate.paint(&painter, option, model.index(row, 0));
    painter.end();
    return image;
  };
  auto countColour = [](const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == colour;
    }
    return n;
  };
  const int markerRow = *model.RowOf("gone.c");
  const QImage marked = paint(markerRow);
  QVERIFY(countColour(marked, QColor(Qt::yellow)) > 50);
  QVERIFY(countColour(marked, QColor(Qt::black)) > 0);
  QCOMPARE(countColour(paint(1 - markerRow), QColor(Qt::yellow)), 0);
  QCOMPARE(countColour(paint(1 - markerRow), QColor(Qt::red)), 0);
  // A damaged logfile: red, no yellow.
  ProjectFile damaged = File("gone.c");
  damaged.workfileExists = false;
  damaged.problem = "its header cannot be read";
  damaged.damaged = true;
  QVERIFY(model.Replace(damaged));
  QVERIFY(countColour(paint(markerRow), QColor(Qt::red)) > 50);
  QCOMPARE(countColour(paint(markerRow), QColor(Qt::yellow)), 0);
  model.Replace(missing);
  QStyleOptionViewItem option;
  option.fontMetrics = QFontMetrics(QFont());
  QVERIFY(delegate.sizeHint(option, model.index(markerRow, 0)).width() >
          delegate.sizeHint(option, model.index(1 - markerRow, 0)).width());
}

void ProjectFilesModelTest::replaceKeepsTheRowAndRemoveFindsByName() {
  ProjectFilesModel model;
  model.SetSortColumn(FileColumn::kLockedBy);
  model.Add(File("a.c"));
  model.Add(File("b.c"));
  // Now locked, it would sort first; a refreshed entry keeps its place.
  QVERIFY(model.Replace(Locked("b.c", 2, "/w/b.c")));
  QCOMPARE(Names(model), (QStringList{"a.c", "b.c"}));
  QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("cy"));
  QVERIFY(!model.Replace(File("zz.c")));
  QVERIFY(model.Remove("a.c"));
  QVERIFY(!model.Remove("a.c"));
  QCOMPARE(Names(model), QStringList{"b.c"});
}

void ProjectFilesModelTest::sortColumnWords() {
  for (int column = 0; column < kFileColumnCount; ++column) {
    const auto value = static_cast<FileColumn>(column);
    QCOMPARE(SortColumnFromWord(SortColumnWord(value)), value);
  }
  QCOMPARE(SortColumnWord(FileColumn::kLastChanged), std::string("Last Changed"));
  QCOMPARE(SortColumnFromWord("last changed"), FileColumn::kFilename);
  QCOMPARE(SortColumnFromWord(""), FileColumn::kFilename);
  ProjectFilesModel model;
  QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("File size"));
}

void ProjectFilesModelTest::numberPairs_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("valid");
  QTest::addColumn<int>("first");
  QTest::addColumn<int>("second");
  QTest::newRow("size") << "800,600" << true << 800 << 600;
  QTest::newRow("negative position") << "-8,12" << true << -8 << 12;
  QTest::newRow("one number") << "800" << false << 0 << 0;
  QTest::newRow("three numbers") << "1,2,3" << false << 0 << 0;
  QTest::newRow("words") << "wide,tall" << false << 0 << 0;
  QTest::newRow("empty") << "" << false << 0 << 0;
}

void ProjectFilesModelTest::numberPairs() {
  QFETCH(QString, text);
  QFETCH(bool, valid);
  QFETCH(int, first);
  QFETCH(int, second);
  const auto pair = NumberPair(text.toStdString());
  QCOMPARE(pair.has_value(), valid);
  if (pair) {
    QCOMPARE(pair->first, first);
    QCOMPARE(pair->second, second);
  }
}

void ProjectFilesModelTest::typingSelectsTheNextMatchingName() {
  ProjectFilesModel model;
  for (const char* name : {"alpha.c", "beta.c", "Bravo.c", "charlie.c", "bz.c"}) {
    model.Add(File(name));
  }
  ProjectFilesView view;
  view.SetModel(&model);
  QVERIFY(view.SelectByInitial(QLatin1Char('B')));
  QCOMPARE(view.SelectedNames(), std::vector<std::string>{"beta.c"});
  QTest::keyClick(&view, Qt::Key_B, Qt::NoModifier);
  QCOMPARE(view.SelectedNames(), std::vector<std::string>{"Bravo.c"});
  QTest::keyClick(&view, 'b');
  QCOMPARE(view.SelectedNames(), std::vector<std::string>{"bz.c"});
  QTest::keyClick(&view, 'b');  // wraps to the top
  QCOMPARE(view.SelectedNames(), std::vector<std::string>{"beta.c"});
  view.selectAll();
  QTest::keyClick(&view, 'c');  // several selected: the search starts after the first
  QCOMPARE(view.SelectedNames(), std::vector<std::string>{"charlie.c"});
  QVERIFY(!view.SelectByInitial(QLatin1Char('q')));
  QCOMPARE(view.SelectedNames(), std::vector<std::string>{"charlie.c"});
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::ProjectFilesModelTest)
#include "project_files_model_test.moc"
