// The logfile object: splitting command strings, reading a logfile for
// display (whole, cut short, damaged, held by another process) and the seven
// command wrappers, checked with the engine's own reader.
#include "objects/log_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "engine/format/logfile_header_io.h"
#include "engine/format/compression.h"
#include "engine/support/message_catalogue.h"
#include "engine/support/messages.h"
#include "engine/support/report.h"
#include "objects/command_string.h"
#include "platform/file_system.h"
#include "tests/support/lock_holder.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LogfileBuilder;
using Strings = std::vector<std::string>;

class CommandStringTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::LoadCatalogue(); }
};

TEST_F(CommandStringTest, SplitsAtSpacesWithTheFileNameLast) {
  struct Case {
    const char* text;
    Strings arguments;
  };
  const Case cases[] = {
      {"tlock", {"tlock", "f.c"}},
      {"tlock  -rev  1.2", {"tlock", "-rev", "1.2", "f.c"}},
      {"tlock -rev 1.2 ", {"tlock", "-rev", "1.2", "f.c"}},
      {"tlock -rev \t\r\n1.2", {"tlock", "-rev", "1.2", "f.c"}},
      // Only a space ends an unquoted token.
      {"tlock -rev\t1.2", {"tlock", "-rev\t1.2", "f.c"}},
      {"", {"f.c"}},
      // After any other token a quoted value runs to the last quote of the
      // line, quotes in between and all.
      {"tput -text \"say \"hi\" now\" -quiet", {"tput", "-text", "say \"hi\" now", "-quiet", "f.c"}},
      {"tput -text \"a\" -workfile \"b\"", {"tput", "-text", "a\" -workfile \"b", "f.c"}},
      // After a workfile option a quoted value ends at its own quote.
      {"tput -workfile \"my file.c\" -text \"a \"b\"\"",
       {"tput", "-workfile", "my file.c", "-text", "a \"b\"", "f.c"}},
      {"tget -OUT \"x y\" -v \"REL 1\"", {"tget", "-OUT", "x y", "-v", "REL 1", "f.c"}},
      // An unclosed quote takes the rest of the line.
      {"tstamp -v \"open end", {"tstamp", "-v", "open end", "f.c"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandString(c.text, "f.c"), c.arguments) << c.text;
}

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    settings_ = tEnvVar();  // its variable names are catalogue texts
    settings_.TARNPath((dir_.path() / "TARN").string().c_str());
    settings_.UserName("alice");
    settings_.AccessList("alice");
    settings_.TempFilePrefix((dir_.path().string() + "/").c_str());
    settings_.JournalPath((dir_.path().string() + "/").c_str());
    settings_.LockfileRetryCount(1);
    std::filesystem::create_directory(dir_.path() / "TARN");
  }

  std::string Workfile() const { return dir_.File("main.c"); }
  std::string Logfile() const { return dir_.File("TARN/main.d"); }

  // Three records: the trunk tip 1.2, 1.1 stored compressed, and the
  // branch revision 1.1.1.1; two labels.
  LogfileBuilder ThreeRevisions() const {
    std::string compressed(10, '\0');
    compressed[0] = 100;  // 100 bytes before compression
    compressed[4] = 20;   // 20 after, header included
    compressed[8] = 1;
    compressed += "0123456789";
    LogfileBuilder builder;
    builder.Users("alice,bob")
        .AddLabel({{1, 2}}, "REL_2", 1)
        .AddLabel({{1, 1}, {1, -1}}, "BRANCH", 0)
        .AddRevision({.major = 1, .minor = 2, .tip = 1, .putDate = 2000, .editDate = 1990,
                      .creatorIndex = 1, .description = "second", .data = "hello\n"})
        .AddRevision({.major = 1, .minor = 1, .branchCount = 1, .compressed = 1,
                      .putDate = 1000, .description = "first", .data = compressed})
        .AddRevision({.major = 1, .minor = 1, .locked = 1, .depth = 1, .tip = 1,
                      .lockerIndex = 1, .description = "on the branch", .data = "d"});
    return builder;
  }

  testing::TempDir dir_;
  tEnvVar settings_;
};

