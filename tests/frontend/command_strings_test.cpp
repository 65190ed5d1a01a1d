// The command strings the single-file dialogs build, character for
// character, for their combinations of choices.
#include <QtTest>

#include "frontend/command_strings.h"
#include "frontend_test_support.h"

namespace tarn::dorn {
namespace {

const std::string kWorkfile = "/home/ann/src/main.c";

GetChoices BaseGet() {
  GetChoices choices;
  choices.workfile = kWorkfile;
  return choices;
}

}  // namespace

class CommandStringsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing::LoadCatalogue(); }

  void getCommand_data();
  void getCommand();
  void checkOutCommand_data();
  void checkOutCommand();
  void labelRequiredForGetByLabel();
  void checkInCommand_data();
  void checkInCommand();
  void addCommand_data();
  void addCommand();
  void revisionCommands_data();
  void revisionCommands();
  void revisionOfEntry_data();
  void revisionOfEntry();
  void getLabelQuoting_data();
  void getLabelQuoting();
};

void CommandStringsTest::getCommand_data() {
  QTest::addColumn<QString>("revision");
  QTest::addColumn<QString>("label");  // non-empty: get by label
  QTest::addColumn<int>("expand");     // TriState
  QTest::addColumn<bool>("newer");
  QTest::addColumn<int>("writable");   // TriState of "Make output writable"
  QTest::addColumn<int>("replace");    // WritableChoice
  QTest::addColumn<int>("stamp");      // TimestampChoice
  QTest::addColumn<QString>("expected");
  const int und = static_cast<int>(TriState::kUndetermined);
  const int on = static_cast<int>(TriState::kChecked);
  const int off = static_cast<int>(TriState::kClear);
  const int ask = static_cast<int>(WritableChoice::kAsk);
  const int now = static_cast<int>(TimestampChoice::kNow);
  QTest::newRow("all defaults") << "" << "" << und << false << und << ask << now
                                << R"(tget  -out "/home/ann/src/main.c" -quiet -stamp=now)";
  QTest::newRow("revision") << "1.12" << "" << und << false << und << ask << now
                            << R"(tget  -out "/home/ann/src/main.c" -quiet -rev 1.12 -stamp=now)";
  QTest::newRow("by label") << "1.12" << "beta 2" << und << false << und << ask << now
                            << R"(tget  -out "/home/ann/src/main.c" -quiet -v 'beta 2' -stamp=now)";
  QTest::newRow("expand on") << "" << "" << on << false << und << ask << now
                             << R"(tget  -out "/home/ann/src/main.c" -quiet -set ExpandKeywords=yes -stamp=now)";
  QTest::newRow("expand off") << "" << "" << off << false << und << ask << now
                              << R"(tget  -out "/home/ann/src/main.c" -quiet -set ExpandKeywords=no -stamp=now)";
  QTest::newRow("newer only") << "" << "" << und << true << und << ask << now
                              << R"(tget  -out "/home/ann/src/main.c" -quiet -newer -stamp=now)";
  QTest::newRow("make writable") << "" << "" << und << false << on << ask << now
                                 << R"(tget  -out "/home/ann/src/main.c" -quiet -set ProtectWorkFile=no -stamp=now)";
  QTest::newRow("make read-only") << "" << "" << und << false << off << ask << now
                                  << R"(tget  -out "/home/ann/src/main.c" -quiet -set ProtectWorkFile=yes -stamp=now)";
  QTest::newRow("replace writable") << "" << "" << und << false << und
                                    << static_cast<int>(WritableChoice::kReplace) << now
                                    << R"(tget  -out "/home/ann/src/main.c" -quiet -yes -stamp=now)";
  QTest::newRow("keep writable") << "" << "" << und << false << und
                                 << static_cast<int>(WritableChoice::kKeep) << now
                                 << R"(tget  -out "/home/ann/src/main.c" -quiet -no -stamp=now)";
  QTest::newRow("check-in time") << "" << "" << und << false << und << ask
                                 << static_cast<int>(TimestampChoice::kCheckinTime)
                                 << R"(tget  -out "/home/ann/src/main.c" -quiet -stamp=checkin)";
  QTest::newRow("edit time") << "" << "" << und << false << und << ask
                             << static_cast<int>(TimestampChoice::kEditTime)
                             << R"(tget  -out "/home/ann/src/main.c" -quiet -stamp=edit)";
  QTest::newRow("everything, in order")
      << "1.2.1.1" << "" << off << true << on << static_cast<int>(WritableChoice::kKeep)
      << static_cast<int>(TimestampChoice::kEditTime)
      << R"(tget  -out "/home/ann/src/main.c" -quiet -rev 1.2.1.1 -set ExpandKeywords=no -newer -set ProtectWorkFile=no -no -stamp=edit)";
}

