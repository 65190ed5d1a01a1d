// INI files: reading and rewriting against hand-written files, the lock
// file, and the rewrite that never leaves a half-written file.
#include "projects/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/lock_file.h"
#include "platform/lock_record.h"
#include "tests/support/lock_holder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

class IniFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.File("dorn.ini"); }
  std::string Read() const { return ReadText(Path()); }
  void Write(std::string_view text) const { WriteText(Path(), text); }

  TempDir dir_;
};

struct RewriteCase {
  const char* name;
  const char* before;
  const char* section;
  const char* key;
  std::optional<const char*> value;  // none: SetEmptyValue
  const char* after;
};

// Each case: the file as it was, one change, the file byte for byte after.
const RewriteCase kRewrites[] = {
    {"ChangesOnlyTheNamedSectionAndKey", "[Proj2]\nUser=a\n[Proj]\nUser2=x\nUser=b\n", "proj",
     "USER", "c", "[Proj2]\nUser=a\n\n[Proj]\nUser2=x\nUSER=c\n"},
    {"KeyNeverMatchesALongerKey", "[Proj]\nUser2=x\n", "Proj", "User", "y",
     "[Proj]\nUser2=x\nUser=y\n"},
    {"BlankLinesCollapseToOneBeforeEachHeader", "\n\n[A]\n\n\na=1\n\n\n\n[B]\nb=2\n\n\n[C]\n\n",
     "B", "b", "3", "[A]\na=1\n\n[B]\nb=3\n\n[C]\n"},
    {"EmptyValueRemovesEveryLineOfTheKeyOnly", "[S]\nk=1\nx=2\nK=3\ny=4\n[T]\nk=5\n", "S", "k", "",
     "[S]\nx=2\ny=4\n\n[T]\nk=5\n"},
    {"NewKeyGoesToTheEndOfItsSection", "[S]\na=1\n[T]\nb=2\n", "S", "n", "v",
     "[S]\na=1\nn=v\n\n[T]\nb=2\n"},
    {"MissingSectionIsAppended", "[S]\na=1\n", "New", "k", "v", "[S]\na=1\n\n[New]\nk=v\n"},
    {"RemovingFromAMissingSectionLeavesItEmpty", "[S]\na=1\n", "New", "k", "",
     "[S]\na=1\n\n[New]\n"},
    {"FirstSectionOfAnEmptyFileHasNoBlankLine", "", "S", "k", "v", "[S]\nk=v\n"},
    {"EmptyValueKeepsTheKey", "[Users]\nann=x\n", "Users", "bob", std::nullopt,
     "[Users]\nann=x\nbob=\n"},
    {"CommentsAndLinesBeforeTheFirstSectionStay", "; team settings\ntop=1\n[S]\n;k=old\nk=1\n", "S",
     "k", "2", "; team settings\ntop=1\n\n[S]\n;k=old\nk=2\n"},
    {"CarriageReturnsAreDroppedAndLinesEndInLineFeed", "[S]\r\na=1\r\nb=2\r\n", "S", "a", "9",
     "[S]\na=9\nb=2\n"},
    {"LastLineWithoutLineEndIsKept", "[S]\na=1\nb=2", "S", "c", "3", "[S]\na=1\nb=2\nc=3\n"},
    {"BlanksAroundAKeyArePartOfIt", "[S]\nk =1\n", "S", "k", "2", "[S]\nk =1\nk=2\n"},
};

class IniRewriteTest : public IniFileTest, public ::testing::WithParamInterface<RewriteCase> {};

