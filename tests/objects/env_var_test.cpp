#include "objects/env_var.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "engine/support/message_catalogue.h"
#include "platform/paths.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

// The variables the settings read: every name of the catalogue's range and
// the system's temporary-directory variables. Each test starts with none of
// them set and the previous values come back afterwards.
class EnvVarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    for (int number = msg::kEnvLogfileDirectory.number; number <= msg::kEnvGlobalJournal.number;
         ++number) {
      names_.emplace_back(MessageText(number));
    }
    names_.emplace_back("TEMP");
    names_.emplace_back("TMPDIR");
    for (const std::string& name : names_) {
      const char* value = ::getenv(name.c_str());
      saved_.emplace_back(value != nullptr, value != nullptr ? value : "");
      ::unsetenv(name.c_str());
    }
  }
  void TearDown() override {
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (saved_[i].first) {
        ::setenv(names_[i].c_str(), saved_[i].second.c_str(), 1);
      } else {
        ::unsetenv(names_[i].c_str());
      }
    }
  }

  static void Set(const MessageId& name, const std::string& value) {
    ::setenv(MessageText(name.number), value.c_str(), 1);
  }
  static std::string Word(const MessageId& word) { return MessageText(word.number); }

  std::vector<std::string> names_;
  std::vector<std::pair<bool, std::string>> saved_;
};

TEST_F(EnvVarTest, DefaultsWithoutAnyVariable) {
  ::setenv("TEMP", "/var/scratch", 1);
  const tEnvVar settings;
  EXPECT_STREQ(settings.TARNPath(), "TARN/");
  EXPECT_STREQ(settings.TempFilePrefix(), "/var/scratch/");
  EXPECT_EQ(settings.LockfileRetryCount(), 4);
  EXPECT_EQ(settings.JournalRetryCount(), 4);
  EXPECT_STREQ(settings.JournalPath(), "./");
  EXPECT_EQ(std::string(settings.JournalName()), Word(msg::kDefaultJournalName));
  EXPECT_EQ(std::string(settings.UserName()), Word(msg::kWordNone));
  EXPECT_EQ(std::string(settings.AccessList()), Word(msg::kWordNone));
  EXPECT_STREQ(settings.CommentPrefix(),
               ".C: *  ~.CPP: *  ~.H: *  ~.ASM:;  ~.A:;  ~.BAS:REM ~.FOR:C  ~.PAS: * ~:#  ~");
  EXPECT_EQ(settings.GblJournalName(), nullptr);
  EXPECT_STREQ(settings.WorkfilePath(), "./");
  EXPECT_STREQ(settings.ShadowPath(), "./");
  EXPECT_EQ(settings.IsAutoMerge(), ttFALSE);

  tarnEnvironVars record;
  settings.CopyToStruct(&record);
  // Check-lock, protect logfile, protect workfile, journal, compression.
  EXPECT_EQ(record.attributes, 0xD9);
  EXPECT_EQ(record.retryCount, 4);
  EXPECT_EQ(record.logfileDirectory, "TARN");
  EXPECT_EQ(record.tempDirectory, "/var/scratch/");
  EXPECT_FALSE(record.globalJournalName.has_value());
}

TEST_F(EnvVarTest, TemporaryDirectoryFallsBackToTmpdirThenTmp) {
  EXPECT_STREQ(tEnvVar().TempFilePrefix(), "/tmp/");
  ::setenv("TMPDIR", "/scratch/", 1);
  EXPECT_STREQ(tEnvVar().TempFilePrefix(), "/scratch/");
  Set(msg::kEnvTempDirectory, "/own/temp");
  EXPECT_STREQ(tEnvVar().TempFilePrefix(), "/own/temp/");
}

TEST_F(EnvVarTest, EmptyDirectoryVariablesDoNotNameTheRoot) {
  ::setenv("TEMP", "/var/scratch", 1);
  Set(msg::kEnvLogfileDirectory, "");
  Set(msg::kEnvTempDirectory, "");
  const tEnvVar settings;
  EXPECT_STREQ(settings.TARNPath(), "TARN/");
  EXPECT_STREQ(settings.TempFilePrefix(), "/var/scratch/");
}

TEST_F(EnvVarTest, SwitchesThatAreOnTurnOffForAnythingButYes) {
  Set(msg::kEnvCheckLock, Word(msg::kWordNo));
  Set(msg::kEnvCompression, "maybe");
  std::string yes = Word(msg::kWordYes);
  for (char& c : yes) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  Set(msg::kEnvJournalFile, yes);  // letter case does not count
  const tEnvVar settings;
  EXPECT_EQ(settings.IsCheckLock(), ttFALSE);
  EXPECT_EQ(settings.IsCompression(), ttFALSE);
  EXPECT_EQ(settings.IsJournalFile(), ttTRUE);
  EXPECT_EQ(settings.IsProtectLogFile(), ttTRUE);
  EXPECT_EQ(settings.IsProtectWorkfile(), ttTRUE);
  tarnEnvironVars record;
  settings.CopyToStruct(&record);
  EXPECT_EQ(record.attributes, 0xD9 & ~0x01 & ~0x80);
}

TEST_F(EnvVarTest, SwitchesThatAreOffTurnOnOnlyForYes) {
  Set(msg::kEnvBinaryFile, Word(msg::kWordYes));
  Set(msg::kEnvDeleteWork, "1");
  Set(msg::kEnvExpandKeywords, Word(msg::kWordYes));
  Set(msg::kEnvAutoMerge, Word(msg::kWordYes));
  const tEnvVar settings;
  EXPECT_EQ(settings.IsBinaryFile(), ttTRUE);
  EXPECT_EQ(settings.IsDeleteWork(), ttFALSE);
  EXPECT_EQ(settings.IsExpandKeywords(), ttTRUE);
  EXPECT_EQ(settings.IsAutoMerge(), ttTRUE);
  tarnEnvironVars record;
  settings.CopyToStruct(&record);
  EXPECT_EQ(record.attributes, 0xD9 | 0x20 | 0x04 | 0x100);
}