void CommandStringsTest::getCommand() {
  QFETCH(QString, revision);
  QFETCH(QString, label);
  QFETCH(int, expand);
  QFETCH(bool, newer);
  QFETCH(int, writable);
  QFETCH(int, replace);
  QFETCH(int, stamp);
  QFETCH(QString, expected);
  GetChoices choices = BaseGet();
  choices.revision = revision.toStdString();
  choices.byLabel = !label.isEmpty();
  choices.label = label.toStdString();
  choices.expandKeywords = static_cast<TriState>(expand);
  choices.newerOnly = newer;
  choices.makeWritable = static_cast<TriState>(writable);
  choices.writable = static_cast<WritableChoice>(replace);
  choices.timestamp = static_cast<TimestampChoice>(stamp);
  const std::optional<std::string> command = GetCommand(choices);
  QVERIFY(command.has_value());
  QCOMPARE(QString::fromStdString(*command), expected);
}

void CommandStringsTest::checkOutCommand_data() {
  QTest::addColumn<QString>("revision");
  QTest::addColumn<QString>("label");
  QTest::addColumn<int>("expand");
  QTest::addColumn<int>("replace");
  QTest::addColumn<int>("stamp");
  QTest::addColumn<QString>("expected");
  const int und = static_cast<int>(TriState::kUndetermined);
  const int ask = static_cast<int>(WritableChoice::kAsk);
  const int now = static_cast<int>(TimestampChoice::kNow);
  QTest::newRow("default revision") << "" << "" << und << ask << now
                                    << R"(tget -lock -out "/home/ann/src/main.c" -quiet -stamp=now)";
  QTest::newRow("revision") << "1.3" << "" << und << ask << now
                            << R"(tget -lock -out "/home/ann/src/main.c" -quiet -rev 1.3 -stamp=now)";
  QTest::newRow("label, expand, replace, check-in time")
      << "" << "release" << static_cast<int>(TriState::kChecked)
      << static_cast<int>(WritableChoice::kReplace) << static_cast<int>(TimestampChoice::kCheckinTime)
      << R"(tget -lock -out "/home/ann/src/main.c" -quiet -v 'release' -set ExpandKeywords=yes -yes -stamp=checkin)";
}

void CommandStringsTest::checkOutCommand() {
  QFETCH(QString, revision);
  QFETCH(QString, label);
  QFETCH(int, expand);
  QFETCH(int, replace);
  QFETCH(int, stamp);
  QFETCH(QString, expected);
  GetChoices choices = BaseGet();
  choices.revision = revision.toStdString();
  choices.byLabel = !label.isEmpty();
  choices.label = label.toStdString();
  choices.expandKeywords = static_cast<TriState>(expand);
  choices.writable = static_cast<WritableChoice>(replace);
  choices.timestamp = static_cast<TimestampChoice>(stamp);
  // Newer-only and writable output are not offered by the check-out dialog.
  choices.newerOnly = true;
  choices.makeWritable = TriState::kChecked;
  const std::optional<std::string> command = CheckOutCommand(choices);
  QVERIFY(command.has_value());
  QCOMPARE(QString::fromStdString(*command), expected);
}

void CommandStringsTest::labelRequiredForGetByLabel() {
  GetChoices choices = BaseGet();
  choices.byLabel = true;
  QVERIFY(!GetCommand(choices).has_value());
  QVERIFY(!CheckOutCommand(choices).has_value());
}

void CommandStringsTest::checkInCommand_data() {
  QTest::addColumn<QString>("description");
  QTest::addColumn<int>("duplicate");
  QTest::addColumn<bool>("branch");
  QTest::addColumn<bool>("keepLock");
  QTest::addColumn<int>("protect");
  QTest::addColumn<QString>("expected");
  const int changes = static_cast<int>(DuplicateChoice::kOnlyOnChanges);
  const int und = static_cast<int>(TriState::kUndetermined);
  QTest::newRow("defaults") << "Fixed the parser" << changes << false << false << und
                            << R"(tput -workfile "/home/ann/src/main.c" -quiet -text "Fixed the parser" -no)";
  QTest::newRow("always store") << "x" << static_cast<int>(DuplicateChoice::kAlways) << false
                                << false << und
                                << R"(tput -workfile "/home/ann/src/main.c" -quiet -text "x" -yes)";
  QTest::newRow("ask about duplicates") << "x" << static_cast<int>(DuplicateChoice::kAsk) << false
                                        << false << und
                                        << R"(tput -workfile "/home/ann/src/main.c" -quiet -text "x")";
  QTest::newRow("branch, keep lock, protect")
      << "two\nlines" << changes << true << true << static_cast<int>(TriState::kChecked)
      << "tput -workfile \"/home/ann/src/main.c\" -quiet -text \"two\nlines\" -no -newbranch -lock "
         "-set ProtectWorkFile=yes";
  QTest::newRow("unprotect") << "" << changes << false << false
                             << static_cast<int>(TriState::kClear)
                             << R"(tput -workfile "/home/ann/src/main.c" -quiet -text "" -no -set ProtectWorkFile=no)";
}