TEST_P(IniRewriteTest, WritesTheExpectedFile) {
  const RewriteCase& c = GetParam();
  Write(c.before);
  tIniFile ini(Path());
  const IniWrite result =
      c.value ? ini.SetValue(c.section, c.key, *c.value) : ini.SetEmptyValue(c.section, c.key);
  EXPECT_EQ(result, IniWrite::kWritten);
  EXPECT_EQ(Read(), c.after);
  // The object's own reads see what it wrote.
  if (c.value && **c.value != '\0') {
    EXPECT_EQ(ini.GetValue(c.section, c.key), *c.value);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, IniRewriteTest, ::testing::ValuesIn(kRewrites),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(IniFileTest, ReadsValuesKeysAndEntriesOfOneSection) {
  Write("[Proj2]\nUser=a\n[proj]\nUser2=x\n;c=3\nUser=b=c\nplain\n=novalue\n[Next]\nUser=n\n");
  tIniFile ini(Path());
  EXPECT_EQ(ini.GetValue("PROJ", "user"), "b=c");
  EXPECT_EQ(ini.GetValue("Proj", "User2"), "x");
  EXPECT_EQ(ini.GetValue("Proj", "Use"), std::nullopt);
  EXPECT_EQ(ini.GetValue("Proj", "plain"), std::nullopt);  // a key line without '='
  EXPECT_EQ(ini.GetValue("Proj", ";c"), std::nullopt);     // comments hold no keys
  EXPECT_EQ(ini.GetValue("Pro", "User"), std::nullopt);
  EXPECT_EQ(ini.GetKeyNames("Proj"), (std::vector<std::string>{"User2", "User", "plain"}));
  EXPECT_EQ(ini.GetEntries("Proj"), (std::vector<std::string>{"User2=x", "User=b=c"}));
  EXPECT_TRUE(ini.GetKeyNames("Missing").empty());
  EXPECT_TRUE(ini.HasSection("next"));
}

TEST_F(IniFileTest, KeyNamesLeaveCommentsOut) {
  Write("[S]\na=1\n;c=3\nb=2\n");
  tIniFile ini(Path());
  EXPECT_EQ(ini.GetKeyNames("S"), (std::vector<std::string>{"a", "b"}));
}

TEST_F(IniFileTest, LongLinesAreReadAndWrittenWhole) {
  const std::string long_value(3000, 'v');
  const std::string comment = ";" + std::string(1200, 'c');
  Write("[S]\n" + comment + "\nlong=" + long_value + "\nshort=1\n");
  tIniFile ini(Path());
  EXPECT_EQ(ini.GetValue("S", "long"), long_value);
  EXPECT_EQ(ini.GetValue("S", "short"), "1");
  ASSERT_EQ(ini.SetValue("S", "short", "2"), IniWrite::kWritten);
  EXPECT_EQ(Read(), "[S]\n" + comment + "\nlong=" + long_value + "\nshort=2\n");
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndLeavesNoLockFile) {
  {
    tIniFile ini(Path());
    EXPECT_EQ(ini.GetValue("S", "k"), std::nullopt);
    EXPECT_TRUE(ini.GetEntries("S").empty());
  }
  EXPECT_FALSE(std::filesystem::exists(Path()));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("$orn.ini")));
}

TEST_F(IniFileTest, LockAndTemporaryNamesMarkTheFirstCharacterOfTheName) {
  const tIniFile ini(dir_.File("dorn.ini"));
  EXPECT_EQ(ini.LockFileName(), dir_.File("$orn.ini"));
  EXPECT_EQ(ini.TempFileName(), dir_.File("!orn.ini"));
}

TEST_F(IniFileTest, LockIsHeldUntilTheObjectEnds) {
  Write("[S]\nk=1\n");
  {
    tIniFile writer(Path());
    ASSERT_EQ(writer.SetValue("S", "k", "2"), IniWrite::kWritten);
    EXPECT_TRUE(std::filesystem::exists(writer.LockFileName()));
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.File("$orn.ini")));
}