TEST_F(EnvVarTest, RetryCountIsADecimalNumberOrFour) {
  const std::pair<const char*, int> cases[] = {{"7", 7}, {" 12 ", 12}, {"0", 0}, {"-2", -2},
                                               {"x", 4}, {"3x", 4},    {"", 4},  {"99999", 4}};
  for (const auto& [value, expected] : cases) {
    Set(msg::kEnvRetryCount, value);
    EXPECT_EQ(tEnvVar().LockfileRetryCount(), expected) << value;
  }
}

TEST_F(EnvVarTest, TextsComeFromTheirVariables) {
  Set(msg::kEnvLogfileDirectory, "/data/logs");
  Set(msg::kEnvAccessList, "ann,bob");
  Set(msg::kEnvUserName, "ann");
  Set(msg::kEnvCommentPrefix, ".C:// ~");
  Set(msg::kEnvJournalPath, "/data/journal/");
  Set(msg::kEnvJournalName, "team.jnl");
  Set(msg::kEnvGlobalJournal, "/data/all.jnl");
  const tEnvVar settings;
  EXPECT_STREQ(settings.TARNPath(), "/data/logs/");
  tarnEnvironVars record;
  settings.CopyToStruct(&record);
  EXPECT_EQ(record.logfileDirectory, "/data/logs");
  EXPECT_EQ(record.accessList, "ann,bob");
  EXPECT_EQ(record.userName, "ann");
  EXPECT_EQ(record.commentPrefix, ".C:// ~");
  EXPECT_EQ(record.journalPath, "/data/journal/");
  EXPECT_EQ(record.journalName, "team.jnl");
  EXPECT_EQ(record.globalJournalName, std::optional<std::string>("/data/all.jnl"));
}

TEST_F(EnvVarTest, CopyToStructRemovesOneTrailingSeparatorButKeepsTheRoot) {
  tEnvVar settings;
  tarnEnvironVars record;
  record.userName = "left over";
  settings.TARNPath("/data/logs/");
  settings.CopyToStruct(&record);
  EXPECT_EQ(record.logfileDirectory, "/data/logs");
  settings.TARNPath("relative");  // the setter appends nothing
  settings.CopyToStruct(&record);
  EXPECT_EQ(record.logfileDirectory, "relative");
  settings.TARNPath("/");
  settings.CopyToStruct(&record);
  EXPECT_EQ(record.logfileDirectory, "/");
  EXPECT_EQ(record.userName, std::string(settings.UserName()));
  settings.CopyToStruct(nullptr);  // ignored
}

TEST_F(EnvVarTest, SettersKeepOldValuesForEmptyTexts) {
  tEnvVar settings;
  settings.UserName("ann");
  settings.UserName("");
  settings.UserName(nullptr);
  EXPECT_STREQ(settings.UserName(), "ann");
  settings.JournalName("");
  EXPECT_EQ(std::string(settings.JournalName()), Word(msg::kDefaultJournalName));

  settings.GblJournalName("/data/all.jnl");
  EXPECT_STREQ(settings.GblJournalName(), "/data/all.jnl");
  settings.GblJournalName("");
  ASSERT_NE(settings.GblJournalName(), nullptr);
  EXPECT_STREQ(settings.GblJournalName(), "");
  settings.GblJournalName(nullptr);
  EXPECT_EQ(settings.GblJournalName(), nullptr);

  settings.IsCheckLock(ttFALSE);
  EXPECT_EQ(settings.IsCheckLock(), ttFALSE);
  settings.IsCheckLock(ttTRUE);
  EXPECT_EQ(settings.IsCheckLock(), ttTRUE);

  EXPECT_EQ(settings.LockfileRetryCount(2).JournalRetryCount(), 2);
  settings.JournalRetryCount(100000);
  EXPECT_EQ(settings.LockfileRetryCount(), 32767);
}

TEST_F(EnvVarTest, WorkfilePathIsStoredAsAFullPathWithSeparator) {
  tEnvVar settings;
  settings.WorkfilePath("/srv/project/src/../doc");
  EXPECT_STREQ(settings.WorkfilePath(), "/srv/project/doc/");
  settings.WorkfilePath("/srv/project/");
  EXPECT_STREQ(settings.WorkfilePath(), "/srv/project/");
  settings.WorkfilePath("sub");
  EXPECT_EQ(std::string(settings.WorkfilePath()), platform::CurrentDirectory() + "/sub/");
  settings.WorkfilePath("");
  EXPECT_EQ(std::string(settings.WorkfilePath()), platform::CurrentDirectory() + "/sub/");
}

TEST_F(EnvVarTest, CopiesAreDeepAndIndependent) {
  tEnvVar original;
  original.UserName("ann");
  original.GblJournalName("/data/all.jnl");
  tEnvVar copy(original);
  copy.UserName("bob");
  copy.GblJournalName(nullptr);
  copy.IsBinaryFile(ttTRUE);
  EXPECT_STREQ(original.UserName(), "ann");
  EXPECT_STREQ(original.GblJournalName(), "/data/all.jnl");
  EXPECT_EQ(original.IsBinaryFile(), ttFALSE);

  tEnvVar assigned;
  assigned = copy;
  EXPECT_STREQ(assigned.UserName(), "bob");
  EXPECT_EQ(assigned.GblJournalName(), nullptr);
  const tEnvVar& self = assigned;
  assigned = self;
  EXPECT_STREQ(assigned.UserName(), "bob");
}

}  // namespace
}  // namespace tarn
