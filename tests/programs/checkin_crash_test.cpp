// Crash safety of a check-in: the tput program killed at any moment, or
// running out of disk space at any write, leaves the old logfile or the new
// one, whole and readable, never a mix and never neither; a failed check-in
// leaves the old logfile byte for byte and no files of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "engine/format/logfile_header.h"
#include "tests/support/checkin_sandbox.h"
#include "tests/support/program_runner.h"
#include "tests/support/raw_logfile.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using testing::CheckInSandbox;
using testing::ProgramResult;
using testing::ProgramSetup;
using testing::RawLogfile;

class CheckInCrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setup_ = box_.ProgramsRunHere({{"TARNCHECKLOCK", "no"},
                                   {"TARNPROTECTLOG", "no"},
                                   {"TARNPROTECTWORK", "no"},
                                   {"TARNCOMPRESS", "yes"},
                                   {"TARNJOURNAL", "yes"},
                                   {"TARNRETRY", "5"}});
    // The same settings for the in-process reads.
    box_.env.accessList = "alice,bob";
  }

  ProgramResult Put(const std::string& text, std::int64_t killAfter = -1,
                    std::map<std::string, std::string> extra = {}) {
    box_.Write(kName, text);
    ProgramSetup setup = setup_;
    for (const auto& [name, value] : extra) setup.environment[name] = value;
    const std::vector<std::string> arguments{"-quiet", "-text", "crash test", kName};
    if (killAfter < 0) return testing::RunBuiltProgram("tput", arguments, setup);
    return testing::RunBuiltProgramKilledAfter("tput", arguments, setup, killAfter);
  }

  // A text of `lines` lines in which revision `version` changed a few.
  static std::string Version(int version, int lines = 6000) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
      text += "line " + std::to_string(i);
      if (i % 97 == version % 97) text += " changed in " + std::to_string(version);
      text += "\n";
    }
    return text;
  }

  std::optional<RawLogfile> Parsed(std::string* error) {
    return testing::ReadRawLogfile(box_.Logfile(kName), error);
  }

  // Every revision stored so far reads back exactly.
  void ExpectHistoryIntact() {
    std::string error;
    const std::optional<RawLogfile> log = Parsed(&error);
    ASSERT_TRUE(log) << error;
    ASSERT_TRUE(log->checksumMatches);
    ASSERT_EQ(log->revisions.size(), texts_.size());
    for (std::size_t k = 0; k < texts_.size(); ++k) {
      const std::string number = "1." + std::to_string(k);
      ASSERT_EQ(box_.Fetch(kName, number), texts_[k]) << number << box_.host.All();
    }
  }

  // Nothing but the logfile in the logfile directory, nothing in the
  // temporary directory.
  void ExpectNoLeftovers() {
    std::vector<std::string> logs;
    for (const auto& entry : fs::directory_iterator(box_.Logs())) {
      logs.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(logs, std::vector<std::string>{fs::path(box_.Logfile(kName)).filename().string()});
    EXPECT_TRUE(fs::is_empty(box_.Temp()));
  }

  static constexpr const char* kName = "crash.c";
  CheckInSandbox box_;
  ProgramSetup setup_;
  std::vector<std::string> texts_;
};

TEST_F(CheckInCrashTest, KilledAtAnyMomentLeavesTheOldOrTheNewLogfile) {
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(Put(Version(k)).status, 0);
    texts_.push_back(Version(k));
  }
  // How long an undisturbed check-in takes, to spread the kills over it.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Put(Version(3)).status, 0);
  texts_.push_back(Version(3));
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
  std::mt19937 random(7);
  int killed = 0;
  int kept_old = 0;
  int got_new = 0;
  for (int attempt = 0; attempt < 30; ++attempt) {
    const int version = 4 + attempt;
    const std::int64_t delay =
        std::uniform_int_distribution<std::int64_t>(0, took + took / 4)(random);
    const ProgramResult result = Put(Version(version), delay);
    if (result.killed) ++killed;
    std::string error;
    const std::optional<RawLogfile> log = Parsed(&error);
    ASSERT_TRUE(log) << "after a kill at " << delay << " us: " << error;
    ASSERT_TRUE(log->checksumMatches);
    if (log->revisions.size() == texts_.size() + 1) {
      ++got_new;
      texts_.push_back(Version(version));
    } else {
      ASSERT_EQ(log->revisions.size(), texts_.size()) << "after a kill at " << delay << " us";
      ++kept_old;
    }
    ASSERT_NO_FATAL_FAILURE(ExpectHistoryIntact()) << "after a kill at " << delay << " us";
  }
  EXPECT_GT(killed, 0);
  EXPECT_GT(kept_old, 0);
  // A killed check-in leaves at most its replacement file, which the next
  // check-in clears; the stale lock file is cleared as well.
  ASSERT_EQ(Put(Version(100)).status, 0);
  texts_.push_back(Version(100));
  ExpectHistoryIntact();
  ExpectNoLeftovers();
  RecordProperty("killed", killed);
  RecordProperty("new", got_new);
}

TEST_F(CheckInCrashTest, FullDiskAtAnyWriteLeavesTheOldLogfileUnchanged) {
  for (int k = 0; k < 2; ++k) {
    ASSERT_EQ(Put(Version(k, 300)).status, 0);
    texts_.push_back(Version(k, 300));
  }
  const std::vector<std::uint8_t> old_logfile = testing::ReadBytes(box_.Logfile(kName));
  // Writes fail after `limit` bytes; the new logfile is about as long as the
  // old one, so every limit below that fails inside the logfile write.
  std::vector<std::int64_t> limits{0, 1, 29, 30, 31, 500, 1000};
  for (std::int64_t limit = 1500; limit < static_cast<std::int64_t>(old_logfile.size()) + 400;
       limit += 173) {
    limits.push_back(limit);
  }
  bool succeeded_once = false;
  for (const std::int64_t limit : limits) {
    const ProgramResult result =
        Put(Version(2, 300), -1, {{"TARN_FAULT_WRITE_LIMIT", std::to_string(limit)}});
    if (result.status == 0) {
      // The whole new logfile was written before the "disk" filled up (the
      // journal may be what failed); the check-in stands.
      succeeded_once = true;
      texts_.push_back(Version(2, 300));
      ExpectHistoryIntact();
      break;
    }
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_FALSE(result.err.empty());
    ASSERT_EQ(testing::ReadBytes(box_.Logfile(kName)), old_logfile) << "limit " << limit;
    ExpectNoLeftovers();
    EXPECT_EQ(box_.Read(kName), Version(2, 300));
  }
  EXPECT_TRUE(succeeded_once);
  ExpectNoLeftovers();
}

TEST_F(CheckInCrashTest, FullDiskWhileCreatingLeavesNoLogfile) {
  for (const std::int64_t limit : {0, 10, 100, 700}) {
    const ProgramResult result =
        Put(Version(0, 100), -1, {{"TARN_FAULT_WRITE_LIMIT", std::to_string(limit)}});
    EXPECT_EQ(result.status, 1) << limit;
    EXPECT_TRUE(fs::is_empty(box_.Logs())) << limit;
    EXPECT_TRUE(fs::is_empty(box_.Temp())) << limit;
  }
}

}  // namespace
}  // namespace tarn