TEST_F(IniFileTest, LockHeldByAnotherWriterMakesTheWriteFailAfterItsAttempts) {
  Write("[S]\nk=1\n");
  tIniFile holder(Path());
  ASSERT_TRUE(holder.Lock());
  tIniFile other(Path());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(other.SetValue("S", "k", "2"), IniWrite::kLockBusy);
  // Four attempts, three pauses of 200 ms between them.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(550));
  EXPECT_EQ(Read(), "[S]\nk=1\n");
  // The live holder's lock file was not taken away.
  EXPECT_TRUE(std::filesystem::exists(holder.LockFileName()));
  // Readers need no lock.
  EXPECT_EQ(other.GetValue("S", "k"), "1");
}

TEST_F(IniFileTest, StaleLockAndTemporaryFilesOfADeadWriterDoNotBlock) {
  Write("[S]\nk=1\n");
  testing::PlantLockFile(dir_.File("$orn.ini"), testing::LockOfThisMachine(testing::EndedProcessId()));
  WriteText(dir_.File("!orn.ini"), "[S]\nk=half");
  tIniFile ini(Path());
  EXPECT_EQ(ini.SetValue("S", "k", "2"), IniWrite::kWritten);
  EXPECT_EQ(Read(), "[S]\nk=2\n");
}

// The INI lock follows the logfile lock's rules: a lock of another machine,
// or one that cannot be read, is never taken for stale.
TEST_F(IniFileTest, ALockOfAnotherMachineOrOneThatCannotBeReadIsLeftAlone) {
  platform::LockRecord far_away = testing::LockOfThisMachine(testing::EndedProcessId());
  far_away.host = "far-away";
  const std::string lock_files[] = {platform::EncodeLockRecord(far_away), "", "garbage\n"};
  for (const std::string& content : lock_files) {
    Write("[S]\nk=1\n");
    WriteText(dir_.File("$orn.ini"), content);
    tIniFile ini(Path());
    EXPECT_EQ(ini.SetValue("S", "k", "2"), IniWrite::kLockBusy);
    EXPECT_EQ(Read(), "[S]\nk=1\n");
    EXPECT_EQ(ReadText(dir_.File("$orn.ini")), content);
  }
}

TEST_F(IniFileTest, TextsThatWouldBreakTheLinesAreRefused) {
  Write("[S]\nk=1\n");
  tIniFile ini(Path());
  EXPECT_EQ(ini.SetValue("S", "k", "1\n[Users]\nroot="), IniWrite::kBadText);
  EXPECT_EQ(ini.SetValue("S", "a=b", "1"), IniWrite::kBadText);
  EXPECT_EQ(ini.SetValue("S", ";k", "1"), IniWrite::kBadText);
  EXPECT_EQ(ini.SetValue("S", "[k", "1"), IniWrite::kBadText);
  EXPECT_EQ(ini.SetValue("S]\n[T", "k", "1"), IniWrite::kBadText);
  EXPECT_EQ(ini.SetEmptyValue("S", ""), IniWrite::kBadText);
  EXPECT_EQ(Read(), "[S]\nk=1\n");
}

TEST_F(IniFileTest, RewriteKeepsThePermissionsOfTheOldFile) {
  Write("[S]\nk=1\n");
  ASSERT_EQ(::chmod(Path().c_str(), 0664), 0);
  tIniFile ini(Path());
  ASSERT_EQ(ini.SetValue("S", "k", "2"), IniWrite::kWritten);
  struct stat info {};
  ASSERT_EQ(::stat(Path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0664u);
}

TEST_F(IniFileTest, RemoveSectionTakesItsHeaderAndLines) {
  Write("[A]\na=1\n\n[B]\nb=1\n;note\n\n[C]\nc=1\n");
  tIniFile ini(Path());
  ASSERT_EQ(ini.RemoveSection("b"), IniWrite::kWritten);
  EXPECT_EQ(Read(), "[A]\na=1\n\n[C]\nc=1\n");
}

TEST_F(IniFileTest, WriteIntoAMissingDirectoryFailsAndSaysSo) {
  tIniFile ini(dir_.File("missing/dorn.ini"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ini.SetValue("S", "k", "1"), IniWrite::kDirectoryNotWritable);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
}

}  // namespace
}  // namespace tarn
