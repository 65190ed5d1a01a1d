// Rewriting a logfile with a changed header: the backup's name, the records
// copied behind the new header byte for byte (also when they span many copy
// blocks), and the state the directory is left in.
#include "engine/store/logfile_rewrite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/format/logfile_header_io.h"
#include "engine/store/logfile_lock.h"
#include "tests/support/header_sandbox.h"

namespace tarn {
namespace {

using testing::HeaderSandbox;
using testing::LogfileBuilder;
using testing::ReadBytes;

TEST(BackupFileName, ReplacesOrPrefixesTheFinalComponentAndMarksIt) {
  EXPECT_EQ(BackupFileName("logs/main.d", BackupName::kFirstCharacterReplaced), "logs/!ain.d@");
  EXPECT_EQ(BackupFileName("logs/main.d", BackupName::kUnderscoreInFront), "logs/_main.d@");
  EXPECT_EQ(BackupFileName("/a.b/notes.___", BackupName::kFirstCharacterReplaced),
            "/a.b/!otes.___@");
  EXPECT_EQ(BackupFileName("main.d", BackupName::kUnderscoreInFront), "_main.d@");
  // Never the name of a logfile, its lock file or its replacement.
  EXPECT_NE(BackupFileName("logs/main.d", BackupName::kFirstCharacterReplaced),
            ReplacementFileName("logs/main.d"));
}

class LogfileRewriteTest : public ::testing::Test {
 protected:
  // A logfile whose records are far larger than one copy block.
  void SetUp() override {
    LogfileBuilder builder = HeaderSandbox::Standard();
    std::string big;
    for (int i = 0; big.size() < 100'000; ++i) big += "line " + std::to_string(i) + "\n";
    builder.AddRevision({.major = 1, .minor = 0, .depth = 0, .description = "big", .data = big});
    box_.Write(builder);
  }

  HeaderSandbox box_;
};

TEST_F(LogfileRewriteTest, NewHeaderThenTheRecordsAsTheyWere) {
  std::optional<platform::File> file =
      platform::File::Open(box_.Logfile(), platform::OpenMode::kReadWrite);
  ASSERT_TRUE(file.has_value());
  LogfileHeader header;
  ASSERT_EQ(ReadLogfileHeader(*file, header), 1);
  const std::int64_t first_record = *file->Tell();
  header.owner = "somebody with a much longer name than before";
  header.labels.erase(header.labels.begin());

  std::optional<LogfileRewrite> rewrite =
      LogfileRewrite::Begin(box_.Logfile(), BackupName::kFirstCharacterReplaced);
  ASSERT_TRUE(rewrite.has_value());
  EXPECT_TRUE(std::filesystem::exists(rewrite->ReplacementPath()));
  ASSERT_EQ(rewrite->Finish(*file, first_record, header), 1) << box_.host.All();

  EXPECT_EQ(box_.RecordsNow(), box_.RecordsWritten());
  EXPECT_GT(box_.RecordsNow().size(), 100'000U);
  EXPECT_EQ(box_.Labels(), "1.1.1 FLOAT/1");
  // The old logfile stays open and readable under the old name's inode.
  EXPECT_EQ(file->Size().value_or(0), static_cast<std::int64_t>(box_.RecordsWritten().size()) +
                                          static_cast<std::int64_t>(first_record));
  EXPECT_EQ(box_.LogDirectory(), std::vector<std::string>{"main.d"});
}

TEST_F(LogfileRewriteTest, AbandonedRewriteLeavesNothing) {
  {
    std::optional<LogfileRewrite> rewrite =
        LogfileRewrite::Begin(box_.Logfile(), BackupName::kUnderscoreInFront);
    ASSERT_TRUE(rewrite.has_value());
  }
  EXPECT_TRUE(box_.Unchanged());
  EXPECT_EQ(box_.LogDirectory(), std::vector<std::string>{"main.d"});
}

TEST_F(LogfileRewriteTest, HeaderTooLargeForTheFormat) {
  std::optional<platform::File> file =
      platform::File::Open(box_.Logfile(), platform::OpenMode::kReadWrite);
  ASSERT_TRUE(file.has_value());
  LogfileHeader header;
  ASSERT_EQ(ReadLogfileHeader(*file, header), 1);
  const std::int64_t first_record = *file->Tell();
  header.description.assign(40'000, 'd');  // beyond a 16-bit size field
  std::optional<LogfileRewrite> rewrite =
      LogfileRewrite::Begin(box_.Logfile(), BackupName::kFirstCharacterReplaced);
  ASSERT_TRUE(rewrite.has_value());
  EXPECT_EQ(rewrite->Finish(*file, first_record, header), -1);
  EXPECT_TRUE(box_.host.Saw("larger than the format holds")) << box_.host.All();
  // A refusal of the header, not a failed copy: nothing was copied.
  EXPECT_FALSE(box_.host.Saw("copying the logfile into")) << box_.host.All();
  EXPECT_TRUE(box_.Unchanged());
  EXPECT_EQ(box_.LogDirectory(), std::vector<std::string>{"main.d"});
}

}  // namespace
}  // namespace tarn