TEST_F(LogFileTest, ReadsHeaderAndEveryRevision) {
  ThreeRevisions().WriteTo(Logfile());
  tLogFile logfile(Workfile().c_str(), &settings_);
  const std::vector<std::uint8_t> before = testing::ReadBytes(Logfile());
  ASSERT_EQ(logfile.Open(), ttTRUE);
  // Reading takes no lock file and writes nothing beside the logfile.
  EXPECT_FALSE(platform::FileExists(dir_.File("TARN/$ain.d")));
  ASSERT_EQ(logfile.ReadHdr(), ttTRUE);
  ASSERT_EQ(logfile.CaptureRevisionInfo(), ttTRUE);
  logfile.Close();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.File("TARN")),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(testing::ReadBytes(Logfile()), before);

  // Everything stays readable after Close.
  EXPECT_EQ(logfile.HeaderInfo()->RevisionCount(), 3);
  EXPECT_STREQ(logfile.HeaderInfo()->ModifierList(), "alice,bob");
  ASSERT_EQ(logfile.RevisionInfoCount(), 3);
  const tRevHdrInfo* revisions = logfile.RevHeaderInfo();
  ASSERT_NE(revisions, nullptr);
  EXPECT_STREQ(revisions[0].Revision().RevisionString(), "1.2");
  EXPECT_STREQ(revisions[0].RevDesc(), "second");
  EXPECT_EQ(revisions[0].FilePutDate(), 2000L);
  EXPECT_EQ(revisions[0].FileEditDate(), 1990L);
  EXPECT_EQ(revisions[0].CreatorIndex(), 1);
  EXPECT_EQ(revisions[0].IsCompressed(), ttFALSE);
  EXPECT_EQ(revisions[0].BeforeCompressionSize(), 6ul);
  EXPECT_EQ(revisions[0].AfterCompressionSize(), 6ul);

  EXPECT_STREQ(revisions[1].Revision().RevisionString(), "1.1");
  EXPECT_EQ(revisions[1].IsCompressed(), ttTRUE);
  EXPECT_EQ(revisions[1].RevSize(), 20L);
  EXPECT_EQ(revisions[1].BeforeCompressionSize(), 100ul);
  EXPECT_EQ(revisions[1].AfterCompressionSize(), 20ul);

  EXPECT_STREQ(revisions[2].Revision().RevisionString(), "1.1.1.1");
  EXPECT_EQ(revisions[2].Depth(), 1);
  EXPECT_EQ(revisions[2].IsLocked(), ttTRUE);
  EXPECT_EQ(revisions[2].LockerIndex(), 1);
  EXPECT_STREQ(revisions[2].RevDesc(), "on the branch");
}

// Every cut of a logfile, and a table of damaged fields: the logfile is
// reported not valid or its revisions as not captured, and no partial
// information is kept.
TEST_F(LogFileTest, CutOrDamagedLogfilesGiveNoPartialData) {
  const std::vector<std::uint8_t> whole = ThreeRevisions().Bytes();
  for (std::size_t size = 0; size < whole.size(); ++size) {
    testing::WriteBytes(Logfile(), std::span(whole.data(), size));
    tLogFile logfile(Workfile().c_str(), &settings_);
    bool captured = false;
    if (logfile.Open() == ttTRUE) {
      if (logfile.ReadHdr() == ttTRUE) captured = logfile.CaptureRevisionInfo() == ttTRUE;
      logfile.Close();
    }
    EXPECT_FALSE(captured) << "cut to " << size << " bytes";
    EXPECT_EQ(logfile.RevHeaderInfo(), nullptr) << size;
    EXPECT_EQ(logfile.RevisionInfoCount(), 0) << size;
    EXPECT_FALSE(platform::FileExists(dir_.File("TARN/$ain.d"))) << size;
  }

  struct Damage {
    std::size_t offset;
    std::uint16_t value;
  };
  const Damage damages[] = {
      {testing::kAtFormat, 5},         {testing::kAtChecksum, 0x1234},
      {testing::kAtAccessSize, 30000}, {testing::kAtVersionCount, 200},
      {testing::kAtRevisionCount, 9},  {testing::kAtDefaultRevCount, 21},
  };
  for (const Damage& damage : damages) {
    LogfileBuilder builder = ThreeRevisions();
    builder.Patch(damage.offset, damage.value);
    builder.WriteTo(Logfile());
    tLogFile logfile(Workfile().c_str(), &settings_);
    bool captured = false;
    if (logfile.Open() == ttTRUE) {
      if (logfile.ReadHdr() == ttTRUE) captured = logfile.CaptureRevisionInfo() == ttTRUE;
      logfile.Close();
    }
    EXPECT_FALSE(captured) << "word at " << damage.offset;
    EXPECT_EQ(logfile.RevHeaderInfo(), nullptr) << damage.offset;
  }
}