void CommandStringsTest::checkInCommand() {
  QFETCH(QString, description);
  QFETCH(int, duplicate);
  QFETCH(bool, branch);
  QFETCH(bool, keepLock);
  QFETCH(int, protect);
  QFETCH(QString, expected);
  CheckInChoices choices;
  choices.workfile = kWorkfile;
  choices.description = description.toStdString();
  choices.duplicate = static_cast<DuplicateChoice>(duplicate);
  choices.forceBranch = branch;
  choices.leaveCheckedOut = keepLock;
  choices.protectWorkfile = static_cast<TriState>(protect);
  QCOMPARE(QString::fromStdString(CheckInCommand(choices)), expected);
}

void CommandStringsTest::addCommand_data() {
  QTest::addColumn<int>("attributes");
  QTest::addColumn<int>("defaults");
  QTest::addColumn<QString>("expected");
  const QString head = R"(tput -workfile "/home/ann/src/main.c" -quiet -create -text "Parser")";
  QTest::newRow("as the defaults") << 0xD9 << 0xD9 << head;
  QTest::newRow("binary, not compressed")
      << 0x79 << 0xD9 << head + " -set BinaryFile=yes -set Compression=no";
  // Every attribute differs: all eight are named, in the command's order.
  QTest::newRow("all differ") << 0x26 << 0xD9
                              << head +
                                     " -set CheckLock=no -set DeleteWork=yes -set ExpandKeywords=yes"
                                     " -set ProtectLogFile=no -set BinaryFile=yes -set ProtectWorkFile=no"
                                     " -set JournalFile=no -set Compression=no";
}

void CommandStringsTest::addCommand() {
  QFETCH(int, attributes);
  QFETCH(int, defaults);
  QFETCH(QString, expected);
  AddChoices choices;
  choices.workfile = kWorkfile;
  choices.description = "Parser";
  choices.attributes = static_cast<std::uint16_t>(attributes);
  choices.defaults = static_cast<std::uint16_t>(defaults);
  QCOMPARE(QString::fromStdString(AddCommand(choices)), expected);
}

void CommandStringsTest::revisionCommands_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<QString>("expected");
  QTest::newRow("lock default") << QString::fromStdString(LockCommand("")) << "tlock ";
  QTest::newRow("lock revision") << QString::fromStdString(LockCommand("1.4")) << "tlock  -rev 1.4";
  QTest::newRow("unlock default") << QString::fromStdString(UnlockCommand("")) << "tunlock ";
  QTest::newRow("unlock revision") << QString::fromStdString(UnlockCommand("1.2.1.3"))
                                   << "tunlock  -rev 1.2.1.3";
  QTest::newRow("label default") << QString::fromStdString(LabelCommand("", "beta"))
                                 << R"(tstamp  -v "beta")";
  QTest::newRow("label revision") << QString::fromStdString(LabelCommand("1.2", "release 1"))
                                  << R"(tstamp  -rev 1.2 -v "release 1")";
  QTest::newRow("remove label") << QString::fromStdString(UnlabelCommand("release 1"))
                                << R"(tunstamp  -v "release 1")";
}

void CommandStringsTest::revisionCommands() {
  QFETCH(QString, command);
  QFETCH(QString, expected);
  QCOMPARE(command, expected);
}

void CommandStringsTest::revisionOfEntry_data() {
  QTest::addColumn<QString>("entry");
  QTest::addColumn<QString>("revision");
  QTest::newRow("trunk") << "Revision 1.12" << "1.12";
  QTest::newRow("branch") << "Revision 1.2.1.1" << "1.2.1.1";
  QTest::newRow("no digits") << "Default revision" << "";
  QTest::newRow("empty") << "" << "";
}

void CommandStringsTest::revisionOfEntry() {
  QFETCH(QString, entry);
  QFETCH(QString, revision);
  QCOMPARE(QString::fromStdString(RevisionOfEntry(entry.toStdString())), revision);
}

void CommandStringsTest::getLabelQuoting_data() {
  QTest::addColumn<QString>("label");
  QTest::addColumn<QString>("quoted");
  QTest::newRow("one word") << "beta" << "'beta'";
  QTest::newRow("words") << "release 1 final" << "'release 1 final'";
  QTest::newRow("apostrophe inside a word") << "ann's fix" << "'ann's fix'";
  QTest::newRow("word ending in an apostrophe") << "builders' fix" << "\"builders' fix\"";
  QTest::newRow("two blanks") << "a  b" << "\"a  b\"";
  QTest::newRow("double quote") << "say \"hi\"" << "\"say \"hi\"\"";
}

void CommandStringsTest::getLabelQuoting() {
  QFETCH(QString, label);
  QFETCH(QString, quoted);
  QCOMPARE(QString::fromStdString(QuotedGetLabel(label.toStdString())), quoted);
}

}  // namespace tarn::dorn

QTEST_APPLESS_MAIN(tarn::dorn::CommandStringsTest)
#include "command_strings_test.moc"
