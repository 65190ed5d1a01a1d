// What compare, view and the header dialogs build without a window: the
// get into a temporary file, the compare command's validity rule and its
// words, the viewed file's extension, the modify-header command strings
// character for character, and the side-by-side rows of two texts.
#include <QtTest>

#include "frontend/compare_and_view_commands.h"
#include "frontend/compare_rows.h"
#include "frontend/header_commands.h"
#include "frontend_test_support.h"

namespace tarn::dorn {
namespace {

using Words = std::vector<std::string>;

QStringList Listed(const Words& words) {
  QStringList list;
  for (const std::string& word : words) list << QString::fromStdString(word);
  return list;
}

// The rows of a layout as "left:right:kind" with kinds s c r a.
QStringList RowText(const CompareLayout& layout) {
  QStringList rows;
  for (const CompareRow& row : layout.rows) {
    const char kind = "scra"[static_cast<int>(row.kind)];
    rows << QStringLiteral("%1:%2:%3").arg(row.left).arg(row.right).arg(QLatin1Char(kind));
  }
  return rows;
}

}  // namespace

class CompareAndHeaderCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }

  void revisionIntoFileCommand();
  void compareCommandValidity_data();
  void compareCommandValidity();
  void compareProgramWords_data();
  void compareProgramWords();
  void viewerWords();
  void viewedExtension_data();
  void viewedExtension();
  void attributesCommand_data();
  void attributesCommand();
  void changeCommands();
  void rowsOfTwoTexts_data();
  void rowsOfTwoTexts();
  void textLines();
};

void CompareAndHeaderCommandsTest::revisionIntoFileCommand() {
  QCOMPARE(RevisionIntoFileCommand("/tmp/TARN0001", "1.3"),
           std::string(R"(tget -out "/tmp/TARN0001" -quiet -rev 1.3)"));
  QCOMPARE(RevisionIntoFileCommand("/tmp/TARN0002.c", "tip"),
           std::string(R"(tget -out "/tmp/TARN0002.c" -quiet -rev tip)"));
  // A list entry without digits names the default revision.
  QCOMPARE(RevisionIntoFileCommand("/tmp/TARN0003", ""),
           std::string(R"(tget -out "/tmp/TARN0003" -quiet)"));
}

void CompareAndHeaderCommandsTest::compareCommandValidity_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<bool>("valid");
  QTest::newRow("the usual form") << "windiff %s %s" << true;
  QTest::newRow("options around") << "meld --diff %s %s --label x" << true;
  QTest::newRow("no program") << "%s %s" << false;
  QTest::newRow("one placeholder") << "diff %s" << false;
  QTest::newRow("none") << "kompare" << false;
  QTest::newRow("empty") << "" << false;
  QTest::newRow("placeholders run together") << "x%s%s" << true;
  QTest::newRow("a lone percent") << "diff %s %" << false;
}

void CompareAndHeaderCommandsTest::compareCommandValidity() {
  QFETCH(QString, command);
  QFETCH(bool, valid);
  QCOMPARE(IsValidCompareCommand(command.toStdString()), valid);
}

void CompareAndHeaderCommandsTest::compareProgramWords_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<QStringList>("words");
  const QString revision = QStringLiteral("/tmp/TARN0007");
  const QString workfile = QStringLiteral("/home/ann/my project/main.c");
  QTest::newRow("plain") << "diff %s %s" << QStringList{"diff", revision, workfile};
  // A blank in a path keeps the path one argument.
  QTest::newRow("quoted placeholders")
      << R"(meld "%s" '%s')" << QStringList{"meld", revision, workfile};
  QTest::newRow("inside an option")
      << "tool --left=%s --right=%s -x"
      << QStringList{"tool", "--left=" + revision, "--right=" + workfile, "-x"};
  QTest::newRow("one word holds both")
      << "tool %s,%s" << QStringList{"tool", revision + "," + workfile};
  QTest::newRow("a third stays as written")
      << "tool %s %s %s" << QStringList{"tool", revision, workfile, "%s"};
}

void CompareAndHeaderCommandsTest::compareProgramWords() {
  QFETCH(QString, command);
  QFETCH(QStringList, words);
  QCOMPARE(Listed(CompareProgramWords(command.toStdString(), "/tmp/TARN0007",
                                      "/home/ann/my project/main.c")),
           words);
}

void CompareAndHeaderCommandsTest::viewerWords() {
  QCOMPARE(Listed(ViewerWords("less", "/tmp/TARN0001.c")),
           (QStringList{"less", "/tmp/TARN0001.c"}));
  QCOMPARE(Listed(ViewerWords("gedit --wait -s", "/tmp/a b.c")),
           (QStringList{"gedit", "--wait", "-s", "/tmp/a b.c"}));
  QVERIFY(ViewerWords("  ", "/tmp/x").empty());
}

void CompareAndHeaderCommandsTest::viewedExtension_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("extension");
  QTest::newRow("makefile.c") << "makefile.c"
                              << ".c";
  QTest::newRow("three letters") << "main.cpp"
                                 << ".cpp";
  QTest::newRow("four letters are too many") << "Main.java"
                                             << "";
  QTest::newRow("no point") << "Makefile"
                            << "";
  QTest::newRow("short name") << "a.h"
                              << ".h";
  QTest::newRow("point at the end") << "notes."
                                    << ".";
  QTest::newRow("point far before the end") << "v1.0-notes"
                                            << "";
}