TEST_F(LogFileTest, ReadingLeavesTheLogfileAsItWas) {
  ThreeRevisions().WriteTo(Logfile());
  ASSERT_TRUE(platform::SetReadOnly(Logfile(), true));
  const std::vector<std::uint8_t> before = testing::ReadBytes(Logfile());
  {
    tLogFile logfile(Workfile().c_str(), &settings_);
    ASSERT_EQ(logfile.Open(), ttTRUE);
    EXPECT_EQ(logfile.ReadHdr(), ttTRUE);
    logfile.Close();
  }
  EXPECT_TRUE(platform::IsReadOnly(Logfile()));
  EXPECT_EQ(testing::ReadBytes(Logfile()), before);
}

TEST_F(LogFileTest, MissingOrOddLogfileIsNotValid) {
  tLogFile missing(Workfile().c_str(), &settings_);
  EXPECT_EQ(missing.Open(), ttFALSE);
  EXPECT_EQ(missing.ReadHdr(), ttFALSE);
  EXPECT_FALSE(platform::FileExists(dir_.File("TARN/$ain.d")));

  // A FIFO where the logfile should be is never opened (it would block).
  ASSERT_EQ(::mkfifo(Logfile().c_str(), 0600), 0);
  tLogFile fifo(Workfile().c_str(), &settings_);
  EXPECT_EQ(fifo.Open(), ttFALSE);
}

// Reading takes no lock file: a logfile that a writer holds is read as it
// stands (a writer only ever replaces it whole), and the writer's lock file
// is left to it.
TEST_F(LogFileTest, LogfileHeldByAWriterIsReadAsItStands) {
  ThreeRevisions().WriteTo(Logfile());
  settings_.LockfileRetryCount(2);
  const testing::LockHolder holder(dir_.File("TARN/$ain.d"));
  ASSERT_TRUE(holder.held());
  tLogFile logfile(Workfile().c_str(), &settings_);
  ASSERT_EQ(logfile.Open(), ttTRUE);
  ASSERT_EQ(logfile.ReadHdr(), ttTRUE);
  EXPECT_EQ(logfile.HeaderInfo()->RevisionCount(), 3);
  logfile.Close();
  EXPECT_TRUE(platform::FileExists(dir_.File("TARN/$ain.d")));
}

class WrapperTest : public LogFileTest {
 protected:
  LogfileHeader ReadWithEngine() {
    std::optional<platform::File> file = platform::File::Open(Logfile(), platform::OpenMode::kRead);
    EXPECT_TRUE(file.has_value());
    LogfileHeader header;
    EXPECT_EQ(ReadLogfileHeader(*file, header), 1);
    return header;
  }

  testing::RecordingHost host_;
};

