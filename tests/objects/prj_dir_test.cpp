// Listing a project: logfiles under their workfile names, workfiles, and
// what is skipped on the way.
#include "objects/prj_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "tests/support/lock_holder.h"
#include "tests/support/logfile_builder.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using testing::LogfileBuilder;
using Strings = std::vector<std::string>;

class PrjDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::LoadCatalogue();
    settings_ = tEnvVar();
    // Workfile names are listed without a directory, so the project is the
    // current directory, as in the front end.
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    std::filesystem::create_directory("TARN");
    settings_.TARNPath("TARN/");
    settings_.WorkfilePath(dir_.path().string().c_str());
    settings_.LockfileRetryCount(1);
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

  static void WriteLogfile(const std::string& name, std::int16_t locks = 0) {
    LogfileBuilder builder;
    builder.SupplementalInfo("/w/" + name, 0, 1000, 10)
        .AddRevision({.major = 1, .minor = 0, .locked = locks, .tip = 1, .data = "x\n"});
    builder.WriteTo("TARN/" + name);
  }

  Strings ListLogfiles(tPrjDir& project, const char* pattern) {
    Strings names;
    for (const char* name = project.FindFirstLogfile(pattern); *name != '\0';
         name = project.FindNextLogfile()) {
      names.emplace_back(name);
    }
    return names;
  }

  testing::TempDir dir_;
  std::filesystem::path previous_;
  tEnvVar settings_;
};

TEST_F(PrjDirTest, ListsLogfilesUnderTheirWorkfileNames) {
  WriteLogfile("foo.d");
  WriteLogfile("bar.___", 1);
  // A lock file is never opened as a logfile, even when it holds one. Its
  // name belongs to no logfile here: "$oo.d" would be foo.d's own lock, and
  // a lock file that is not empty is never cleared as stale.
  WriteLogfile("$zz.d");
  // Not a logfile at all.
  testing::WriteText("TARN/junk.txt", "not a logfile\n");
  tPrjDir project(&settings_);
  EXPECT_EQ(ListLogfiles(project, "*.*"), (Strings{"bar.", "foo.c"}));

  // Only the pattern's logfiles are opened.
  EXPECT_EQ(ListLogfiles(project, "*.c"), (Strings{"foo.c"}));
  EXPECT_STREQ(project.HeaderInfo()->WorkfileName(), "/w/foo.d");
  EXPECT_EQ(project.IsCurrentFileLocked(), ttFALSE);

  EXPECT_EQ(project.ValidateLogfile("bar."), ttTRUE);
  EXPECT_EQ(project.IsCurrentFileLocked(), ttTRUE);
  EXPECT_EQ(project.CurrentFileLockerIndex(), 0);
  EXPECT_EQ(project.ValidateLogfile("junk.sxs"), ttFALSE);
  EXPECT_EQ(project.ValidateLogfile("none.c"), ttFALSE);
}

TEST_F(PrjDirTest, LogfilePatternWithADirectory) {
  std::filesystem::create_directories("src/TARN");
  LogfileBuilder builder;
  builder.WriteTo("src/TARN/main.dqq");
  tPrjDir project(&settings_);
  EXPECT_EQ(ListLogfiles(project, "src/*.cpp"), (Strings{"src/main.cpp"}));
  EXPECT_EQ(ListLogfiles(project, "*.cpp"), Strings{});
}

TEST_F(PrjDirTest, ListsWorkfilesWithoutLockAndBackupFiles) {
  for (const char* name : {"a.c", "a!b.c", "$a.c", "b.h", "c.c"}) testing::WriteText(name, "");
  std::filesystem::create_directory("sub.c");  // directories are not workfiles
  tPrjDir project(&settings_);
  Strings names;
  for (const char* name = project.FindFirstWorkfile("*.c"); *name != '\0';
       name = project.FindNextWorkfile()) {
    names.emplace_back(name);
  }
  EXPECT_EQ(names, (Strings{"a.c", "c.c"}));
}

// A logfile a writer is at work on is listed from its last complete state:
// the scan reads without a lock file and never waits for one.
TEST_F(PrjDirTest, LogfileHeldByAWriterIsListedAsItStands) {
  WriteLogfile("a.d");
  WriteLogfile("b.d");
  // "$.d" is the lock file of both a.d and b.d.
  const testing::LockHolder holder("TARN/$.d");
  ASSERT_TRUE(holder.held());
  tPrjDir project(&settings_);
  EXPECT_EQ(ListLogfiles(project, "*.c"), (Strings{"a.c", "b.c"}));
  EXPECT_TRUE(platform::FileExists("TARN/$.d"));
}

TEST_F(PrjDirTest, TenThousandUnrelatedFilesListWithoutError) {
  for (int i = 0; i < 10000; ++i) {
    testing::WriteText("TARN/file" + std::to_string(i) + (i % 2 == 0 ? ".txt" : ""), "text\n");
  }
  WriteLogfile("real.d");
  tPrjDir project(&settings_);
  EXPECT_EQ(ListLogfiles(project, "*.*"), Strings{"real.c"});
}

}  // namespace
}  // namespace tarn