void CompareAndHeaderCommandsTest::viewedExtension() {
  QFETCH(QString, name);
  QFETCH(QString, extension);
  QCOMPARE(QString::fromStdString(ViewedExtension(name.toStdString())), extension);
}

void CompareAndHeaderCommandsTest::attributesCommand_data() {
  QTest::addColumn<QList<int>>("states");  // TriState by bit number
  QTest::addColumn<QString>("expected");
  const int und = static_cast<int>(TriState::kUndetermined);
  const int on = static_cast<int>(TriState::kChecked);
  const int off = static_cast<int>(TriState::kClear);
  QTest::newRow("all undetermined") << QList<int>{und, und, und, und, und, und, und, und} << "tmh ";
  QTest::newRow("check locks off")
      << QList<int>{off, und, und, und, und, und, und, und} << "tmh  -set CheckLock=no";
  // The words' order, not the bits': binary, check locks, compression,
  // delete workfile, expand keywords, journal, protect logfile, protect
  // workfile.
  QTest::newRow("all set")
      << QList<int>{on, on, on, on, on, on, on, on}
      << "tmh  -set BinaryFile=yes -set CheckLock=yes -set Compression=yes -set DeleteWork=yes"
         " -set ExpandKeywords=yes -set JournalFile=yes -set ProtectLogFile=yes"
         " -set ProtectWorkFile=yes";
  QTest::newRow("mixed")
      << QList<int>{und, off, on, und, off, on, und, off}
      << "tmh  -set BinaryFile=yes -set Compression=no -set DeleteWork=no -set ExpandKeywords=yes"
         " -set ProtectWorkFile=no";
}

void CompareAndHeaderCommandsTest::attributesCommand() {
  QFETCH(QList<int>, states);
  QFETCH(QString, expected);
  AttributeStates attributeStates{};
  for (int bit = 0; bit < 8; ++bit) {
    attributeStates[static_cast<std::size_t>(bit)] = static_cast<TriState>(states[bit]);
  }
  QCOMPARE(QString::fromStdString(AttributesCommand(attributeStates)), expected);
}

void CompareAndHeaderCommandsTest::changeCommands() {
  QCOMPARE(DescriptionCommand("Parses \"the\" input\nline two"),
           std::string("tmh  -desc  -text \"Parses \"the\" input\nline two\""));
  QCOMPARE(AccessListCommand({"ann", "bob", "cy"}),
           std::string(R"(tmh  -access  -text "ann,bob,cy")"));
  QCOMPARE(AccessListCommand({"ann"}), std::string(R"(tmh  -access  -text "ann")"));
  QCOMPARE(AuthorCommand("bob"), std::string(R"(tmh  -owner  -text "bob")"));
}

void CompareAndHeaderCommandsTest::rowsOfTwoTexts_data() {
  QTest::addColumn<QByteArray>("first");
  QTest::addColumn<QByteArray>("second");
  QTest::addColumn<QStringList>("rows");
  QTest::addColumn<QList<int>>("changeStarts");
  QTest::newRow("equal") << QByteArray("a\nb\n") << QByteArray("a\nb\n")
                         << QStringList{"0:0:s", "1:1:s"} << QList<int>{};
  QTest::newRow("one line replaced") << QByteArray("a\nb\nc\n") << QByteArray("a\nB\nc\n")
                                     << QStringList{"0:0:s", "1:1:c", "2:2:s"} << QList<int>{1};
  QTest::newRow("removed and added apart")
      << QByteArray("a\nb\nc\nd\n") << QByteArray("a\nc\nd\ne\n")
      << QStringList{"0:0:s", "1:-1:r", "2:1:s", "3:2:s", "-1:3:a"} << QList<int>{1, 4};
  QTest::newRow("two lines become three")
      << QByteArray("a\nx\ny\nb\n") << QByteArray("a\n1\n2\n3\nb\n")
      << QStringList{"0:0:s", "1:1:c", "2:2:c", "-1:3:a", "3:4:s"} << QList<int>{1};
  QTest::newRow("from nothing") << QByteArray() << QByteArray("a\nb")
                                << QStringList{"-1:0:a", "-1:1:a"} << QList<int>{0};
  // Only the last line's missing line feed differs.
  QTest::newRow("missing final line feed") << QByteArray("a\nb\n") << QByteArray("a\nb")
                                           << QStringList{"0:0:s", "1:1:c"} << QList<int>{1};
}

void CompareAndHeaderCommandsTest::rowsOfTwoTexts() {
  QFETCH(QByteArray, first);
  QFETCH(QByteArray, second);
  QFETCH(QStringList, rows);
  QFETCH(QList<int>, changeStarts);
  const std::optional<CompareLayout> layout = LayOutComparison(first, second);
  QVERIFY(layout);
  QCOMPARE(RowText(*layout), rows);
  QCOMPARE(QList<int>(layout->changeStarts.begin(), layout->changeStarts.end()), changeStarts);
}

void CompareAndHeaderCommandsTest::textLines() {
  const std::vector<QString> lines = TextLines("one\r\ntwo\n\nlast");
  QCOMPARE(QStringList(lines.begin(), lines.end()), (QStringList{"one", "two", "", "last"}));
  QVERIFY(TextLines("").empty());
  QCOMPARE(TextLines("\n").size(), std::size_t{1});
}

}  // namespace tarn::dorn

QTEST_MAIN(tarn::dorn::CompareAndHeaderCommandsTest)
#include "compare_and_header_commands_test.moc"