TEST_F(WrapperTest, SevenCommandsOnOneLogfile) {
  const std::string work = Workfile();
  const char* file = work.c_str();
  testing::WriteText(work, "one\n");
  tLogFile logfile(file, &settings_);

  EXPECT_EQ(logfile.CheckIn(file, "tput -text \"the module\""), ttTRUE) << host_.All();
  EXPECT_EQ(ReadWithEngine().fixed._iRevisionCount, 1);

  EXPECT_EQ(logfile.Lock(file, "tlock"), ttTRUE) << host_.All();
  EXPECT_EQ(ReadWithEngine().fixed._iLockCount, 1);

  platform::SetReadOnly(work, false);
  testing::WriteText(work, "one\ntwo\n");
  EXPECT_EQ(logfile.CheckIn(file, "tput -text \"second \"quoted\" text\""), ttTRUE)
      << host_.All();
  LogfileHeader header = ReadWithEngine();
  EXPECT_EQ(header.fixed._iRevisionCount, 2);
  EXPECT_EQ(header.fixed._iLockCount, 0);

  EXPECT_EQ(logfile.Label(file, "tstamp -v \"REL 1\""), ttTRUE) << host_.All();
  EXPECT_EQ(logfile.Label(file, "tstamp -v GONE"), ttTRUE) << host_.All();
  EXPECT_EQ(logfile.UnLabel(file, "tunstamp -v GONE"), ttTRUE) << host_.All();
  header = ReadWithEngine();
  ASSERT_EQ(header.labels.size(), 1u);
  EXPECT_EQ(header.labels[0].text, "REL 1");

  EXPECT_EQ(logfile.Get(file, "tget -lock -yes"), ttTRUE) << host_.All();
  EXPECT_EQ(ReadWithEngine().fixed._iLockCount, 1);
  EXPECT_EQ(testing::ReadText(work), "one\ntwo\n");

  host_.Clear();
  EXPECT_EQ(logfile.UnLock(file, "tunlock"), ttTRUE) << host_.All();
  EXPECT_EQ(ReadWithEngine().fixed._iLockCount, 0);
  // The journal names the command by the wrapper's label, cut to eight
  // characters.
  const std::string journal =
      testing::ReadText(dir_.File(MessageText(msg::kDefaultJournalName.number)));
  EXPECT_NE(journal.find("tunlock_ "), std::string::npos) << journal;
  EXPECT_EQ(journal.find("tunlock_w"), std::string::npos) << journal;
  EXPECT_EQ(ProgramLabel(), "TARN 2.3");

  EXPECT_EQ(logfile.ModifyHdrInfo(file, "tmh -desc -text \"new description\""), ttTRUE)
      << host_.All();
  EXPECT_EQ(ReadWithEngine().description, "new description");

  // The revisions, read back through the object.
  ASSERT_EQ(logfile.Open(), ttTRUE);
  ASSERT_EQ(logfile.ReadHdr(), ttTRUE);
  ASSERT_EQ(logfile.CaptureRevisionInfo(), ttTRUE);
  logfile.Close();
  ASSERT_EQ(logfile.RevisionInfoCount(), 2);
  EXPECT_STREQ(logfile.RevHeaderInfo()[0].RevDesc(), "second \"quoted\" text");
  EXPECT_STREQ(logfile.HeaderInfo()->FirstVersion()->Version(), "REL 1");
  EXPECT_STREQ(logfile.HeaderInfo()->ModDesc(), "new description");
}

TEST_F(WrapperTest, RefusalsAndTheProgramLabel) {
  const std::string work = Workfile();
  const char* file = work.c_str();
  testing::WriteText(work, "one\n");
  tLogFile logfile(file, &settings_);
  ASSERT_EQ(logfile.CheckIn(file, "tput -text first"), ttTRUE) << host_.All();

  // A command line the parser refuses throws, and the label is restored.
  try {
    logfile.Lock(file, "tlock -nosuchoption");
    ADD_FAILURE() << "no exception";
  } catch (const tLogFileError& error) {
    EXPECT_EQ(error.kind(), tLogFileError::kBadCommandLine);
    EXPECT_STREQ(error.what(), "Bad command line");
  }
  EXPECT_EQ(ProgramLabel(), "TARN 2.3");

  // The engine refuses an owner outside the access list: ttFALSE.
  EXPECT_EQ(logfile.ModifyHdrInfo(file, "tmh -owner -text nobody"), ttFALSE);
  EXPECT_EQ(ReadWithEngine().owner, "alice");

  // 48 tokens and the file name reach the parser (which refuses the extra
  // names and says so); one token more is refused before any parsing.
  std::string text = "tlock";
  for (int i = 1; i < 48; ++i) text += " x";
  host_.Clear();
  EXPECT_THROW(logfile.Lock(file, text.c_str()), tLogFileError);
  EXPECT_EQ(logfile.Arguments().size(), 49u);
  EXPECT_FALSE(host_.messages().empty());
  text += " x";
  host_.Clear();
  EXPECT_THROW(logfile.Lock(file, text.c_str()), tLogFileError);
  EXPECT_EQ(logfile.Arguments().size(), 50u);
  EXPECT_TRUE(host_.messages().empty()) << host_.All();
  EXPECT_EQ(ProgramLabel(), "TARN 2.3");
}

}  // namespace
}  // namespace tarn
