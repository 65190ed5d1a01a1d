// Several users at once: four processes each checking in, locking and
// unlocking the same logfile many times lose nothing. Every check-in that
// reported success is a revision that reads back exactly, and the logfile
// holds nothing else.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <regex>
#include <thread>

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

constexpr const char* kName = "shared.c";
const char* const kUsers[] = {"alice", "bob", "carol", "dave"};

struct WorkerReport {
  std::map<std::string, std::string> stored;  // revision -> text checked in
  std::vector<std::string> faults;
  int unlocks = 0;
};

class Worker {
 public:
  Worker(const CheckInSandbox& box, int index) : index_(index) {
    directory_ = box.Work(std::string("w") + std::to_string(index));
    fs::create_directories(directory_);
    setup_.workingDirectory = directory_;
    setup_.environment = {
        {"TARNPATH", box.Logs()},
        {"TARNUSER", kUsers[index]},
        {"TARNACCESS", "alice,bob,carol,dave"},
        {"TARNTEMP", box.Temp() + "/"},
        {"TARNJOURNALPATH", box.Root() + "/"},
        {"TARNCHECKLOCK", "yes"},
        {"TARNPROTECTLOG", "no"},
        {"TARNPROTECTWORK", "no"},
        {"TARNCOMPRESS", index % 2 == 0 ? "yes" : "no"},
        {"TARNJOURNAL", "yes"},
        {"TARNRETRY", "60"},
    };
  }

  void Run(int rounds) {
    for (int round = 0; round < rounds; ++round) {
      if (!LockTip()) continue;
      if (round % 3 == 2) {
        Expect(Run("tunlock", {kName}), "tunlock");
        ++report_.unlocks;
        continue;
      }
      const std::string text = "checked in by " + std::string(kUsers[index_]) + " in round " +
                               std::to_string(round) + "\n" +
                               std::string(static_cast<std::size_t>(200 + round), 'x') + "\n";
      testing::WriteText(directory_ + "/" + kName, text);
      const ProgramResult put = Run("tput", {"-text", "round", kName});
      if (!Expect(put, "tput")) continue;
      std::smatch number;
      if (!std::regex_search(put.out, number, std::regex("as revision ([0-9.]+)"))) {
        report_.faults.push_back("tput named no revision: " + put.out);
        continue;
      }
      report_.stored[number[1]] = text;
    }
  }

  const WorkerReport& report() const { return report_; }

 private:
  ProgramResult Run(const std::string& program, const std::vector<std::string>& arguments) {
    return testing::RunBuiltProgram(program, arguments, setup_);
  }

  bool Expect(const ProgramResult& result, const std::string& what) {
    if (result.status == 0) return true;
    report_.faults.push_back(what + " failed: " + result.err);
    return false;
  }

  // The tip may be locked by another user for a moment; try again.
  bool LockTip() {
    for (int attempt = 0; attempt < 200; ++attempt) {
      if (Run("tlock", {kName}).status == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    report_.faults.push_back("the tip stayed locked");
    return false;
  }

  int index_;
  std::string directory_;
  ProgramSetup setup_;
  WorkerReport report_;
};

TEST(CheckInConcurrency, FourUsersLoseNothing) {
  CheckInSandbox box;
  box.env.attributes = kAttrCheckLock | kAttrJournalFile;
  box.Write(kName, "the first text\n");
  ASSERT_EQ(box.CheckIn(kName, {CheckInSandbox::Option(36), "shared"}), 1) << box.host.All();

  std::vector<Worker> workers;
  for (int i = 0; i < 4; ++i) workers.emplace_back(box, i);
  std::vector<std::thread> threads;
  for (Worker& worker : workers) threads.emplace_back([&worker] { worker.Run(15); });
  for (std::thread& thread : threads) thread.join();

  std::map<std::string, std::string> stored{{"1.0", "the first text\n"}};
  int unlocks = 0;
  for (const Worker& worker : workers) {
    for (const std::string& fault : worker.report().faults) ADD_FAILURE() << fault;
    for (const auto& [number, text] : worker.report().stored) {
      EXPECT_TRUE(stored.emplace(number, text).second) << number << " reported twice";
    }
    unlocks += worker.report().unlocks;
  }
  EXPECT_GT(stored.size(), 20u);
  EXPECT_GT(unlocks, 4);

  std::string error;
  const std::optional<testing::RawLogfile> log =
      testing::ReadRawLogfile(box.Logfile(kName), &error);
  ASSERT_TRUE(log) << error;
  EXPECT_TRUE(log->checksumMatches);
  EXPECT_EQ(log->lockCount, 0);
  ASSERT_EQ(log->revisions.size(), stored.size());
  for (const auto& [number, text] : stored) {
    EXPECT_EQ(box.Fetch(kName, number), text) << number;
    ASSERT_NE(log->Find(number), nullptr) << number;
    EXPECT_EQ(log->Find(number)->locked, 0) << number;
  }
  // Every check-in by the programs was journaled, one entry each.
  const std::string journal = testing::ReadText(box.Root() + "/tarn.jnl");
  std::size_t entries = 0;
  for (std::size_t at = journal.find(",tput -rev "); at != std::string::npos;
       at = journal.find(",tput -rev ", at + 1)) {
    ++entries;
  }
  EXPECT_EQ(entries, stored.size() - 1);
}

}  // namespace
}  // namespace tarn
